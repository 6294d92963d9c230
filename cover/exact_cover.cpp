#include "cover/exact_cover.h"

#include <algorithm>
#include <bit>
#include <memory>
#include <numeric>
#include <span>
#include <utility>

namespace quarnel {
namespace {

bool Inside(const Rect& inner, const Rect& outer) {
  return inner.x1 >= outer.x1 && inner.x2 <= outer.x2 && inner.y1 >= outer.y1 &&
         inner.y2 <= outer.y2;
}

int Root(std::vector<int>& parent, int c) {
  while (parent[c] != c) c = parent[c] = parent[parent[c]];
  return c;
}

}  // namespace

bool ExactCoverer::Improve(const Group& group, const std::vector<Rect>& candidates,
                           long& node_budget, std::vector<Rect>& cover, int& lower_bound) {
  Prepare(group, candidates);
  for (bool changed = true; changed;) {
    changed = TakeEssential();
    changed = DropDominatedRects() || changed;
    changed = DropDominatedCells() || changed;
  }
  int bound = 0;
  const bool proven = SolveParts(node_budget, bound);
  if (taken_.size() < cover.size()) {
    cover.clear();
    for (const int r : taken_) cover.push_back(candidates[r]);
  }
  lower_bound = std::max(lower_bound, bound);
  // The parts' bounds can fall short where the group's own bound meets the cover.
  if (proven || lower_bound >= static_cast<int>(cover.size())) {
    lower_bound = static_cast<int>(cover.size());
    return true;
  }
  return false;
}

template <typename Each>
void ExactCoverer::ForEachMustCell(const Rect& r, Each each) const {
  const Row columns = Columns(r.x1, r.x2);
  for (int y = r.y1; y <= r.y2; ++y) {
    for (Row bits = group_->must[y] & columns; bits != 0; bits &= bits - 1) {
      each(cell_of_[group_->Index(std::countr_zero(bits), y)]);
    }
  }
}

void ExactCoverer::Prepare(const Group& group, const std::vector<Rect>& candidates) {
  group_ = &group;
  candidates_ = &candidates;
  cell_of_.assign(static_cast<std::size_t>(group.Size()), -1);
  int cells = 0;
  for (int y = 0; y < group.height; ++y) {
    for (Row bits = group.must[y]; bits != 0; bits &= bits - 1) {
      cell_of_[group.Index(std::countr_zero(bits), y)] = cells++;
    }
  }
  first_.assign(static_cast<std::size_t>(cells + 1), 0);
  for (const Rect& r : candidates) ForEachMustCell(r, [&](int c) { ++first_[c + 1]; });
  std::partial_sum(first_.begin(), first_.end(), first_.begin());
  holding_.resize(static_cast<std::size_t>(first_[cells]));
  count_.assign(static_cast<std::size_t>(cells), 0);
  for (int r = 0; r < static_cast<int>(candidates.size()); ++r) {
    ForEachMustCell(candidates[r], [&](int c) { holding_[first_[c] + count_[c]++] = r; });
  }
  live_ = group.must;
  open_.assign(candidates.size(), 1);
  taken_.clear();
}

void ExactCoverer::Drop(int rect) {
  open_[rect] = 0;
  ForEachMustCell((*candidates_)[rect], [&](int c) { --count_[c]; });
}

void ExactCoverer::Take(int rect) {
  taken_.push_back(rect);
  Drop(rect);
  const Rect& r = (*candidates_)[rect];
  const Row columns = Columns(r.x1, r.x2);
  for (int y = r.y1; y <= r.y2; ++y) live_[y] &= ~columns;
}

template <typename Each>
void ExactCoverer::ForEachLiveCell(int rect, Each each) const {
  const Rect& r = (*candidates_)[rect];
  const Row columns = Columns(r.x1, r.x2);
  for (int y = r.y1; y <= r.y2; ++y) {
    for (Row bits = live_[y] & columns; bits != 0; bits &= bits - 1) {
      each(cell_of_[group_->Index(std::countr_zero(bits), y)]);
    }
  }
}

// The box of the live cells of a rectangle; false when it has none.
bool ExactCoverer::LiveBox(int rect, Rect& box) const {
  const Rect& r = (*candidates_)[rect];
  const Row columns = Columns(r.x1, r.x2);
  box = {64, -1, -1, -1};
  for (int y = r.y1; y <= r.y2; ++y) {
    const Row bits = live_[y] & columns;
    if (bits == 0) continue;
    if (box.y1 < 0) box.y1 = y;
    box.y2 = y;
    box.x1 = std::min(box.x1, std::countr_zero(bits));
    box.x2 = std::max(box.x2, 63 - std::countl_zero(bits));
  }
  return box.y1 >= 0;
}

// A cell only one open rectangle holds: every cover takes that rectangle.
bool ExactCoverer::TakeEssential() {
  bool changed = false;
  for (int y = 0; y < group_->height; ++y) {
    for (Row bits = live_[y]; bits != 0; bits &= bits - 1) {
      const int x = std::countr_zero(bits);
      const int c = cell_of_[group_->Index(x, y)];
      if (!(live_[y] >> x & 1) || count_[c] != 1) continue;
      for (int h = first_[c]; h < first_[c + 1]; ++h) {
        if (open_[holding_[h]]) {
          Take(holding_[h]);
          break;
        }
      }
      changed = true;
    }
  }
  return changed;
}

// A rectangle whose live cells another open rectangle holds too can be swapped for that one. As
// the other is a rectangle, holding the box of those cells is enough. The other stays open, so of
// two with the same live cells one is kept.
bool ExactCoverer::DropDominatedRects() {
  bool changed = false;
  for (int r = 0; r < static_cast<int>(open_.size()); ++r) {
    if (!open_[r]) continue;
    Rect box;
    if (!LiveBox(r, box)) {
      Drop(r);
      changed = true;
      continue;
    }
    const Row top = live_[box.y1] & Columns(box.x1, box.x2);
    const int c = cell_of_[group_->Index(std::countr_zero(top), box.y1)];
    for (int h = first_[c]; h < first_[c + 1]; ++h) {
      const int other = holding_[h];
      if (other == r || !open_[other] || !Inside(box, (*candidates_)[other])) continue;
      Drop(r);
      changed = true;
      break;
    }
  }
  return changed;
}

// Every rectangle holding cell d holds each cell of their intersection: a rectangle that covers
// d covers those too, so they need no thought. d stays, so of two cells in the same rectangles
// one is kept.
bool ExactCoverer::DropDominatedCells() {
  bool changed = false;
  for (int y = 0; y < group_->height; ++y) {
    for (Row bits = live_[y]; bits != 0; bits &= bits - 1) {
      const int x = std::countr_zero(bits);
      const int d = cell_of_[group_->Index(x, y)];
      if (!(live_[y] >> x & 1) || count_[d] == 0) continue;
      Rect meet{0, 0, 63, 63};
      for (int h = first_[d]; h < first_[d + 1]; ++h) {
        if (!open_[holding_[h]]) continue;
        const Rect& r = (*candidates_)[holding_[h]];
        meet = {std::max(meet.x1, r.x1), std::max(meet.y1, r.y1), std::min(meet.x2, r.x2),
                std::min(meet.y2, r.y2)};
      }
      const Row columns = Columns(meet.x1, meet.x2);
      for (int my = meet.y1; my <= meet.y2; ++my) {
        for (Row others = live_[my] & columns; others != 0; others &= others - 1) {
          const int mx = std::countr_zero(others);
          const int c = cell_of_[group_->Index(mx, my)];
          if (c == d) continue;
          live_[my] &= ~(Row{1} << mx);
          changed = true;
        }
      }
    }
  }
  return changed;
}

// What the reductions leave falls apart into parts that share no rectangle: each is searched on
// its own, as a few cells and rectangles, from the budget what was searched before left. Appends
// their covers to taken_ and sets `bound` to what every cover needs; says whether all are proven.
bool ExactCoverer::SolveParts(long& node_budget, int& bound) {
  const int cells = static_cast<int>(count_.size());
  part_of_.resize(static_cast<std::size_t>(cells));
  std::iota(part_of_.begin(), part_of_.end(), 0);
  for (int r = 0; r < static_cast<int>(open_.size()); ++r) {
    if (!open_[r]) continue;
    int first = -1;
    ForEachLiveCell(r, [&](int c) {
      if (first < 0) first = Root(part_of_, c);
      part_of_[Root(part_of_, c)] = first;
    });
  }
  // Each part's cells, numbered within the part in cell order; its rectangles, by part.
  local_.assign(static_cast<std::size_t>(cells), -1);
  part_cells_.assign(static_cast<std::size_t>(cells), 0);
  for (int y = 0; y < group_->height; ++y) {
    for (Row bits = live_[y]; bits != 0; bits &= bits - 1) {
      const int c = cell_of_[group_->Index(std::countr_zero(bits), y)];
      local_[c] = part_cells_[Root(part_of_, c)]++;
    }
  }
  part_rects_.clear();
  for (int r = 0; r < static_cast<int>(open_.size()); ++r) {
    int root = -1;
    if (open_[r]) ForEachLiveCell(r, [&](int c) { root = Root(part_of_, c); });
    if (root >= 0) part_rects_.push_back({root, r});
  }
  std::sort(part_rects_.begin(), part_rects_.end());
  bound = static_cast<int>(taken_.size());
  bool proven = true;
  for (auto begin = part_rects_.begin(); begin != part_rects_.end();) {
    const auto end = std::find_if(begin, part_rects_.end(),
                                  [&](const auto& pr) { return pr.first != begin->first; });
    const CoverSearch::Outcome outcome = SolvePart(
        {std::to_address(begin), static_cast<std::size_t>(end - begin)}, std::max(0L, node_budget));
    node_budget -= outcome.nodes;
    bound += outcome.lower_bound;
    proven = proven && outcome.proven;
    begin = end;
  }
  return proven;
}

// One part, given as (part, rectangle) pairs; appends its cover to taken_.
CoverSearch::Outcome ExactCoverer::SolvePart(std::span<const std::pair<int, int>> rects,
                                             long node_budget) {
  const int cells = part_cells_[rects.front().first];
  const int words = CoverSearch::Words(cells);
  masks_.assign(rects.size() * static_cast<std::size_t>(words), 0);
  for (std::size_t i = 0; i < rects.size(); ++i) {
    std::uint64_t* mask = &masks_[i * static_cast<std::size_t>(words)];
    ForEachLiveCell(rects[i].second,
                    [&](int c) { mask[local_[c] / 64] |= std::uint64_t{1} << (local_[c] % 64); });
  }
  CoverSearch::Outcome outcome =
      search_.Solve(cells, static_cast<int>(rects.size()), masks_, node_budget);
  for (const int s : outcome.chosen) taken_.push_back(rects[s].second);
  return outcome;
}

}  // namespace quarnel
