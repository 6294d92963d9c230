#include "cover/cover.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <random>
#include <thread>
#include <vector>

#include "model/platform.h"

namespace quarnel {
namespace {

// The cells drawn as `cell` in rows of '#' (a cell), '+' (one that may be covered) and '.' (none).
LayerCells Drawn(std::initializer_list<const char*> rows, char cell = '#') {
  LayerCells layer{};
  int y = 0;
  for (const char* row : rows) {
    for (int x = 0; row[x] != 0; ++x) layer[x + kColumns * y] = row[x] == cell;
    ++y;
  }
  return layer;
}

// The cells that must be covered and those that may be.
std::pair<LayerCells, LayerCells> MustAndMay(std::initializer_list<const char*> rows) {
  return {Drawn(rows), Drawn(rows, '+')};
}

LayerCells Cells(std::initializer_list<std::pair<int, int>> cells) {
  LayerCells layer{};
  for (const auto& [x, y] : cells) layer[x + kColumns * y] = 1;
  return layer;
}

// Every must cell covered, nothing outside allowed ∪ must covered.
void ExpectExactCover(const LayerCells& must, const LayerCells& allowed, const LayerCover& cover) {
  LayerCells covered{};
  for (const Rect& r : cover.rects) {
    ASSERT_TRUE(r.x1 <= r.x2 && r.y1 <= r.y2 && r.x1 >= 0 && r.y1 >= 0 && r.x2 < kColumns &&
                r.y2 < kRows);
    for (int y = r.y1; y <= r.y2; ++y) {
      for (int x = r.x1; x <= r.x2; ++x) {
        const int i = x + kColumns * y;
        ASSERT_TRUE(must[i] || allowed[i]) << "covers the empty cell " << x << "," << y;
        covered[i] = 1;
      }
    }
  }
  for (int i = 0; i < kLayerCells; ++i) {
    if (must[i]) {
      ASSERT_TRUE(covered[i]) << "misses cell " << i % kColumns << "," << i / kColumns;
    }
  }
  EXPECT_LE(cover.lower_bound, static_cast<int>(cover.rects.size()));
}

TEST(CoverLayer, HandlesEmptyFullAndSingleCellLayers) {
  LayerCells full;
  full.fill(1);
  const struct {
    const char* what;
    LayerCells must;
    std::size_t rects;
  } cases[] = {
      {"empty", LayerCells{}, 0},
      {"full", full, 1},
      {"one cell", Cells({{7, 9}}), 1},
      {"far corner", Cells({{50, 50}}), 1},
      {"two apart", Cells({{0, 0}, {2, 0}}), 2},
      {"an L", Cells({{0, 0}, {1, 0}, {0, 1}}), 2},
      {"a plus", Cells({{1, 0}, {0, 1}, {1, 1}, {2, 1}, {1, 2}}), 2},
  };
  for (const auto& c : cases) {
    const LayerCover cover = CoverLayer(c.must, c.must);
    EXPECT_EQ(cover.rects.size(), c.rects) << c.what;
    EXPECT_EQ(cover.lower_bound, static_cast<int>(c.rects)) << c.what;
    ExpectExactCover(c.must, c.must, cover);
  }
}

TEST(CoverLayer, MayUseAllowedCellsButNotEmptyOnes) {
  // Two red cells with an already covered (blue) cell between them: one rectangle.
  const LayerCells must = Cells({{0, 0}, {2, 0}});
  const LayerCover bridged = CoverLayer(must, Cells({{1, 0}}));
  EXPECT_EQ(bridged.rects, (std::vector<Rect>{{0, 0, 2, 0}}));
  // Allowed cells alone need no cover.
  EXPECT_TRUE(CoverLayer(LayerCells{}, Cells({{1, 1}})).rects.empty());
}

LayerCells RandomLayer(std::mt19937& random, int kind) {
  LayerCells layer{};
  std::uniform_int_distribution<int> coordinate(0, kColumns - 1);
  if (kind < 2) {  // noise, 50 % or 80 %
    std::bernoulli_distribution on(kind == 0 ? 0.5 : 0.8);
    for (auto& cell : layer) cell = on(random) ? 1 : 0;
  } else {  // a union of random rectangles
    std::uniform_int_distribution<int> size(1, 15);
    for (int n = std::uniform_int_distribution<int>(1, 12)(random); n > 0; --n) {
      const int x = coordinate(random), y = coordinate(random);
      const int w = size(random), h = size(random);
      for (int yy = y; yy < std::min(kRows, y + h); ++yy) {
        for (int xx = x; xx < std::min(kColumns, x + w); ++xx) layer[xx + kColumns * yy] = 1;
      }
    }
  }
  return layer;
}

TEST(CoverLayer, CoversRandomLayersExactly) {
  std::mt19937 random(11);
  for (int i = 0; i < 300; ++i) {
    const LayerCells allowed = RandomLayer(random, i % 3);
    // Some of the cells must be covered, the rest may be.
    LayerCells must = allowed;
    std::bernoulli_distribution keep(i % 2 ? 1.0 : 0.6);
    for (auto& cell : must) cell = cell && keep(random);
    ExpectExactCover(must, allowed, CoverLayer(must, allowed));
    if (HasFatalFailure()) return;
  }
}

// Memory kept from layer to layer covers as fresh memory does, and threads that cover and end, as
// the shortener's and Auto's do by the dozen, end cleanly (on Windows too).
TEST(CoverLayer, KeptMemoryCoversAsFreshMemoryOnThreadsThatEnd) {
  std::mt19937 random(5);
  std::vector<std::vector<int>> layers;
  for (int i = 0; i < 8; ++i) {
    const LayerCells cells = RandomLayer(random, i % 3);
    std::vector<int>& listed = layers.emplace_back();
    for (int cell = 0; cell < kLayerCells; ++cell)
      if (cells[cell]) listed.push_back(cell);
  }
  const auto rects = [](const LayerCover& cover) {
    std::vector<std::array<int, 4>> all;
    for (const Rect& r : cover.rects) all.push_back({r.x1, r.y1, r.x2, r.y2});
    return all;
  };
  const auto cover_all = [&] {
    CoverMemory memory;
    for (const std::vector<int>& must : layers)
      EXPECT_EQ(rects(CoverCells(must, {}, {}, memory)), rects(CoverCells(must, {})));
  };
  // WebAssembly here has no threads: there the memory is only compared.
  for (int thread = 0; thread < 48; ++thread) {
    if (platform::HasThreads()) {
      std::thread(cover_all).join();
    } else {
      cover_all();
    }
  }
}

// The fewest rectangles that cover `must` within `allowed` on a small grid, by trying every
// choice: some maximal rectangle of any cover holds the first cell left uncovered.
class BruteForce {
 public:
  BruteForce(const LayerCells& must, const LayerCells& allowed, int side) : side_(side) {
    std::vector<std::uint32_t> usable(static_cast<std::size_t>(side) + 1, 0);  // a row of bits each
    for (int y = 0; y < side; ++y) {
      for (int x = 0; x < side; ++x) {
        if (allowed[x + kColumns * y] || must[x + kColumns * y]) usable[y] |= 1u << x;
      }
    }
    const auto full = [&](const Rect& r) {
      const std::uint32_t columns = ((2u << r.x2) - 1) & ~((1u << r.x1) - 1);
      for (int y = r.y1; y <= r.y2; ++y) {
        if ((usable[y] & columns) != columns) return false;
      }
      return r.x2 < side;
    };
    for (int y1 = 0; y1 < side; ++y1) {
      for (int x1 = 0; x1 < side; ++x1) {
        for (int y2 = y1; y2 < side; ++y2) {
          for (int x2 = x1; x2 < side; ++x2) {
            if (!full({x1, y1, x2, y2}) || (x1 > 0 && full({x1 - 1, y1, x2, y2})) ||
                full({x1, y1, x2 + 1, y2}) || (y1 > 0 && full({x1, y1 - 1, x2, y2})) ||
                full({x1, y1, x2, y2 + 1})) {
              continue;
            }
            masks_.push_back(Bits(must, {x1, y1, x2, y2}));
          }
        }
      }
    }
    target_ = Bits(must, {0, 0, side - 1, side - 1});
    for (int y = 0; y < side; ++y) usable_ |= std::uint64_t{usable[y]} << (side * y);
  }

  // Whether `rects` cover every must cell and no cell that may not be covered.
  bool IsCover(const std::vector<Rect>& rects) const {
    std::uint64_t covered = 0;
    for (const Rect& r : rects) {
      if (r.x1 < 0 || r.y1 < 0 || r.x1 > r.x2 || r.y1 > r.y2 || r.x2 >= side_ || r.y2 >= side_) {
        return false;
      }
      std::uint64_t box = 0;
      for (int y = r.y1; y <= r.y2; ++y) {
        for (int x = r.x1; x <= r.x2; ++x) box |= std::uint64_t{1} << (x + side_ * y);
      }
      if (box & ~usable_) return false;
      covered |= box;
    }
    return (target_ & ~covered) == 0;
  }

  int Fewest() const {
    int k = 0;
    while (!Covers(target_, k)) ++k;
    return k;
  }

 private:
  std::uint64_t Bits(const LayerCells& cells, const Rect& r) const {
    std::uint64_t bits = 0;
    for (int y = r.y1; y <= r.y2; ++y) {
      for (int x = r.x1; x <= r.x2; ++x) {
        if (cells[x + kColumns * y]) bits |= std::uint64_t{1} << (x + side_ * y);
      }
    }
    return bits;
  }
  bool Covers(std::uint64_t left, int k) const {
    if (left == 0) return true;
    if (k == 0) return false;
    const std::uint64_t first = left & -left;
    return std::any_of(masks_.begin(), masks_.end(), [&](std::uint64_t mask) {
      return (mask & first) && Covers(left & ~mask, k - 1);
    });
  }

  int side_;
  std::vector<std::uint64_t> masks_;
  std::uint64_t target_ = 0;
  std::uint64_t usable_ = 0;
};

// Every 3 × 3 grid of empty, may and must cells, every 4 × 4 grid of must cells, and random
// 5 × 5 and 6 × 6 ones: a cover marked proven is a true minimum, no cover is larger than the
// greedy one, and no bound passes the minimum.
TEST(CoverLayer, StaysBetweenTheBoundAndTheOptimumOnSmallGrids) {
  int grids = 0;
  int proven = 0;
  const auto check = [&](const LayerCells& must, const LayerCells& allowed, int side) {
    // As lists of cells: scanning the whole layer for each of 85,000 grids would cost the most.
    std::vector<int> must_cells, allowed_cells;
    for (int i = 0; i < side * side; ++i) {
      const int cell = i % side + kColumns * (i / side);
      if (must[cell]) must_cells.push_back(cell);
      if (allowed[cell]) allowed_cells.push_back(cell);
    }
    const LayerCover cover = CoverCells(must_cells, allowed_cells);
    const BruteForce brute(must, allowed, side);
    ASSERT_TRUE(brute.IsCover(cover.rects)) << grids;
    const int size = static_cast<int>(cover.rects.size());
    const int fewest = brute.Fewest();
    ASSERT_LE(cover.lower_bound, fewest) << grids;
    ASSERT_LE(size, static_cast<int>(
                        CoverCells(must_cells, allowed_cells, {.exact = false}).rects.size()));
    ASSERT_TRUE(!cover.proven || size == fewest) << grids;
    ++grids;
    proven += cover.proven;
  };
  const auto grid = [](int side, auto kind_of) {
    std::pair<LayerCells, LayerCells> cells{};  // must, allowed
    for (int i = 0; i < side * side; ++i) {
      const int kind = kind_of(i);  // 0: empty, 1: may, 2: must
      cells.first[i % side + kColumns * (i / side)] = kind == 2;
      cells.second[i % side + kColumns * (i / side)] = kind == 1;
    }
    return cells;
  };
  for (int n = 0; n < 19683; ++n) {
    const auto [must, allowed] = grid(3, [&](int i) {
      int digits = n;
      for (int k = 0; k < i; ++k) digits /= 3;
      return digits % 3;
    });
    check(must, allowed, 3);
    if (HasFatalFailure()) return;
  }
  for (int bits = 0; bits < 65536; ++bits) {
    const auto [must, allowed] = grid(4, [&](int i) { return (bits >> i & 1) * 2; });
    check(must, allowed, 4);
    if (HasFatalFailure()) return;
  }
  std::mt19937 random(3);
  for (int i = 0; i < 2000; ++i) {
    std::discrete_distribution<int> kind(i % 2 ? std::initializer_list<double>{1, 1, 4}
                                               : std::initializer_list<double>{1, 0, 3});
    const int side = i < 1000 ? 5 : 6;
    const auto [must, allowed] = grid(side, [&](int) { return kind(random); });
    check(must, allowed, side);
    if (HasFatalFailure()) return;
  }
  // The search budget is never reached on grids this small.
  EXPECT_EQ(proven, grids);
}

// Shapes the greedy cover misses, covered with their optimum.
TEST(CoverLayer, FindsTheOptimumWhereTheGreedyCoverMissesIt) {
  LayerCells corridor{};  // 45°, five cells wide: one rectangle per row
  for (int y = 0; y < 8; ++y) {
    for (int x = y; x < y + 5; ++x) corridor[x + kColumns * y] = 1;
  }
  const struct {
    const char* what;
    LayerCells cells;
    std::size_t greedy, optimum;
  } cases[] = {
      {"corridor", corridor, 10, 8},
      {"zigzag of two-wide steps",
       Drawn({"##....",  //
              "####..",  //
              "######",  //
              "..####",  //
              "....##"}),
       4, 3},
      {"three chained outlines",
       Drawn({"#####...",  //
              "#.####..",  //
              "#.######",  //
              "######.#",  //
              "...#####"}),
       8, 7},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CoverLayer(c.cells, c.cells, {.exact = false}).rects.size(), c.greedy) << c.what;
    const LayerCover cover = CoverLayer(c.cells, c.cells);
    ExpectExactCover(c.cells, c.cells, cover);
    EXPECT_EQ(cover.rects.size(), c.optimum) << c.what;
    EXPECT_TRUE(cover.proven) << c.what;
    EXPECT_EQ(cover.lower_bound, static_cast<int>(c.optimum)) << c.what;
  }
}

// Layers on which one step of the exact cover decides the result. Even with no search budget the
// cover is the fewest and proven; where the reductions settle a layer, no search node is spent.
TEST(CoverLayer, TakesEachStepOfTheExactCoverWhereItDecides) {
  const struct {
    const char* what;
    std::pair<LayerCells, LayerCells> layer;
    std::size_t greedy, fewest;
    bool settled;  // by the reductions alone
  } cases[] = {
      {"redundant rectangles dropped smallest first, for cells that must be covered",
       MustAndMay({"..#.........#.",  //
                   "#########...+.",  //
                   "#+.+#####+####",  //
                   "..........##.#"}),
       6, 6, true},
      {"reductions repeated until nothing changes, a rectangle judged by its cells left",
       MustAndMay({"..#++#.",  //
                   ".##..#+",  //
                   ".#..##+",  //
                   ".####+#",  //
                   "+###+#."}),
       6, 5, true},
      {"a cell judged by the rectangles still open",
       MustAndMay({".....#+",  //
                   "....###",  //
                   "..#.+#.",  //
                   ".#####.",  //
                   "##+##..",  //
                   "#++#...",  //
                   "+#.##.."}),
       7, 7, true},
      {"a bound of 5 only as the sum of the parts the reductions leave; the layer's own is 4",
       MustAndMay({"#+...",  //
                   "##+#.",  //
                   "+..##",  //
                   "#+##.",  //
                   "..#.."}),
       5, 5, false},
  };
  for (const auto& c : cases) {
    const auto& [must, allowed] = c.layer;
    EXPECT_EQ(CoverLayer(must, allowed, {.exact = false}).rects.size(), c.greedy) << c.what;
    for (const long budget : {CoverEffort{}.node_budget, 0L}) {
      const LayerCover cover = CoverLayer(must, allowed, {.node_budget = budget});
      ExpectExactCover(must, allowed, cover);
      EXPECT_EQ(cover.rects.size(), c.fewest) << c.what << ", budget " << budget;
      EXPECT_EQ(cover.lower_bound, static_cast<int>(c.fewest)) << c.what << ", budget " << budget;
      EXPECT_TRUE(cover.proven) << c.what << ", budget " << budget;
      if (budget > 0) {
        EXPECT_EQ(cover.search_nodes == 0, c.settled) << c.what;
      }
    }
  }
}

LayerCells Band(int width, int rows) {
  LayerCells band{};
  for (int y = 0; y < rows; ++y) {
    for (int x = y; x < std::min(y + width, kColumns); ++x) band[x + kColumns * y] = 1;
  }
  return band;
}

// Shapes whose bound alone proves the optimum, which the greedy cover mostly misses: even with no
// search budget, the cover found is proven. In a staircase and in bands at 45° so wide that each
// cell lies in many large rectangles, the bound comes from testing cells against each other: the
// corner of each step fits no other step's in one rectangle, and the first cell of each row no
// other row's, while a rectangle per step or row covers them.
TEST(CoverLayer, ProvesTheOptimumByTheBound) {
  const struct {
    const char* what;
    LayerCells cells;
    std::size_t greedy, optimum;
  } cases[] = {
      {"staircase", Band(kColumns, 47), 47, 47},
      {"band 16 x 12", Band(16, 12), 17, 12},
      {"band 20 x 20", Band(20, 20), 27, 20},
      {"holes",
       Drawn({"####.###",  //
              "######.#",  //
              "########",  //
              "#.#####.",  //
              "#.######",  //
              "###.####",  //
              "########",  //
              "####..##"}),
       10, 9},
  };
  for (const auto& c : cases) {
    const LayerCover greedy = CoverLayer(c.cells, c.cells, {.exact = false});
    EXPECT_EQ(greedy.rects.size(), c.greedy) << c.what;
    EXPECT_EQ(greedy.lower_bound, static_cast<int>(c.optimum)) << c.what;
    EXPECT_EQ(greedy.proven, c.greedy == c.optimum) << c.what;
    for (const long budget : {CoverEffort{}.node_budget, 0L}) {
      const LayerCover cover = CoverLayer(c.cells, c.cells, {.node_budget = budget});
      ExpectExactCover(c.cells, c.cells, cover);
      EXPECT_EQ(cover.rects.size(), c.optimum) << c.what << ", budget " << budget;
      EXPECT_EQ(cover.lower_bound, static_cast<int>(c.optimum)) << c.what << ", budget " << budget;
      EXPECT_TRUE(cover.proven) << c.what << ", budget " << budget;
    }
  }
}

// Out of budget, the cover is the best found, never worse than the greedy one, and says it is
// not proven; its bound still holds. The first group needs a search to prove its optimum, 22; the
// corridor below it, 8, does not.
TEST(CoverLayer, KeepsTheBestFoundWhenTheSearchRunsOutOfBudget) {
  LayerCells layer = Drawn({"#.#######.",  //
                            "#...##.###",  //
                            "###.#####.",  //
                            "##..##.#..",  //
                            ".####.#...",  //
                            "##.#.###.#",  //
                            "#.#.#####.",  //
                            "#..###.###",  //
                            "#####.####",  //
                            "###.###.##"});
  for (int y = 12; y < 20; ++y) {
    for (int x = y; x < y + 5; ++x) layer[x + kColumns * y] = 1;
  }
  const LayerCover best = CoverLayer(layer, layer);
  const LayerCover cut = CoverLayer(layer, layer, {.node_budget = 0});
  const LayerCover greedy = CoverLayer(layer, layer, {.exact = false});
  ExpectExactCover(layer, layer, cut);
  EXPECT_FALSE(cut.proven);
  EXPECT_LE(cut.rects.size(), greedy.rects.size());
  EXPECT_LT(cut.lower_bound, static_cast<int>(cut.rects.size()));
  EXPECT_LE(cut.lower_bound, 30);
  EXPECT_TRUE(best.proven);
  EXPECT_EQ(best.rects.size(), 30u);
  EXPECT_EQ(cut.search_nodes, 0);
  EXPECT_GT(best.search_nodes, 0);
  EXPECT_LE(best.search_nodes, CoverEffort{}.node_budget);
  EXPECT_FALSE(greedy.proven);
}

TEST(CoverLayer, IsDeterministic) {
  std::mt19937 random(8);
  const LayerCells layer = RandomLayer(random, 0);
  const LayerCover first = CoverLayer(layer, layer);
  EXPECT_EQ(CoverLayer(layer, layer).rects, first.rects);
}

}  // namespace
}  // namespace quarnel
