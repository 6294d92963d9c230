#include "cover/cover.h"

#include <algorithm>
#include <queue>
#include <tuple>

namespace quarnel {
namespace {

constexpr int Index(int x, int y) {
  return x + kSide * y;
}

// Counts of flagged cells in any rectangle, in O(1).
class PrefixSums {
 public:
  explicit PrefixSums(const LayerCells& cells) {
    for (int y = 0; y < kSide; ++y) {
      for (int x = 0; x < kSide; ++x) {
        At(x + 1, y + 1) = (cells[Index(x, y)] ? 1 : 0) + At(x, y + 1) + At(x + 1, y) - At(x, y);
      }
    }
  }
  int Count(const Rect& r) const {
    return At(r.x2 + 1, r.y2 + 1) - At(r.x1, r.y2 + 1) - At(r.x2 + 1, r.y1) + At(r.x1, r.y1);
  }
  bool Full(const Rect& r) const { return Count(r) == r.Area(); }

 private:
  int& At(int x, int y) { return sums_[x + (kSide + 1) * y]; }
  int At(int x, int y) const { return sums_[x + (kSide + 1) * y]; }
  std::array<int, (kSide + 1) * (kSide + 1)> sums_{};
};

// Every maximal all-allowed rectangle that holds at least one `must` cell. For each band of rows
// top..bottom, the columns allowed over the whole band form runs; a run is maximal sideways, and
// maximal as a rectangle when the band cannot grow up or down over it.
// Only the box that holds the cells is searched.
std::vector<Rect> MaximalRects(const PrefixSums& allowed, const PrefixSums& must, const Rect& box) {
  std::vector<Rect> rects;
  for (int top = box.y1; top <= box.y2; ++top) {
    for (int bottom = top; bottom <= box.y2; ++bottom) {
      bool any_column = false;
      for (int x = box.x1; x <= box.x2;) {
        if (!allowed.Full({x, top, x, bottom})) {
          ++x;
          continue;
        }
        any_column = true;
        int end = x;
        while (end + 1 <= box.x2 && allowed.Full({end + 1, top, end + 1, bottom})) ++end;
        const Rect run{x, top, end, bottom};
        const bool grows_up = top > 0 && allowed.Full({x, top - 1, end, top - 1});
        const bool grows_down =
            bottom + 1 < kSide && allowed.Full({x, bottom + 1, end, bottom + 1});
        if (!grows_up && !grows_down && must.Count(run) > 0) rects.push_back(run);
        x = end + 1;
      }
      if (!any_column) break;  // a taller band has no allowed column either
    }
  }
  return rects;
}

int Uncovered(const LayerCells& uncovered, const Rect& r) {
  int count = 0;
  for (int y = r.y1; y <= r.y2; ++y) {
    for (int x = r.x1; x <= r.x2; ++x) count += uncovered[Index(x, y)];
  }
  return count;
}

std::vector<Rect> GreedyCover(const LayerCells& must, const std::vector<Rect>& candidates) {
  LayerCells uncovered = must;
  int left = 0;
  for (const auto flag : must) left += flag ? 1 : 0;
  for (auto& flag : uncovered) flag = flag ? 1 : 0;

  // Lazy greedy: a rectangle's gain only falls as others are chosen, so a stale gain is an upper
  // bound. Ties go to the larger rectangle, then to the earlier one, for a deterministic result.
  using Entry = std::tuple<int, int, int>;  // gain, area, -index
  std::priority_queue<Entry> queue;
  for (int i = 0; i < static_cast<int>(candidates.size()); ++i) {
    queue.emplace(Uncovered(uncovered, candidates[i]), candidates[i].Area(), -i);
  }
  std::vector<Rect> chosen;
  while (left > 0 && !queue.empty()) {
    auto [gain, area, negative_index] = queue.top();
    queue.pop();
    const Rect& rect = candidates[-negative_index];
    const int fresh = Uncovered(uncovered, rect);
    if (fresh == 0) continue;
    if (fresh < gain) {
      queue.emplace(fresh, area, negative_index);
      continue;
    }
    chosen.push_back(rect);
    left -= fresh;
    for (int y = rect.y1; y <= rect.y2; ++y) {
      for (int x = rect.x1; x <= rect.x2; ++x) uncovered[Index(x, y)] = 0;
    }
  }
  return chosen;
}

// Drops rectangles whose `must` cells all lie in other chosen rectangles; the smallest go first.
std::vector<Rect> DropRedundant(const LayerCells& must, std::vector<Rect> chosen) {
  std::array<int, kSide * kSide> times_covered{};
  for (const Rect& r : chosen) {
    for (int y = r.y1; y <= r.y2; ++y) {
      for (int x = r.x1; x <= r.x2; ++x) ++times_covered[Index(x, y)];
    }
  }
  std::vector<int> order(chosen.size());
  for (int i = 0; i < static_cast<int>(order.size()); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(),
                   [&](int a, int b) { return chosen[a].Area() < chosen[b].Area(); });
  std::vector<bool> dropped(chosen.size(), false);
  for (const int i : order) {
    const Rect& r = chosen[i];
    bool needed = false;
    for (int y = r.y1; y <= r.y2 && !needed; ++y) {
      for (int x = r.x1; x <= r.x2 && !needed; ++x) {
        needed = must[Index(x, y)] && times_covered[Index(x, y)] == 1;
      }
    }
    if (needed) continue;
    dropped[i] = true;
    for (int y = r.y1; y <= r.y2; ++y) {
      for (int x = r.x1; x <= r.x2; ++x) --times_covered[Index(x, y)];
    }
  }
  std::vector<Rect> kept;
  for (int i = 0; i < static_cast<int>(chosen.size()); ++i) {
    if (!dropped[i]) kept.push_back(chosen[i]);
  }
  return kept;
}

// `must` cells no two of which fit in one all-allowed rectangle: each needs a rectangle of its own.
// Cells that fit with few others are tried first, as they are the likeliest to stay apart.
int LowerBound(const LayerCells& must, const PrefixSums& allowed,
               const std::vector<Rect>& candidates) {
  std::array<int, kSide * kSide> rects_holding{};
  for (const Rect& r : candidates) {
    for (int y = r.y1; y <= r.y2; ++y) {
      for (int x = r.x1; x <= r.x2; ++x) ++rects_holding[Index(x, y)];
    }
  }
  std::vector<int> cells;
  for (int i = 0; i < kSide * kSide; ++i) {
    if (must[i]) cells.push_back(i);
  }
  std::stable_sort(cells.begin(), cells.end(),
                   [&](int a, int b) { return rects_holding[a] < rects_holding[b]; });
  std::vector<int> apart;
  for (const int cell : cells) {
    const int x = cell % kSide;
    const int y = cell / kSide;
    const bool fits_with_one = std::any_of(apart.begin(), apart.end(), [&](int other) {
      const int ox = other % kSide;
      const int oy = other / kSide;
      return allowed.Full({std::min(x, ox), std::min(y, oy), std::max(x, ox), std::max(y, oy)});
    });
    if (!fits_with_one) apart.push_back(cell);
  }
  return static_cast<int>(apart.size());
}

// Covers one connected group of cells, in a grid that holds nothing else, within `box`.
void CoverGroup(const LayerCells& must, const LayerCells& usable, const Rect& box,
                LayerCover& cover) {
  const PrefixSums allowed_sums(usable);
  const PrefixSums must_sums(must);
  const std::vector<Rect> candidates = MaximalRects(allowed_sums, must_sums, box);
  for (const Rect& r : DropRedundant(must, GreedyCover(must, candidates))) {
    cover.rects.push_back(r);
  }
  cover.lower_bound += LowerBound(must, allowed_sums, candidates);
}

}  // namespace

LayerCover CoverCells(const std::vector<int>& must, const std::vector<int>& allowed) {
  // 0: empty, 1: allowed, 2: must; groups are found by flooding from each must cell in turn.
  LayerCells state{};
  for (const int cell : allowed) state[cell] = 1;
  for (const int cell : must) state[cell] = 2;
  std::vector<int> must_order(must);
  std::sort(must_order.begin(), must_order.end());

  LayerCover cover;
  LayerCells seen{};
  std::vector<int> group;
  LayerCells group_must{};
  LayerCells group_usable{};
  for (const int seed : must_order) {
    if (seen[seed]) continue;
    group.assign(1, seed);
    seen[seed] = 1;
    bool has_neighbour = false;
    for (std::size_t next = 0; next < group.size(); ++next) {
      const int cell = group[next];
      const int x = cell % kSide;
      const int y = cell / kSide;
      const int neighbours[] = {x > 0 ? cell - 1 : -1, x + 1 < kSide ? cell + 1 : -1,
                                y > 0 ? cell - kSide : -1, y + 1 < kSide ? cell + kSide : -1};
      for (const int n : neighbours) {
        if (n < 0 || !state[n]) continue;
        has_neighbour = true;
        if (!seen[n]) {
          seen[n] = 1;
          group.push_back(n);
        }
      }
    }
    if (!has_neighbour) {  // a cell on its own: the common case in a sparse layer
      const int x = seed % kSide;
      const int y = seed / kSide;
      cover.rects.push_back({x, y, x, y});
      ++cover.lower_bound;
      continue;
    }
    Rect box{kSide, kSide, -1, -1};
    for (const int cell : group) {
      group_usable[cell] = 1;
      group_must[cell] = state[cell] == 2;
      box = {std::min(box.x1, cell % kSide), std::min(box.y1, cell / kSide),
             std::max(box.x2, cell % kSide), std::max(box.y2, cell / kSide)};
    }
    CoverGroup(group_must, group_usable, box, cover);
    for (const int cell : group) {
      group_usable[cell] = 0;
      group_must[cell] = 0;
    }
  }
  return cover;
}

LayerCover CoverLayer(const LayerCells& must, const LayerCells& allowed) {
  std::vector<int> must_cells;
  std::vector<int> allowed_cells;
  for (int i = 0; i < kSide * kSide; ++i) {
    if (must[i]) {
      must_cells.push_back(i);
    } else if (allowed[i]) {
      allowed_cells.push_back(i);
    }
  }
  return CoverCells(must_cells, allowed_cells);
}

}  // namespace quarnel
