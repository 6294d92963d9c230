#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "model/huge_pages.h"
#include "model/tile_array.h"

namespace quarnel {

// What ReadCovered last read of the output box, so that a box that only gained lines at its end,
// or lost some there, costs those lines and not the whole box again: after Auto on every type it
// holds a million records. It is part of the program, not kept aside by ReadCovered, because it
// belongs to one program's box and must go when the program goes.
struct CoveredRead {
  // A rectangle record of the box, of the current type or of a row of the type table.
  struct Record {
    std::size_t position;  // where its line starts in the text
    std::int32_t row;      // its type's row, or kCurrentType
    std::uint32_t box;     // its cells, packed, or kManyBoxes: read again from its line when needed
  };
  static constexpr std::int32_t kCurrentType = -1;
  static constexpr std::uint32_t kManyBoxes = ~std::uint32_t{0};

  bool valid = false;  // false: the next read reads the whole box
  // The text read, to tell exactly what changed, and its records in the order of their lines.
  LargeVector<char> text;
  LargeVector<Record> records;
  // What the counts were worked out for: another type, run or read of the type means all again.
  std::string curtype;
  long long runs = 0;
  TileArray held;

  // The records of lines about to be put at the end of the box, read beside the window by the
  // work that wrote them: the next read takes them instead of reading those lines again, where
  // they are the lines it would read.
  struct Added {
    std::size_t from = 0;  // the box's size before them, where they start
    std::size_t size = 0;
    std::string curtype;  // what they were read for
    long long runs = 0;
    LargeVector<Record> records;
    bool whole = true;  // false: a NUL byte stopped the reading
  };
  std::optional<Added> added;
};

}  // namespace quarnel
