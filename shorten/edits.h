#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "model/huge_pages.h"

namespace quarnel {

// The line that starts at `offset` of a text read already: its size with its line end, and that
// end ("" for a last line without one).
struct LineSpan {
  std::size_t size;
  std::string_view end;
  std::size_t Content() const { return size - end.size(); }  // the size without the line end
};
LineSpan LineAt(std::string_view text, std::size_t offset);

// What a rewritten template changes: lines left out, and rectangle records put in. Records put in
// are kept one after another in one text, not each in a string of its own: tens of thousands of
// small blocks of fresh memory cost a page fault every few dozen records.
struct Edits {
  struct Inserted {
    std::uint32_t place;  // where the line starts whose place the record takes; kAtEnd: appended
    std::uint32_t begin;  // where the record, with its line end, starts in `records`
    std::uint32_t size;
  };
  static constexpr std::uint32_t kAtEnd = UINT32_MAX;

  explicit Edits(std::size_t text_size);
  void Drop(std::uint32_t offset) {
    dropped[offset / 64] |= std::uint64_t{1} << (offset % 64);
    ++dropped_count;
  }
  // `record` ends with its line end.
  void Insert(std::uint32_t place, std::string_view record);
  std::string_view Record(const Inserted& inserted) const {
    return std::string_view(records).substr(inserted.begin, inserted.size);
  }
  // Takes in the edits of other lines.
  void Add(Edits&& other);

  LargeVector<std::uint64_t> dropped;  // a bit per byte of text: the line starting there goes
  long long dropped_count = 0;
  LargeVector<Inserted> inserted;  // in the order put in
  LargeText records;
};

// The text with the edits made: every other byte is copied as it stands. A record takes the
// place of a line left out; records appended come after the last line.
LargeText ApplyEdits(std::string_view text, Edits& edits);

}  // namespace quarnel
