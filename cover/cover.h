#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "model/grid.h"

namespace quarnel {

// One layer's cells, as flags, at GridCell::LayerIndex.
using LayerCells = std::array<std::uint8_t, kLayerCells>;

// Columns x1..x2 and rows y1..y2, both ends included.
struct Rect {
  int x1, y1, x2, y2;

  int Area() const { return (x2 - x1 + 1) * (y2 - y1 + 1); }
  bool operator==(const Rect&) const = default;
};

struct LayerCover {
  std::vector<Rect> rects;  // in the order chosen
  int lower_bound = 0;      // no cover can use fewer rectangles
  bool proven = true;       // no cover uses fewer rectangles than `rects`
  long search_nodes = 0;    // of the effort's budget
};

// How hard to look for the fewest rectangles.
struct CoverEffort {
  bool exact = true;  // false: the greedy cover alone
  // Search nodes for the whole layer, after which the best cover found so far is kept: some 20 ms
  // at worst.
  long node_budget = 10'000;
};

// A small set of rectangles that covers every `must` cell and only `allowed` cells (`must` cells
// count as allowed). Each connected group of cells is covered on its own, as no rectangle can
// span two. Greedy first: among the maximal all-allowed rectangles, take the one covering the
// most uncovered `must` cells, until all are covered; then drop rectangles that became
// redundant. The lower bound comes from `must` cells no two of which fit in one all-allowed
// rectangle. Where the greedy cover does not meet it, an exact search over the maximal
// rectangles looks for the fewest; it is never larger than the greedy cover. Deterministic.
LayerCover CoverLayer(const LayerCells& must, const LayerCells& allowed,
                      const CoverEffort& effort = {});

// The working memory of covering, kept by a caller that covers many layers: a template has tens of
// thousands of groups of cells, most of them small. One for each thread; not a thread_local,
// whose destructor at a thread's end frees freed memory on Windows (mingw-w64's emulated TLS).
class CoverMemory {
 public:
  CoverMemory();
  ~CoverMemory();
  CoverMemory(CoverMemory&&) noexcept;
  CoverMemory& operator=(CoverMemory&&) noexcept;

 private:
  friend LayerCover CoverCells(const std::vector<int>& must, const std::vector<int>& allowed,
                               const CoverEffort& effort, CoverMemory& memory);
  struct Kept;
  std::unique_ptr<Kept> kept_;  // made when a layer first has a group to cover
};

// The same for cells given as lists of indices GridCell::LayerIndex; costs little for a sparse
// layer.
LayerCover CoverCells(const std::vector<int>& must, const std::vector<int>& allowed,
                      const CoverEffort& effort, CoverMemory& memory);
LayerCover CoverCells(const std::vector<int>& must, const std::vector<int>& allowed,
                      const CoverEffort& effort = {});

}  // namespace quarnel
