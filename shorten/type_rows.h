#pragma once

#include <algorithm>
#include <bit>
#include <cstdint>
#include <vector>

#include "model/template_format.h"

namespace quarnel {

// What applying records needs to know of one type, a grid row at a time, so that a record costs a
// few operations per row it covers, however many cells: the columns the template has, the columns
// the records cover so far, and where the first plain tile record of each cell starts. Rows are
// numbered y + kRows * z (a cell index divided by kColumns). Stamps spare clearing between types.
class TypeRows {
 public:
  void NextType() { ++stamp_; }

  // The template has the cells `columns` in `row`.
  void Has(std::uint32_t row, std::uint64_t columns) { Touch(row).has |= columns; }
  // A plain tile record of `column` in `row` starts at `offset`; offsets come in rising order.
  void Plain(std::uint32_t row, int column, std::uint32_t offset) {
    Row& r = Touch(row);
    const std::uint64_t seen = r.firsts == 0 ? 0 : first_columns_[Slot(row, r.firsts - 1)];
    const std::uint64_t bit = std::uint64_t{1} << column;
    if (seen & bit) return;
    first_offsets_[Slot(row, r.firsts)] = offset;
    first_columns_[Slot(row, r.firsts)] = seen | bit;
    ++r.firsts;
  }

  std::uint64_t HasColumns(std::uint32_t row) const { return Valid(row) ? rows_[row].has : 0; }
  std::uint64_t Covered(std::uint32_t row) const { return Valid(row) ? rows_[row].covered : 0; }
  void Cover(std::uint32_t row, std::uint64_t columns) { Touch(row).covered |= columns; }

  // Where the first plain tile record of any of `columns` in `row` starts, if before `before`;
  // else `before`. The first k plain cells' columns only grow with k: a binary search finds the
  // first that meets `columns`, unless the row's first record comes too late anyway.
  std::uint32_t FirstPlain(std::uint32_t row, std::uint64_t columns, std::uint32_t before) const {
    if (!Valid(row) || rows_[row].firsts == 0) return before;
    const std::size_t first = Slot(row, 0);
    if (first_offsets_[first] >= before) return before;
    if (first_columns_[first] & columns) return first_offsets_[first];
    const auto begin = first_columns_.begin() + static_cast<std::ptrdiff_t>(first);
    const auto end = begin + rows_[row].firsts;
    const auto found = std::partition_point(
        begin, end, [columns](std::uint64_t seen) { return (seen & columns) == 0; });
    if (found == end) return before;
    return std::min(before,
                    first_offsets_[static_cast<std::size_t>(found - first_columns_.begin())]);
  }

 private:
  struct Row {
    std::uint32_t stamp = 0;
    int firsts = 0;  // plain cells of the row, in the order of their first records
    std::uint64_t has = 0;
    std::uint64_t covered = 0;
  };
  static constexpr std::size_t kRowsAll = static_cast<std::size_t>(kRows) * kLayers;

  static std::size_t Slot(std::uint32_t row, int k) {
    return static_cast<std::size_t>(row) * kColumns + static_cast<std::size_t>(k);
  }
  bool Valid(std::uint32_t row) const { return rows_[row].stamp == stamp_; }
  Row& Touch(std::uint32_t row) {
    Row& r = rows_[row];
    if (r.stamp != stamp_) r = Row{stamp_};
    return r;
  }

  std::vector<Row> rows_ = std::vector<Row>(kRowsAll);
  // Per row, for each k: where the (k+1)-th plain cell's first record starts, and the columns of
  // the first k+1 plain cells.
  std::vector<std::uint32_t> first_offsets_ = std::vector<std::uint32_t>(kRowsAll * kColumns);
  std::vector<std::uint64_t> first_columns_ = std::vector<std::uint64_t>(kRowsAll * kColumns);
  std::uint32_t stamp_ = 0;
};

}  // namespace quarnel
