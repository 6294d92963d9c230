#include "cover/cover_search.h"

#include <gtest/gtest.h>

#include <bit>
#include <random>
#include <vector>

namespace quarnel {
namespace {

using Masks = std::vector<std::uint64_t>;

// Whether the chosen sets hold every one of `cells` cells.
bool Covers(int cells, const Masks& masks, const std::vector<int>& chosen) {
  const int words = CoverSearch::Words(cells);
  for (int w = 0; w < words; ++w) {
    std::uint64_t held = 0;
    for (const int s : chosen) held |= masks[static_cast<std::size_t>(s * words + w)];
    const int bits = std::min(64, cells - 64 * w);
    if (held != (bits == 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << bits) - 1)) return false;
  }
  return true;
}

// Random problems of up to 14 cells and 14 sets, sparse to dense, a tenth of which the sets
// that hold the most cells first do not solve, against every subset of the sets;
// a search cut short still gives a cover and a bound that holds.
TEST(CoverSearch, FindsTheFewestSetsAgainstEverySubset) {
  std::mt19937 random(9);
  CoverSearch search;
  for (int round = 0; round < 1000; ++round) {
    const int cells = 8 + round % 7;
    const int sets = 6 + round % 9;
    Masks masks(static_cast<std::size_t>(sets));
    std::bernoulli_distribution holds(0.15 + 0.1 * (round % 4));
    std::uniform_int_distribution<int> any_set(0, sets - 1);
    for (int c = 0; c < cells; ++c) {
      bool held = false;
      for (auto& mask : masks) {
        if (!holds(random)) continue;
        mask |= std::uint64_t{1} << c;
        held = true;
      }
      if (!held) masks[static_cast<std::size_t>(any_set(random))] |= std::uint64_t{1} << c;
    }
    // The cells each subset of the sets holds, from the subset without its lowest set.
    std::vector<std::uint64_t> held(std::size_t{1} << sets, 0);
    int fewest = sets;
    for (std::uint32_t subset = 1; subset < held.size(); ++subset) {
      held[subset] = held[subset & (subset - 1)] | masks[std::countr_zero(subset)];
      if (held[subset] == (std::uint64_t{1} << cells) - 1) {
        fewest = std::min(fewest, std::popcount(subset));
      }
    }
    const CoverSearch::Outcome found = search.Solve(cells, sets, masks, 1'000'000);
    ASSERT_TRUE(found.proven) << round;
    ASSERT_TRUE(Covers(cells, masks, found.chosen)) << round;
    ASSERT_EQ(static_cast<int>(found.chosen.size()), fewest) << round;
    ASSERT_EQ(found.lower_bound, fewest) << round;
    const CoverSearch::Outcome cut = search.Solve(cells, sets, masks, 0);
    ASSERT_FALSE(cut.proven) << round;
    ASSERT_TRUE(Covers(cells, masks, cut.chosen)) << round;
    ASSERT_LE(cut.lower_bound, fewest) << round;
  }
}

// Runs of 7 cells starting at each of 100 cells: masks of two words, and 15 runs at least.
TEST(CoverSearch, HandlesMasksOfSeveralWords) {
  const int cells = 100;
  const int words = CoverSearch::Words(cells);
  Masks masks;
  for (int start = 0; start + 7 <= cells; ++start) {
    for (int w = 0; w < words; ++w) {
      std::uint64_t mask = 0;
      for (int c = start; c < start + 7; ++c) {
        if (c / 64 == w) mask |= std::uint64_t{1} << (c % 64);
      }
      masks.push_back(mask);
    }
  }
  CoverSearch search;
  const auto found = search.Solve(cells, static_cast<int>(masks.size()) / words, masks, 1'000'000);
  EXPECT_TRUE(found.proven);
  EXPECT_EQ(found.chosen.size(), 15u);
  EXPECT_TRUE(Covers(cells, masks, found.chosen));
}

}  // namespace
}  // namespace quarnel
