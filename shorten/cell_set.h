#pragma once

#include <algorithm>
#include <bit>
#include <cstdint>
#include <vector>

#include "model/tile_array.h"

namespace quarnel {

// A set of cells of the whole grid (at GridCell::Index), as bits. The words touched are
// marked in a second, small bitmap, so that reading the set out in order and emptying it cost in
// proportion to the cells put in, not to the grid; a type with a million cells is sorted and
// made unique without a sort.
class CellSet {
 public:
  void Add(std::uint32_t cell) { SetWord(cell / 64, std::uint64_t{1} << (cell % 64)); }
  // The cells of one row: `row_start` is the cell of column 0, bit x of `columns` column x.
  void AddRow(std::uint32_t row_start, std::uint64_t columns) {
    // A row's columns span at most two words.
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
    for (std::size_t t = b.low_; t < b.high_; ++t) a.touched_[t] |= b.touched_[t];
    a.low_ = std::min(a.low_, b.low_);
    a.high_ = std::max(a.high_, b.high_);
    bool same = true;
    a.ForEachTouched([&](std::size_t w) {
      same &= a.words_[w] == b.words_[w];
      a.words_[w] = b.words_[w] = 0;
    });
    std::fill(b.touched_.begin() + static_cast<std::ptrdiff_t>(std::min(b.low_, b.high_)),
              b.touched_.begin() + static_cast<std::ptrdiff_t>(b.high_), 0);
    b.low_ = kUntouched;
    b.high_ = 0;
    return same;
  }

 private:
  static constexpr std::size_t kWords = (TileArray::kSize + 63) / 64 + 1;

  static constexpr std::size_t kUntouched = static_cast<std::size_t>(-1);

  void SetWord(std::uint32_t w, std::uint64_t bits) {
    words_[w] |= bits;
    touched_[w / 64] |= std::uint64_t{1} << (w % 64);
    low_ = std::min<std::size_t>(low_, w / 64);
    high_ = std::max<std::size_t>(high_, w / 64 + 1);
  }
  // Calls `each(w)` for each word touched, in order, and forgets that it was. Only the span of
  // touched_ that was touched is looked at: a million types of one cell each cost a million steps.
  template <typename Each>
  void ForEachTouched(Each each) {
    for (std::size_t t = low_; t < high_; ++t) {
      for (std::uint64_t bits = touched_[t]; bits != 0; bits &= bits - 1) {
        each(t * 64 + static_cast<std::size_t>(std::countr_zero(bits)));
      }
      touched_[t] = 0;
    }
    low_ = kUntouched;
    high_ = 0;
  }

  std::vector<std::uint64_t> words_ = std::vector<std::uint64_t>(kWords);
  std::vector<std::uint64_t> touched_ = std::vector<std::uint64_t>((kWords + 63) / 64);
  std::size_t low_ = kUntouched;  // the span of touched_ in use: [low_, high_)
  std::size_t high_ = 0;
};

}  // namespace quarnel
