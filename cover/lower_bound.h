#pragma once

#include <cstdint>
#include <vector>

#include "cover/cover.h"
#include "cover/group.h"

namespace quarnel {

// The fewest rectangles any cover of a group's must cells needs, at least: must cells no two of
// which fit in one all-usable rectangle each need a rectangle of their own. Two cells fit together
// exactly when some maximal rectangle holds both. Cells held by few maximal rectangles are tried
// first, as they are the likeliest to stay apart. Keeps its working memory from group to group.
class LowerBoundFinder {
 public:
  // `candidates`: every maximal all-usable rectangle of `group`.
  int Find(const Group& group, const std::vector<Rect>& candidates);

 private:
  // Fills counts_ with how many candidates hold each cell; returns their total area.
  long long CountHolding(const Group& group, const std::vector<Rect>& candidates);
  // The must cells by that count, in index order among equals, as keys (count, y, x).
  void SortMustCells(const Group& group);
  // Few large rectangles: few cells stay apart, so each is tested against those chosen.
  int ApartByTesting(const Group& group);
  // Many small rectangles: choosing a cell rules out every cell of the rectangles that hold it.
  int ApartByRulingOut(const Group& group, const std::vector<Rect>& candidates);
  int RectsHolding(int x, int y) const { return counts_[x + stride_ * y]; }

  int stride_ = 0;
  std::vector<int> counts_;
  std::vector<std::uint64_t> keyed_;
  std::vector<std::uint64_t> apart_;
  std::vector<int> first_;
  std::vector<int> holding_;
  std::vector<int> filled_;
  std::vector<Row> ruled_out_;
};

}  // namespace quarnel
