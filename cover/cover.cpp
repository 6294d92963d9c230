#include "cover/cover.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <tuple>

#include "cover/exact_cover.h"
#include "cover/group.h"
#include "cover/lower_bound.h"

namespace quarnel {
namespace {

using LayerRows = std::array<Row, kRows>;

// Cells of `rows` inside `r`.
int Count(const std::vector<Row>& rows, const Rect& r) {
  const Row columns = Columns(r.x1, r.x2);
  int count = 0;
  for (int y = r.y1; y <= r.y2; ++y) count += std::popcount(rows[y] & columns);
  return count;
}
bool AnyIn(const std::vector<Row>& rows, const Rect& r) {
  const Row columns = Columns(r.x1, r.x2);
  for (int y = r.y1; y <= r.y2; ++y) {
    if (rows[y] & columns) return true;
  }
  return false;
}

// The runs of set bits in `row` that hold a bit of `seeds`: the seeds spread left and right
// through set bits, in doubling steps.
Row RunsHolding(Row row, Row seeds) {
  Row left = seeds & row;
  Row right = left;
  Row open_left = row;
  Row open_right = row;
  for (int step = 1; step < 64; step *= 2) {
    left |= open_left & (left << step);
    open_left &= open_left << step;
    right |= open_right & (right >> step);
    open_right &= open_right >> step;
  }
  return left | right;
}

struct FloodedGroup {
  LayerRows rows{};  // the group's cells
  int top = 0;       // its first and last rows
  int bottom = 0;
};

// The cells of `usable` connected to (x, y), a row at a time: a row that grows makes its
// neighbour rows look again. Each row grows at most once for each of its runs.
FloodedGroup Flood(const LayerRows& usable, int x, int y) {
  FloodedGroup group;
  group.rows[y] = RunsHolding(usable[y], Row{1} << x);
  group.top = group.bottom = y;
  Row to_look = Row{1} << y;  // rows whose neighbours may grow
  while (to_look != 0) {
    const int from = std::countr_zero(to_look);
    to_look &= to_look - 1;
    for (const int next : {from - 1, from + 1}) {
      if (next < 0 || next >= kRows) continue;
      const Row grown = RunsHolding(usable[next], group.rows[from]) & ~group.rows[next];
      if (grown == 0) continue;
      group.rows[next] |= grown;
      to_look |= Row{1} << next;
      group.top = std::min(group.top, next);
      group.bottom = std::max(group.bottom, next);
    }
  }
  return group;
}

// Covers groups one after another. A template has tens of thousands of groups, most of them
// small: the working memory is kept from group to group rather than allocated for each.
class GroupCoverer {
 public:
  // Covers `group` and adds its rectangles, back in layer coordinates, and its bound.
  void Cover(const Group& group, int left, int top, const CoverEffort& effort, long& budget,
             LayerCover& cover) {
    const Row full = Columns(0, group.width - 1);
    if (std::all_of(group.usable.begin(), group.usable.end(),
                    [&](Row row) { return row == full; })) {
      // A whole box, as a group made of one rectangle record is: the box itself, and no cover
      // can do with less than one rectangle.
      cover.rects.push_back({left, top, left + group.width - 1, top + group.height - 1});
      ++cover.lower_bound;
      return;
    }
    FindMaximalRects(group);
    ChooseGreedily(group);
    DropRedundant(group);
    int bound = lower_bound_.Find(group, candidates_);
    if (static_cast<int>(chosen_.size()) > bound) {
      const bool proven =
          effort.exact && exact_.Improve(group, candidates_, budget, chosen_, bound);
      cover.proven = cover.proven && proven;
    }
    for (const Rect& r : chosen_) {
      cover.rects.push_back({r.x1 + left, r.y1 + top, r.x2 + left, r.y2 + top});
    }
    cover.lower_bound += bound;
  }

 private:
  // Every maximal all-usable rectangle that holds at least one `must` cell, into candidates_. Row
  // by row, the usable run above each cell forms a histogram; each bar popped from the usual
  // stack gives a rectangle maximal left, right and up, which is maximal when the row below
  // cannot extend it. O(cells).
  void FindMaximalRects(const Group& group) {
    candidates_.clear();
    height_.assign(static_cast<std::size_t>(group.width), 0);
    for (int y = 0; y < group.height; ++y) {
      for (int x = 0; x < group.width; ++x) {
        height_[x] = (group.usable[y] >> x & 1) ? height_[x] + 1 : 0;
      }
      stack_.clear();
      for (int x = 0; x <= group.width; ++x) {
        const int h = x < group.width ? height_[x] : 0;
        int start = x;
        while (!stack_.empty() && stack_.back().height >= h) {
          const Bar bar = stack_.back();
          stack_.pop_back();
          if (bar.height > h) {
            const Rect rect{bar.start, y - bar.height + 1, x - 1, y};
            const Row columns = Columns(rect.x1, rect.x2);
            const bool grows_down =
                y + 1 < group.height && (group.usable[y + 1] & columns) == columns;
            if (!grows_down && AnyIn(group.must, rect)) candidates_.push_back(rect);
          }
          start = bar.start;
        }
        if (h > 0) stack_.push_back({start, h});
      }
    }
  }

  // Lazy greedy, into chosen_: a rectangle's gain only falls as others are chosen, so a stale
  // gain is an upper bound. Ties go to the larger rectangle, then to the earlier one, for a
  // deterministic result.
  void ChooseGreedily(const Group& group) {
    uncovered_ = group.must;
    int left = 0;
    for (const Row row : uncovered_) left += std::popcount(row);
    queue_.clear();
    for (int i = 0; i < static_cast<int>(candidates_.size()); ++i) {
      // At first nothing is covered, so the gain is the count of must cells.
      queue_.emplace_back(Count(group.must, candidates_[i]), candidates_[i].Area(), -i);
    }
    // A heap of entries no two of which are equal: the order they leave in does not depend on
    // how the heap was made.
    std::make_heap(queue_.begin(), queue_.end());
    chosen_.clear();
    while (left > 0 && !queue_.empty()) {
      std::pop_heap(queue_.begin(), queue_.end());
      const auto [stale, area, negative_index] = queue_.back();
      queue_.pop_back();
      const Rect& rect = candidates_[static_cast<std::size_t>(-negative_index)];
      const int fresh = Count(uncovered_, rect);
      if (fresh == 0) continue;
      if (fresh < stale) {
        queue_.emplace_back(fresh, area, negative_index);
        std::push_heap(queue_.begin(), queue_.end());
        continue;
      }
      chosen_.push_back(rect);
      left -= fresh;
      const Row columns = Columns(rect.x1, rect.x2);
      for (int y = rect.y1; y <= rect.y2; ++y) uncovered_[y] &= ~columns;
    }
  }

  // Drops from chosen_ rectangles whose `must` cells all lie in other chosen rectangles; the
  // smallest go first.
  void DropRedundant(const Group& group) {
    counts_.assign(static_cast<std::size_t>(group.Size()), 0);  // times each cell is covered
    const auto add = [&](const Rect& r, int step) {
      for (int y = r.y1; y <= r.y2; ++y) {
        for (int x = r.x1; x <= r.x2; ++x) counts_[group.Index(x, y)] += step;
      }
    };
    for (const Rect& r : chosen_) add(r, 1);
    order_.resize(chosen_.size());
    for (int i = 0; i < static_cast<int>(order_.size()); ++i) order_[i] = i;
    std::stable_sort(order_.begin(), order_.end(),
                     [&](int a, int b) { return chosen_[a].Area() < chosen_[b].Area(); });
    dropped_.assign(chosen_.size(), 0);
    for (const int i : order_) {
      const Rect& r = chosen_[i];
      bool needed = false;
      for (int y = r.y1; y <= r.y2 && !needed; ++y) {
        for (int x = r.x1; x <= r.x2 && !needed; ++x) {
          needed = (group.must[y] >> x & 1) && counts_[group.Index(x, y)] == 1;
        }
      }
      if (needed) continue;
      dropped_[i] = 1;
      add(r, -1);
    }
    std::size_t kept = 0;
    for (std::size_t i = 0; i < chosen_.size(); ++i) {
      if (!dropped_[i]) chosen_[kept++] = chosen_[i];
    }
    chosen_.resize(kept);
  }

  using Entry = std::tuple<int, int, int>;  // gain, area, -index
  struct Bar {
    int start, height;
  };

  std::vector<Rect> candidates_;
  std::vector<Rect> chosen_;
  std::vector<Row> uncovered_;
  std::vector<Entry> queue_;  // a heap, greatest first
  std::vector<int> height_;
  std::vector<Bar> stack_;
  std::vector<int> counts_;
  std::vector<int> order_;
  std::vector<std::uint8_t> dropped_;
  LowerBoundFinder lower_bound_;
  ExactCoverer exact_;
};

}  // namespace

struct CoverMemory::Kept {
  Group group;
  GroupCoverer coverer;
};

CoverMemory::CoverMemory() = default;
CoverMemory::~CoverMemory() = default;
CoverMemory::CoverMemory(CoverMemory&&) noexcept = default;
CoverMemory& CoverMemory::operator=(CoverMemory&&) noexcept = default;

LayerCover CoverCells(const std::vector<int>& must, const std::vector<int>& allowed,
                      const CoverEffort& effort) {
  CoverMemory memory;
  return CoverCells(must, allowed, effort, memory);
}

LayerCover CoverCells(const std::vector<int>& must, const std::vector<int>& allowed,
                      const CoverEffort& effort, CoverMemory& memory) {
  LayerRows usable{};
  LayerRows must_rows{};
  for (const int index : allowed) {
    const GridCell cell = GridCell::FromLayerIndex(index);
    usable[cell.y] |= Row{1} << cell.x;
  }
  for (const int index : must) {
    const GridCell cell = GridCell::FromLayerIndex(index);
    usable[cell.y] |= Row{1} << cell.x;
    must_rows[cell.y] |= Row{1} << cell.x;
  }

  LayerCover cover;
  long budget = effort.node_budget;  // shared by the layer's groups
  LayerRows seen{};
  // Groups are found by flooding from each must cell in turn, in index order.
  for (int seed_y = 0; seed_y < kRows; ++seed_y) {
    // Each seed joins `seen` with its group; the rest of the row is what is left to flood.
    for (Row seeds = must_rows[seed_y]; (seeds &= ~seen[seed_y]) != 0;) {
      const int seed_x = std::countr_zero(seeds);
      const Row seed = Row{1} << seed_x;
      const Row above = seed_y > 0 ? usable[seed_y - 1] : 0;
      const Row below = seed_y + 1 < kRows ? usable[seed_y + 1] : 0;
      if (((usable[seed_y] & (seed << 1 | seed >> 1)) | ((above | below) & seed)) == 0) {
        // A cell on its own: the common case in a sparse layer.
        seen[seed_y] |= seed;
        cover.rects.push_back({seed_x, seed_y, seed_x, seed_y});
        ++cover.lower_bound;
        continue;
      }
      if (!memory.kept_) memory.kept_ = std::make_unique<CoverMemory::Kept>();
      Group& group = memory.kept_->group;
      const FloodedGroup flooded = Flood(usable, seed_x, seed_y);
      int left = kColumns;
      int right = 0;
      for (int y = flooded.top; y <= flooded.bottom; ++y) {
        const Row row = flooded.rows[y];
        seen[y] |= row;
        if (row == 0) continue;
        left = std::min(left, std::countr_zero(row));
        right = std::max(right, 63 - std::countl_zero(row));
      }
      group.width = right - left + 1;
      group.height = flooded.bottom - flooded.top + 1;
      group.must.resize(static_cast<std::size_t>(group.height));
      group.usable.resize(static_cast<std::size_t>(group.height));
      for (int y = 0; y < group.height; ++y) {
        const Row row = flooded.rows[flooded.top + y];
        group.usable[y] = row >> left;
        group.must[y] = (row & must_rows[flooded.top + y]) >> left;
      }
      memory.kept_->coverer.Cover(group, left, flooded.top, effort, budget, cover);
    }
  }
  cover.search_nodes = effort.node_budget - budget;
  return cover;
}

LayerCover CoverLayer(const LayerCells& must, const LayerCells& allowed,
                      const CoverEffort& effort) {
  std::vector<int> must_cells;
  std::vector<int> allowed_cells;
  for (int i = 0; i < kLayerCells; ++i) {
    if (must[i]) {
      must_cells.push_back(i);
    } else if (allowed[i]) {
      allowed_cells.push_back(i);
    }
  }
  return CoverCells(must_cells, allowed_cells, effort);
}

}  // namespace quarnel
