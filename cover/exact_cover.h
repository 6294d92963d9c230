#pragma once

#include <cstdint>
#include <span>
#include <utility>
#include <vector>

#include "cover/cover.h"
#include "cover/cover_search.h"
#include "cover/group.h"

namespace quarnel {

// Turns a cover of one group into the fewest rectangles. Reductions settle most of a layer:
// repeat until nothing changes: take a rectangle that is the only one holding some cell; drop a
// rectangle whose uncovered cells another holds; drop a cell whose rectangles include all of
// another cell's. What is left falls apart into small independent parts, each searched by
// branch and bound. Working memory is kept from one group to the next.
class ExactCoverer {
 public:
  // `candidates` are every maximal all-usable rectangle of `group` that holds a must cell, and
  // `cover` some of them covering every must cell; `lower_bound` is known to hold. Replaces
  // `cover` with a smaller one if it finds one, raises `lower_bound` to what it proves, and says
  // whether `cover` is then the fewest. The search stops when `node_budget`, which it draws on,
  // runs out.
  bool Improve(const Group& group, const std::vector<Rect>& candidates, long& node_budget,
               std::vector<Rect>& cover, int& lower_bound);

 private:
  void Prepare(const Group& group, const std::vector<Rect>& candidates);
  bool TakeEssential();
  bool DropDominatedRects();
  bool DropDominatedCells();
  bool LiveBox(int rect, Rect& box) const;
  void Take(int rect);
  void Drop(int rect);
  template <typename Each>
  void ForEachMustCell(const Rect& r, Each each) const;
  template <typename Each>
  void ForEachLiveCell(int rect, Each each) const;
  bool SolveParts(long& node_budget, int& bound);
  CoverSearch::Outcome SolvePart(std::span<const std::pair<int, int>> rects, long node_budget);

  const Group* group_ = nullptr;
  const std::vector<Rect>* candidates_ = nullptr;
  std::vector<int> cell_of_;        // per box position: the must cell there, or -1
  std::vector<int> first_;          // per must cell, where its rectangles start in holding_
  std::vector<int> holding_;        // the rectangles holding each must cell
  std::vector<int> count_;          // per must cell: rectangles still open that hold it
  std::vector<Row> live_;           // must cells not yet covered or dropped
  std::vector<std::uint8_t> open_;  // per rectangle: neither taken nor dropped
  std::vector<int> taken_;
  std::vector<int> part_of_;                     // per must cell: its part, by union-find
  std::vector<int> local_;                       // per must cell: its index within its part
  std::vector<int> part_cells_;                  // per part root: cells in it
  std::vector<std::uint64_t> masks_;             // one part's rectangles as masks of its cells
  std::vector<std::pair<int, int>> part_rects_;  // (part, rectangle)
  CoverSearch search_;
};

}  // namespace quarnel
