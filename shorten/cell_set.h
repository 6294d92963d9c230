#pragma once

#include <bit>
#include <cstdint>
#include <vector>

#include "model/tile_array.h"

namespace quarnel {

// A set of cells of the whole grid (indices x + 51 y + 2601 z), as bits. The words touched are
// marked in a second, small bitmap, so that reading the set out in order and emptying it cost in
// proportion to the cells put in, not to the grid; a type with a million cells is sorted and
// made unique without a sort.
class CellSet {
 public:
  void Add(std::uint32_t cell) { SetWord(cell / 64, std::uint64_t{1} << (cell % 64)); }
  // The cells of one row: `row_start` is the cell of column 0, bit x of `columns` column x.
  void AddRow(std::uint32_t row_start, std::uint64_t columns) {
    // A row's 51 columns span at most two words.
    const std::uint32_t shift = row_start % 64;
    SetWord(row_start / 64, columns << shift);
    if (shift != 0 && (columns >> (64 - shift)) != 0) {
      SetWord(row_start / 64 + 1, columns >> (64 - shift));
    }
  }

  // Appends the cells in order, each once, and empties the set.
  void TakeSorted(std::vector<std::uint32_t>& cells) {
    ForEachTouched([&](std::size_t w) {
      for (std::uint64_t bits = words_[w]; bits != 0; bits &= bits - 1) {
        cells.push_back(static_cast<std::uint32_t>(w * 64 + std::countr_zero(bits)));
      }
      words_[w] = 0;
    });
  }

  // Whether both sets hold the same cells; empties both.
  static bool SameAndClear(CellSet& a, CellSet& b) {
    for (std::size_t t = 0; t < a.touched_.size(); ++t) a.touched_[t] |= b.touched_[t];
    bool same = true;
    a.ForEachTouched([&](std::size_t w) {
      same &= a.words_[w] == b.words_[w];
      a.words_[w] = b.words_[w] = 0;
    });
    std::fill(b.touched_.begin(), b.touched_.end(), 0);
    return same;
  }

 private:
  static constexpr std::size_t kWords = (TileArray::kSize + 63) / 64 + 1;

  void SetWord(std::uint32_t w, std::uint64_t bits) {
    words_[w] |= bits;
    touched_[w / 64] |= std::uint64_t{1} << (w % 64);
  }
  // Calls `each(w)` for each word touched, in order, and forgets that it was.
  template <typename Each>
  void ForEachTouched(Each each) {
    for (std::size_t t = 0; t < touched_.size(); ++t) {
      for (std::uint64_t bits = touched_[t]; bits != 0; bits &= bits - 1) {
        each(t * 64 + static_cast<std::size_t>(std::countr_zero(bits)));
      }
      touched_[t] = 0;
    }
  }

  std::vector<std::uint64_t> words_ = std::vector<std::uint64_t>(kWords);
  std::vector<std::uint64_t> touched_ = std::vector<std::uint64_t>((kWords + 63) / 64);
};

}  // namespace quarnel
