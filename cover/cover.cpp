#include "cover/cover.h"

#include <algorithm>
#include <queue>
#include <tuple>

namespace quarnel {
namespace {

// One connected group of cells in the smallest box that holds it, in the box's own coordinates:
// every step below costs in proportion to the group, not to the whole layer.
struct Group {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> must;    // must be covered
  std::vector<std::uint8_t> usable;  // may be covered (must cells included)

  int Index(int x, int y) const { return x + width * y; }
  int Size() const { return width * height; }
};

// Counts of flagged cells in any rectangle, in O(1).
class PrefixSums {
 public:
  PrefixSums(const Group& group, const std::vector<std::uint8_t>& cells)
      : stride_(group.width + 1), sums_(static_cast<std::size_t>(stride_ * (group.height + 1))) {
    for (int y = 0; y < group.height; ++y) {
      for (int x = 0; x < group.width; ++x) {
        At(x + 1, y + 1) =
            (cells[group.Index(x, y)] ? 1 : 0) + At(x, y + 1) + At(x + 1, y) - At(x, y);
      }
    }
  }
  int Count(const Rect& r) const {
    return At(r.x2 + 1, r.y2 + 1) - At(r.x1, r.y2 + 1) - At(r.x2 + 1, r.y1) + At(r.x1, r.y1);
  }
  bool Full(const Rect& r) const { return Count(r) == r.Area(); }

 private:
  int& At(int x, int y) { return sums_[static_cast<std::size_t>(x + stride_ * y)]; }
  int At(int x, int y) const { return sums_[static_cast<std::size_t>(x + stride_ * y)]; }
  int stride_;
  std::vector<int> sums_;
};

// Every maximal all-usable rectangle that holds at least one `must` cell. Row by row, the usable
// run above each cell forms a histogram; each bar popped from the usual stack gives a rectangle
// maximal left, right and up, which is maximal when the row below cannot extend it. O(cells).
std::vector<Rect> MaximalRects(const Group& group, const PrefixSums& usable,
                               const PrefixSums& must) {
  std::vector<Rect> rects;
  std::vector<int> height(static_cast<std::size_t>(group.width), 0);
  struct Bar {
    int start, height;
  };
  std::vector<Bar> stack;
  for (int y = 0; y < group.height; ++y) {
    for (int x = 0; x < group.width; ++x) {
      height[x] = group.usable[group.Index(x, y)] ? height[x] + 1 : 0;
    }
    stack.clear();
    for (int x = 0; x <= group.width; ++x) {
      const int h = x < group.width ? height[x] : 0;
      int start = x;
      while (!stack.empty() && stack.back().height >= h) {
        const Bar bar = stack.back();
        stack.pop_back();
        if (bar.height > h) {
          const Rect rect{bar.start, y - bar.height + 1, x - 1, y};
          const bool grows_down =
              y + 1 < group.height && usable.Full({rect.x1, y + 1, rect.x2, y + 1});
          if (!grows_down && must.Count(rect) > 0) rects.push_back(rect);
        }
        start = bar.start;
      }
      if (h > 0) stack.push_back({start, h});
    }
  }
  return rects;
}

// Counts of flagged cells in any rectangle while cells are being cleared: a 2-D Fenwick tree,
// O(log w · log h) for both.
class FenwickGrid {
 public:
  FenwickGrid(const Group& group, const std::vector<std::uint8_t>& cells)
      : width_(group.width),
        height_(group.height),
        tree_(static_cast<std::size_t>((width_ + 1) * (height_ + 1)), 0) {
    for (int y = 0; y < height_; ++y) {
      for (int x = 0; x < width_; ++x) {
        if (cells[group.Index(x, y)]) Add(x, y, 1);
      }
    }
  }
  void Add(int x, int y, int value) {
    for (int i = x + 1; i <= width_; i += i & -i) {
      for (int j = y + 1; j <= height_; j += j & -j) tree_[Slot(i, j)] += value;
    }
  }
  int Count(const Rect& r) const {
    return Below(r.x2 + 1, r.y2 + 1) - Below(r.x1, r.y2 + 1) - Below(r.x2 + 1, r.y1) +
           Below(r.x1, r.y1);
  }

 private:
  std::size_t Slot(int i, int j) const { return static_cast<std::size_t>(i + (width_ + 1) * j); }
  // Flagged cells with x < x_end and y < y_end.
  int Below(int x_end, int y_end) const {
    int sum = 0;
    for (int i = x_end; i > 0; i -= i & -i) {
      for (int j = y_end; j > 0; j -= j & -j) sum += tree_[Slot(i, j)];
    }
    return sum;
  }
  int width_;
  int height_;
  std::vector<int> tree_;
};

// Lazy greedy: a rectangle's gain only falls as others are chosen, so a stale gain is an upper
// bound. Ties go to the larger rectangle, then to the earlier one, for a deterministic result.
std::vector<Rect> GreedyCover(const Group& group, const PrefixSums& must,
                              const std::vector<Rect>& candidates) {
  std::vector<std::uint8_t> uncovered = group.must;
  FenwickGrid uncovered_counts(group, uncovered);
  int left = static_cast<int>(std::count(uncovered.begin(), uncovered.end(), 1));
  using Entry = std::tuple<int, int, int>;  // gain, area, -index
  std::priority_queue<Entry> queue;
  for (int i = 0; i < static_cast<int>(candidates.size()); ++i) {
    // At first nothing is covered, so the gain is the count of must cells.
    queue.emplace(must.Count(candidates[i]), candidates[i].Area(), -i);
  }
  std::vector<Rect> chosen;
  while (left > 0 && !queue.empty()) {
    const auto [stale, area, negative_index] = queue.top();
    queue.pop();
    const Rect& rect = candidates[static_cast<std::size_t>(-negative_index)];
    const int fresh = uncovered_counts.Count(rect);
    if (fresh == 0) continue;
    if (fresh < stale) {
      queue.emplace(fresh, area, negative_index);
      continue;
    }
    chosen.push_back(rect);
    left -= fresh;
    for (int y = rect.y1; y <= rect.y2; ++y) {
      for (int x = rect.x1; x <= rect.x2; ++x) {
        auto& cell = uncovered[group.Index(x, y)];
        if (cell) {
          cell = 0;
          uncovered_counts.Add(x, y, -1);
        }
      }
    }
  }
  return chosen;
}

// Drops rectangles whose `must` cells all lie in other chosen rectangles; the smallest go first.
std::vector<Rect> DropRedundant(const Group& group, std::vector<Rect> chosen) {
  std::vector<int> times_covered(static_cast<std::size_t>(group.Size()), 0);
  const auto add = [&](const Rect& r, int step) {
    for (int y = r.y1; y <= r.y2; ++y) {
      for (int x = r.x1; x <= r.x2; ++x) times_covered[group.Index(x, y)] += step;
    }
  };
  for (const Rect& r : chosen) add(r, 1);
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
        needed = group.must[group.Index(x, y)] && times_covered[group.Index(x, y)] == 1;
      }
    }
    if (needed) continue;
    dropped[i] = true;
    add(r, -1);
  }
  std::vector<Rect> kept;
  for (int i = 0; i < static_cast<int>(chosen.size()); ++i) {
    if (!dropped[i]) kept.push_back(chosen[i]);
  }
  return kept;
}

// `must` cells no two of which fit in one all-usable rectangle: each needs a rectangle of its own.
// Two cells fit together exactly when some maximal rectangle holds both. Cells held by few
// maximal rectangles are tried first, as they are the likeliest to stay apart.
int LowerBound(const Group& group, const PrefixSums& usable, const std::vector<Rect>& candidates) {
  const auto size = static_cast<std::size_t>(group.Size());
  // How many candidates hold each cell, by a difference grid: O(candidates + cells).
  const int stride = group.width + 1;
  std::vector<int> delta(static_cast<std::size_t>(stride * (group.height + 1)), 0);
  long long total_area = 0;
  for (const Rect& r : candidates) {
    delta[r.x1 + stride * r.y1] += 1;
    delta[r.x2 + 1 + stride * r.y1] -= 1;
    delta[r.x1 + stride * (r.y2 + 1)] -= 1;
    delta[r.x2 + 1 + stride * (r.y2 + 1)] += 1;
    total_area += r.Area();
  }
  std::vector<int> rects_holding(size, 0);
  for (int y = 0; y < group.height; ++y) {
    for (int x = 0; x < group.width; ++x) {
      int& d = delta[x + stride * y];
      if (x > 0) d += delta[x - 1 + stride * y];
      if (y > 0) d += delta[x + stride * (y - 1)];
      if (x > 0 && y > 0) d -= delta[x - 1 + stride * (y - 1)];
      rects_holding[group.Index(x, y)] = d;
    }
  }
  std::vector<int> cells;
  for (int i = 0; i < group.Size(); ++i) {
    if (group.must[i]) cells.push_back(i);
  }
  std::stable_sort(cells.begin(), cells.end(),
                   [&](int a, int b) { return rects_holding[a] < rects_holding[b]; });

  std::vector<int> apart;
  if (total_area > 8LL * group.Size()) {
    // Few large rectangles: few cells stay apart, so test each against those chosen.
    for (const int cell : cells) {
      const int x = cell % group.width;
      const int y = cell / group.width;
      const bool fits = std::any_of(apart.begin(), apart.end(), [&](int other) {
        const int ox = other % group.width;
        const int oy = other / group.width;
        return usable.Full({std::min(x, ox), std::min(y, oy), std::max(x, ox), std::max(y, oy)});
      });
      if (!fits) apart.push_back(cell);
    }
    return static_cast<int>(apart.size());
  }
  // Many small rectangles: choosing a cell rules out every cell of the rectangles that hold it.
  std::vector<int> first(size + 1, 0);
  for (std::size_t i = 0; i < size; ++i) first[i + 1] = first[i] + rects_holding[i];
  std::vector<int> holding(static_cast<std::size_t>(first[size]));
  std::vector<int> filled(size, 0);
  for (int r = 0; r < static_cast<int>(candidates.size()); ++r) {
    const Rect& rect = candidates[r];
    for (int y = rect.y1; y <= rect.y2; ++y) {
      for (int x = rect.x1; x <= rect.x2; ++x) {
        const int cell = group.Index(x, y);
        holding[first[cell] + filled[cell]++] = r;
      }
    }
  }
  std::vector<std::uint8_t> ruled_out(size, 0);
  for (const int cell : cells) {
    if (ruled_out[cell]) continue;
    apart.push_back(cell);
    for (int h = first[cell]; h < first[cell + 1]; ++h) {
      const Rect& r = candidates[holding[h]];
      for (int y = r.y1; y <= r.y2; ++y) {
        for (int x = r.x1; x <= r.x2; ++x) ruled_out[group.Index(x, y)] = 1;
      }
    }
  }
  return static_cast<int>(apart.size());
}

// Covers one group and adds its rectangles, back in layer coordinates, and its bound.
void CoverGroup(const Group& group, int left, int top, LayerCover& cover) {
  const PrefixSums usable(group, group.usable);
  const PrefixSums must(group, group.must);
  const std::vector<Rect> candidates = MaximalRects(group, usable, must);
  for (const Rect& r : DropRedundant(group, GreedyCover(group, must, candidates))) {
    cover.rects.push_back({r.x1 + left, r.y1 + top, r.x2 + left, r.y2 + top});
  }
  cover.lower_bound += LowerBound(group, usable, candidates);
}

}  // namespace

LayerCover CoverCells(const std::vector<int>& must, const std::vector<int>& allowed) {
  // 0: empty, 1: allowed, 2: must; groups are found by flooding from each must cell in turn. A
  // sparse layer is covered many thousand times in a template: the grids are kept between calls
  // and only the cells listed are touched, set here and cleared again below.
  thread_local LayerCells state{};
  thread_local LayerCells seen{};
  for (const int cell : allowed) state[cell] = 1;
  for (const int cell : must) state[cell] = 2;
  thread_local std::vector<int> must_order;
  must_order.assign(must.begin(), must.end());
  std::sort(must_order.begin(), must_order.end());
  struct Clear {
    const std::vector<int>& must;
    const std::vector<int>& allowed;
    ~Clear() {
      for (const int cell : must) state[cell] = seen[cell] = 0;
      for (const int cell : allowed) state[cell] = seen[cell] = 0;
    }
  } clear{must, allowed};

  LayerCover cover;
  thread_local std::vector<int> members;
  thread_local Group group;
  for (const int seed : must_order) {
    if (seen[seed]) continue;
    members.assign(1, seed);
    seen[seed] = 1;
    for (std::size_t next = 0; next < members.size(); ++next) {
      const int cell = members[next];
      const int x = cell % kSide;
      const int y = cell / kSide;
      const int neighbours[] = {x > 0 ? cell - 1 : -1, x + 1 < kSide ? cell + 1 : -1,
                                y > 0 ? cell - kSide : -1, y + 1 < kSide ? cell + kSide : -1};
      for (const int n : neighbours) {
        if (n >= 0 && state[n] && !seen[n]) {
          seen[n] = 1;
          members.push_back(n);
        }
      }
    }
    if (members.size() == 1) {  // a cell on its own: the common case in a sparse layer
      const int x = seed % kSide;
      const int y = seed / kSide;
      cover.rects.push_back({x, y, x, y});
      ++cover.lower_bound;
      continue;
    }
    int left = kSide, top = kSide, right = -1, bottom = -1;
    for (const int cell : members) {
      left = std::min(left, cell % kSide);
      right = std::max(right, cell % kSide);
      top = std::min(top, cell / kSide);
      bottom = std::max(bottom, cell / kSide);
    }
    group.width = right - left + 1;
    group.height = bottom - top + 1;
    group.must.assign(static_cast<std::size_t>(group.Size()), 0);
    group.usable.assign(static_cast<std::size_t>(group.Size()), 0);
    for (const int cell : members) {
      const int local = group.Index(cell % kSide - left, cell / kSide - top);
      group.usable[local] = 1;
      group.must[local] = state[cell] == 2;
    }
    CoverGroup(group, left, top, cover);
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
