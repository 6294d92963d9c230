// Comparing templates type by type: where their cells first differ.
#include "shorten/shorten.h"

#include <optional>
#include <string>
#include <vector>

#include "model/template_format.h"
#include "model/type_keys.h"
#include "shorten/cell_set.h"
#include "shorten/same_tiles.h"
#include "shorten/template_records.h"

namespace quarnel {

namespace {

// The first cell in one of two sorted lists of a type's cells and not in the other.
std::optional<Difference> FirstOf(std::string_view key, const std::vector<std::uint32_t>& a,
                                  const std::vector<std::uint32_t>& b) {
  const auto at = [&](std::uint32_t index, bool in_first) {
    const GridCell cell = GridCell::FromIndex(index);
    return Difference{std::string(key), cell.x, cell.y, cell.z, in_first};
  };
  auto ia = a.begin();
  auto ib = b.begin();
  while (ia != a.end() || ib != b.end()) {
    if (ib == b.end() || (ia != a.end() && *ia < *ib)) return at(*ia, true);
    if (ia == a.end() || *ib < *ia) return at(*ib, false);
    ++ia;
    ++ib;
  }
  return std::nullopt;
}

}  // namespace

Comparison CompareTemplates(const std::string& first_name, std::string_view first,
                            const std::string& second_name, std::string_view second) {
  TemplateRecords a = ReadTemplateRecords(first_name, first);
  // Nearly every comparison is of templates with the same tiles: the check that shortening makes
  // of its result says so at the cost of one look-up a record, where finding the first difference
  // costs one a type as well.
  if (SameTilesAs(a, first, second_name, second)) return {std::nullopt, a.Types()};
  const TemplateRecords b = ReadTemplateRecords(second_name, second);
  const ByType& a_types = a.by_type;
  const ByType& b_types = b.by_type;
  // One type's cells at a time, in lists reused from type to type: nothing grows with the types.
  CellSet cells;
  std::vector<std::uint32_t> a_cells;
  std::vector<std::uint32_t> b_cells;
  const auto take = [&](const ByType& by_type, std::string_view text, int type, auto& out) {
    out.clear();
    if (type < 0) return;
    for (const auto& r : by_type.Of(static_cast<std::size_t>(type))) {
      ForEachRow(text, r, [&](std::uint32_t row_start, std::uint64_t columns) {
        cells.AddRow(row_start, columns);
      });
    }
    cells.TakeSorted(out);
  };
  Comparison result{std::nullopt, a.Types()};
  for (std::size_t t = 0; t < a.Types() && !result.difference; ++t) {
    take(a_types, first, static_cast<int>(t), a_cells);
    take(b_types, second, b.keys.Find(a.Key(t)), b_cells);
    result.difference = FirstOf(a.Key(t), a_cells, b_cells);
  }
  a_cells.clear();
  for (std::size_t t = 0; t < b.Types() && !result.difference; ++t) {
    if (a.keys.Find(b.Key(t)) >= 0) continue;
    take(b_types, second, static_cast<int>(t), b_cells);
    result.difference = FirstOf(b.Key(t), a_cells, b_cells);
  }
  return result;
}

}  // namespace quarnel
