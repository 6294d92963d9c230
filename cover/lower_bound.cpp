#include "cover/lower_bound.h"

#include <algorithm>
#include <bit>

namespace quarnel {
namespace {

// Whether any rectangle is all usable, in O(1): counts of usable cells by prefix sums.
class UsableSums {
 public:
  explicit UsableSums(const Group& group)
      : stride_(group.width + 1), sums_(static_cast<std::size_t>(stride_ * (group.height + 1))) {
    for (int y = 0; y < group.height; ++y) {
      for (int x = 0; x < group.width; ++x) {
        At(x + 1, y + 1) =
            static_cast<int>(group.usable[y] >> x & 1) + At(x, y + 1) + At(x + 1, y) - At(x, y);
      }
    }
  }
  bool Full(const Rect& r) const {
    return At(r.x2 + 1, r.y2 + 1) - At(r.x1, r.y2 + 1) - At(r.x2 + 1, r.y1) + At(r.x1, r.y1) ==
           r.Area();
  }

 private:
  int& At(int x, int y) { return sums_[static_cast<std::size_t>(x + stride_ * y)]; }
  int At(int x, int y) const { return sums_[static_cast<std::size_t>(x + stride_ * y)]; }
  int stride_;
  std::vector<int> sums_;
};

int XOf(std::uint64_t key) {
  return static_cast<int>(key & 63);
}
int YOf(std::uint64_t key) {
  return static_cast<int>(key >> 6 & 63);
}

}  // namespace

int LowerBoundFinder::Find(const Group& group, const std::vector<Rect>& candidates) {
  const long long total_area = CountHolding(group, candidates);
  SortMustCells(group);
  return total_area > 8LL * group.Size() ? ApartByTesting(group)
                                         : ApartByRulingOut(group, candidates);
}

long long LowerBoundFinder::CountHolding(const Group& group, const std::vector<Rect>& candidates) {
  // A difference grid: O(candidates + cells).
  stride_ = group.width + 1;
  const int stride = stride_;
  counts_.assign(static_cast<std::size_t>(stride * (group.height + 1)), 0);
  long long total_area = 0;
  for (const Rect& r : candidates) {
    counts_[r.x1 + stride * r.y1] += 1;
    counts_[r.x2 + 1 + stride * r.y1] -= 1;
    counts_[r.x1 + stride * (r.y2 + 1)] -= 1;
    counts_[r.x2 + 1 + stride * (r.y2 + 1)] += 1;
    total_area += r.Area();
  }
  for (int y = 0; y < group.height; ++y) {
    for (int x = 0; x < group.width; ++x) {
      int& d = counts_[x + stride * y];
      if (x > 0) d += counts_[x - 1 + stride * y];
      if (y > 0) d += counts_[x + stride * (y - 1)];
      if (x > 0 && y > 0) d -= counts_[x - 1 + stride * (y - 1)];
    }
  }
  return total_area;
}

void LowerBoundFinder::SortMustCells(const Group& group) {
  keyed_.clear();
  for (int y = 0; y < group.height; ++y) {
    for (Row row = group.must[y]; row != 0; row &= row - 1) {
      const int x = std::countr_zero(row);
      keyed_.push_back(std::uint64_t(RectsHolding(x, y)) << 32 | std::uint32_t(y << 6 | x));
    }
  }
  std::sort(keyed_.begin(), keyed_.end());
}

int LowerBoundFinder::ApartByTesting(const Group& group) {
  const UsableSums usable(group);
  apart_.clear();
  for (const std::uint64_t key : keyed_) {
    const int x = XOf(key);
    const int y = YOf(key);
    const bool fits = std::any_of(apart_.begin(), apart_.end(), [&](std::uint64_t other) {
      const int ox = XOf(other);
      const int oy = YOf(other);
      return usable.Full({std::min(x, ox), std::min(y, oy), std::max(x, ox), std::max(y, oy)});
    });
    if (!fits) apart_.push_back(key);
  }
  return static_cast<int>(apart_.size());
}

int LowerBoundFinder::ApartByRulingOut(const Group& group, const std::vector<Rect>& candidates) {
  const auto size = static_cast<std::size_t>(group.Size());
  first_.assign(size + 1, 0);
  for (int y = 0; y < group.height; ++y) {
    for (int x = 0; x < group.width; ++x) {
      const int cell = group.Index(x, y);
      first_[cell + 1] = first_[cell] + RectsHolding(x, y);
    }
  }
  holding_.resize(static_cast<std::size_t>(first_[size]));
  filled_.assign(size, 0);
  for (int r = 0; r < static_cast<int>(candidates.size()); ++r) {
    const Rect& rect = candidates[r];
    for (int y = rect.y1; y <= rect.y2; ++y) {
      for (int x = rect.x1; x <= rect.x2; ++x) {
        const int cell = group.Index(x, y);
        holding_[first_[cell] + filled_[cell]++] = r;
      }
    }
  }
  int apart = 0;
  ruled_out_.assign(static_cast<std::size_t>(group.height), 0);
  for (const std::uint64_t key : keyed_) {
    const int x = XOf(key);
    const int y = YOf(key);
    if (ruled_out_[y] >> x & 1) continue;
    ++apart;
    const int cell = group.Index(x, y);
    for (int h = first_[cell]; h < first_[cell + 1]; ++h) {
      const Rect& r = candidates[holding_[h]];
      const Row columns = Columns(r.x1, r.x2);
      for (int ry = r.y1; ry <= r.y2; ++ry) ruled_out_[ry] |= columns;
    }
  }
  return apart;
}

}  // namespace quarnel
