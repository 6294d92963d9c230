#pragma once

#include <string_view>
#include <vector>

#include "model/template_file.h"
#include "model/template_format.h"
#include "model/tile_array.h"

namespace quarnel {

inline constexpr std::string_view kIdsPurpose =
    "a record names its tile type by two ids: id1 id2, or TILEW id1 id2";

[[noreturn]] void MissingField(const TemplateFile& file, const Fields& fields, int index,
                               std::string_view purpose);

// Field `index` of a line just read from `file`; throws Fault naming what the record needed it for
// when the line has no such field.
inline std::string_view RequireField(const TemplateFile& file, const Fields& fields, int index,
                                     std::string_view purpose) {
  if (!fields.Has(index)) MissingField(file, fields, index, purpose);
  return fields[index];
}

// Checks that a line has both ids of its tile type, starting at field `first`: 0 for a tile
// record, 1 for a rectangle record. Throws Fault if one is missing.
inline void RequireIds(const TemplateFile& file, std::string_view line, int first) {
  const std::size_t space = line.find(' ');
  const bool has_both = space != std::string_view::npos &&
                        (first == 0 || line.find(' ', space + 1) != std::string_view::npos);
  if (!has_both) {
    const Fields fields = SplitFields(line);
    MissingField(file, fields, fields.count, kIdsPurpose);
  }
}

// "id1 id2" of a record line whose ids are known to be there.
std::string_view KeyOfLine(std::string_view line, bool rectangle);

// The cell of a tile record "id1 id2 x y z", as a load of its type reads it.
GridCell TileRecordCell(const TemplateFile& file, const Fields& fields);

// The columns and rows a rectangle record "TILEW id1 id2 x-from x-to y-from y-to z" covers on its
// layer, as a load of its type reads it: every column with every row. Fields are examined lazily,
// as far as the record's ranges need them; an empty range covers nothing.
struct RectangleCells {
  std::vector<int> columns;
  std::vector<int> rows;
  int z = 0;
};
RectangleCells RectangleRecordCells(const TemplateFile& file, const Fields& fields);

// Checks a rectangle record whole, as the window writes one: all eight fields, numbers, its four
// bounds on the grid and its layer in range, even where an empty range means a load never looks
// at them. For records about to be written into a template. Throws Fault at the first field amiss.
void RequireCompleteRectangle(const TemplateFile& file, const Fields& fields);

// Sets the cells of a rectangle record whose type matched.
void AddRectangleRecord(const TemplateFile& file, const Fields& fields, TileArray& tilearray);

}  // namespace quarnel
