#pragma once

#include <algorithm>
#include <bit>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "model/huge_pages.h"
#include "model/template_format.h"
#include "model/type_keys.h"

namespace quarnel {

// The cells one record gives and where its line stands: what is kept of a record once the records
// are grouped by type.
struct RecordCells {
  std::uint32_t offset;  // where the record's line starts in the text
  // The box, packed, and in the top bit whether the record is a plain tile record "id1 id2 x y z"
  // with plain decimal integers, which may be merged. Whole words, not bit fields: setting a bit
  // field reads the fresh memory it writes, and two page faults a page where one would do.
  std::uint32_t packed;

  static RecordCells Of(std::size_t offset, const Box& box, bool plain) {
    // Packed in 31 bits (6 per bound, 7 for the layer): a million records are read twice, and
    // less memory to touch is less time.
    const std::uint32_t packed =
        static_cast<std::uint32_t>(box.z) << 24 | static_cast<std::uint32_t>(box.x1) << 18 |
        static_cast<std::uint32_t>(box.x2) << 12 | static_cast<std::uint32_t>(box.y1) << 6 |
        static_cast<std::uint32_t>(box.y2);
    return {static_cast<std::uint32_t>(offset), packed | (plain ? kPlainBit : 0u)};
  }
  Box GetBox() const {
    const auto bound = [this](int shift) { return static_cast<int>(packed >> shift & 63); };
    return {bound(18), bound(12), bound(6), bound(0),
            static_cast<int>((packed & ~kPlainBit) >> 24)};
  }
  int Layer() const { return static_cast<int>((packed & ~kPlainBit) >> 24); }
  bool Plain() const { return (packed & kPlainBit) != 0; }
  // A rectangle record whose bounds do not fall on whole numbers covers several boxes; it is kept
  // as one, marked by a box no record has (first column after the last), and read again from its
  // line when its cells are wanted, so that its memory is that of any other record.
  bool Scattered() const { return (packed >> 18 & 63) > (packed >> 12 & 63); }
  void MarkScattered() { packed = (packed & ~kBoxBits) | kScatteredBox; }

  static constexpr std::uint32_t kPlainBit = 1u << 31;
  static constexpr std::uint32_t kBoxBits = (1u << 24) - 1;
  static constexpr std::uint32_t kScatteredBox = 63u << 18;
};

// One record of a template, as every load of its type reads it.
struct TemplateRecord {
  std::uint32_t type;  // types are numbered in the order of their first records
  RecordCells cells;
};

// Records in the order of their lines.
using Records = LargeVector<TemplateRecord>;
// The records of a template read in parts side by side: the second part's lines follow the
// first's. One part for a small template.
using RecordParts = std::vector<Records>;

// The cells of a scattered record, read again from its line in `text`: the same columns on each
// of its rows.
struct ScatteredCells {
  std::uint64_t columns = 0;  // bit x for column x
  std::vector<int> rows;      // each once
  int z = 0;
};
ScatteredCells CellsOfScattered(std::string_view text, const RecordCells& record);

// Calls `each_row(row_start, columns)` for each row of a record's cells: `row_start` is the cell
// index of column 0 of the row, and bit x of `columns` is set for each column x covered. `text` is
// the template the record was read from.
template <typename EachRow>
void ForEachRow(std::string_view text, const RecordCells& record, EachRow each_row) {
  if (record.Scattered()) {
    const ScatteredCells cells = CellsOfScattered(text, record);
    for (const int y : cells.rows) each_row(GridCell{0, y, cells.z}.Index(), cells.columns);
    return;
  }
  const Box box = record.GetBox();
  const std::uint64_t columns = ((std::uint64_t{1} << (box.x2 - box.x1 + 1)) - 1) << box.x1;
  for (int y = box.y1; y <= box.y2; ++y) each_row(GridCell{0, y, box.z}.Index(), columns);
}

// Calls `each(cell)` for each cell index of a record.
template <typename Each>
void ForEachCell(std::string_view text, const RecordCells& record, Each each) {
  ForEachRow(text, record, [&](std::uint32_t row_start, std::uint64_t columns) {
    for (; columns != 0; columns &= columns - 1) {
      each(row_start + static_cast<std::uint32_t>(std::countr_zero(columns)));
    }
  });
}

// Whether two lists of records hold the same boxes in the same order, none of them scattered: then
// they give the same cells for certain, as a template read against itself or a type that applying
// or shortening left alone does, and no cell needs to be looked at.
inline bool SameBoxes(std::span<const RecordCells> a, std::span<const RecordCells> b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [](const RecordCells& x, const RecordCells& y) {
                      return x.packed == y.packed && !x.Scattered();
                    });
}

// Records grouped by type number, file order kept within a type: a counting sort.
class ByType {
 public:
  ByType() = default;
  ByType(const RecordParts& parts, std::size_t types);
  std::span<const RecordCells> Of(std::size_t type) const {
    return {grouped_.data() + begin_[type], begin_[type + 1] - begin_[type]};
  }
  // The first type from which on about half the records lie.
  std::size_t HalfwayType() const;

 private:
  LargeVector<std::uint32_t> begin_ = LargeVector<std::uint32_t>(1, 0);
  LargeVector<RecordCells> grouped_;
};

// How many parts, side by side, work on a template of this size is split into.
int PartsFor(std::string_view text);

// The types part `index` of `parts` works on: all for one part, else about half the records each.
std::pair<std::size_t, std::size_t> TypesOfPart(const ByType& by_type, std::size_t types, int parts,
                                                int index);

// The records of a template, grouped by type. A large template is read in two parts side by side;
// nothing here shows it.
class TemplateRecords {
 public:
  long long lines = 0;  // header included
  TypeKeys keys;        // types numbered in the order of their first records
  ByType by_type;

  std::size_t Types() const { return static_cast<std::size_t>(keys.Size()); }
  std::string_view Key(std::size_t type) const { return keys.Key(static_cast<int>(type)); }

 private:
  friend TemplateRecords ReadTemplateRecords(const std::string& name, std::string_view text);
  friend std::optional<ByType> ReadGroupedLike(const std::string& name, std::string_view text,
                                               TemplateRecords& like);
  // The records as read, grouped in by_type already: kept only for their memory, which a
  // reading like this one takes, as fresh memory costs a page fault a page.
  RecordParts as_read_;
};

// Reads every record of a template, checking each as a load of its own type checks it. Throws
// Fault where any load would, and for a text of 4 GiB or more.
TemplateRecords ReadTemplateRecords(const std::string& name, std::string_view text);

// The same reading of another template, its types numbered and grouped as in `like`. Returns
// nothing if it has a type that `like` lacks, or lacks one that `like` has.
std::optional<ByType> ReadGroupedLike(const std::string& name, std::string_view text,
                                      TemplateRecords& like);

}  // namespace quarnel
