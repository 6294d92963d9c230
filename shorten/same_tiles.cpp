#include "shorten/same_tiles.h"

#include "model/grid.h"
#include "shorten/cell_set.h"
#include "shorten/side_by_side.h"

namespace quarnel {
namespace {

// The records of one template, grouped by type, with its text.
struct Grouped {
  const ByType& by_type;
  std::string_view text;
};

// One type's cells in two templates.
class CellBits {
 public:
  enum Side { kBefore, kAfter };

  // `text` is the template the record was read from.
  void Set(Side side, std::string_view text, const RecordCells& record) {
    CellSet& cells = sides_[side];
    if (record.Plain()) {  // one cell: nearly every record
      const Box box = record.GetBox();
      cells.Add(GridCell{box.x1, box.y1, box.z}.Index());
      return;
    }
    ForEachRow(text, record, [&](std::uint32_t row_start, std::uint64_t columns) {
      cells.AddRow(row_start, columns);
    });
  }
  // Whether both sides hold the same cells; clears them for the next type.
  bool SameAndClear() { return CellSet::SameAndClear(sides_[kBefore], sides_[kAfter]); }

 private:
  CellSet sides_[2];
};

// Whether every type in [first, last) has exactly the same cells in `before` and `after`.
bool SameCells(const Grouped& before, const Grouped& after, std::size_t first, std::size_t last) {
  CellBits bits;
  for (std::size_t t = first; t < last; ++t) {
    if (SameBoxes(before.by_type.Of(t), after.by_type.Of(t))) continue;
    for (const auto& r : before.by_type.Of(t)) bits.Set(CellBits::kBefore, before.text, r);
    for (const auto& r : after.by_type.Of(t)) bits.Set(CellBits::kAfter, after.text, r);
    if (!bits.SameAndClear()) return false;
  }
  return true;
}

}  // namespace

bool SameTilesAs(TemplateRecords& read, std::string_view read_text, const std::string& name,
                 std::string_view text) {
  const auto after = ReadGroupedLike(name, text, read);
  if (!after) return false;
  const std::size_t types = read.Types();
  const int parts = PartsFor(text);
  bool same[2] = {true, true};
  SideBySide(parts, [&](int p) {
    const auto [first, last] = TypesOfPart(read.by_type, types, parts, p);
    same[p] = SameCells({read.by_type, read_text}, {*after, text}, first, last);
  });
  return same[0] && same[1];
}

}  // namespace quarnel
