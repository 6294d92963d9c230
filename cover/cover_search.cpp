#include "cover/cover_search.h"

#include <algorithm>
#include <bit>
#include <cmath>

namespace quarnel {

CoverSearch::Outcome CoverSearch::Solve(int cells, int sets, const std::vector<Word>& masks,
                                        long node_budget) {
  Prepare(cells, sets, masks);
  ChooseGreedily();
  Outcome outcome;
  int branch_cell = 0;
  outcome.lower_bound = Bound(Level(0), branch_cell);
  budget_ = node_budget;
  nodes_ = 0;
  // A node's work grows with the masks it reads: on a large part, a node counts as several, so
  // that the budget bounds the time whatever the part.
  node_cost_ = 1 + (sets * words_ + first_[cells] + cells * words_) / 1024;
  stopped_ = false;
  Search(0);
  outcome.chosen = best_;
  outcome.proven = !stopped_;
  if (outcome.proven) outcome.lower_bound = static_cast<int>(best_.size());
  outcome.nodes = std::min(nodes_, budget_);
  return outcome;
}

void CoverSearch::Prepare(int cells, int sets, const std::vector<Word>& masks) {
  cells_ = cells;
  sets_ = sets;
  words_ = Words(cells);
  masks_ = masks;
  first_.assign(static_cast<std::size_t>(cells + 1), 0);
  for (int s = 0; s < sets; ++s) {
    for (int w = 0; w < words_; ++w) {
      for (Word bits = Mask(s)[w]; bits != 0; bits &= bits - 1) {
        ++first_[static_cast<std::size_t>(w * 64 + std::countr_zero(bits) + 1)];
      }
    }
  }
  for (int c = 0; c < cells; ++c) first_[c + 1] += first_[c];
  holding_.resize(static_cast<std::size_t>(first_[cells]));
  std::vector<int> next(first_.begin(), first_.end() - 1);
  neighbours_.assign(static_cast<std::size_t>(cells * words_), 0);
  for (int s = 0; s < sets; ++s) {
    for (int w = 0; w < words_; ++w) {
      for (Word bits = Mask(s)[w]; bits != 0; bits &= bits - 1) {
        const int cell = w * 64 + std::countr_zero(bits);
        holding_[next[cell]++] = s;
        for (int v = 0; v < words_; ++v) neighbours_[cell * words_ + v] |= Mask(s)[v];
      }
    }
  }
  by_fewest_sets_.resize(static_cast<std::size_t>(cells));
  for (int c = 0; c < cells; ++c) by_fewest_sets_[c] = c;
  std::stable_sort(by_fewest_sets_.begin(), by_fewest_sets_.end(), [&](int a, int b) {
    return first_[a + 1] - first_[a] < first_[b + 1] - first_[b];
  });
  excluded_.assign(static_cast<std::size_t>(sets), 0);
  levels_.assign(static_cast<std::size_t>((cells + 1) * words_), 0);
  for (int c = 0; c < cells; ++c) Level(0)[c / 64] |= Word{1} << (c % 64);
  scratch_.resize(static_cast<std::size_t>(words_));
  gains_.resize(static_cast<std::size_t>(sets));
  branches_.clear();
  chosen_.clear();
}

// Takes the set holding the most uncovered cells until all are covered: the cover to beat.
void CoverSearch::ChooseGreedily() {
  std::vector<Word> uncovered(Level(0), Level(0) + words_);
  best_.clear();
  const auto gain = [&](int s) {
    int n = 0;
    for (int w = 0; w < words_; ++w) n += std::popcount(Mask(s)[w] & uncovered[w]);
    return n;
  };
  while (std::any_of(uncovered.begin(), uncovered.end(), [](Word w) { return w != 0; })) {
    int most = 0;
    int most_gain = gain(0);
    for (int s = 1; s < sets_; ++s) {
      const int g = gain(s);
      if (g <= most_gain) continue;
      most = s;
      most_gain = g;
    }
    best_.push_back(most);
    for (int w = 0; w < words_; ++w) uncovered[w] &= ~Mask(most)[w];
  }
}

// Two lower bounds on the sets still needed; the larger holds. Uncovered cells no two of which
// share a set each need a set of their own. And a set covers at most as many cells as the most
// any set holding one of them covers now, so each cell needs at least the inverse of that share.
// Also picks the cell to branch on: the one in the fewest sets not excluded; -1 when some cell is
// in none, and no cover can be completed here.
int CoverSearch::Bound(const Word* uncovered, int& branch_cell) {
  for (int s = 0; s < sets_; ++s) {
    int n = 0;
    if (!excluded_[s]) {
      for (int w = 0; w < words_; ++w) n += std::popcount(Mask(s)[w] & uncovered[w]);
    }
    gains_[s] = n;
  }
  std::copy(uncovered, uncovered + words_, scratch_.begin());
  int apart = 0;
  double shares = 0;
  int fewest = sets_ + 1;
  branch_cell = -1;
  for (const int c : by_fewest_sets_) {
    const Word bit = Word{1} << (c % 64);
    if (!(uncovered[c / 64] & bit)) continue;
    if (scratch_[c / 64] & bit) {
      ++apart;
      for (int w = 0; w < words_; ++w) scratch_[w] &= ~neighbours_[c * words_ + w];
    }
    int open = 0;
    int most = 0;
    for (int h = first_[c]; h < first_[c + 1]; ++h) {
      open += !excluded_[holding_[h]];
      most = std::max(most, gains_[holding_[h]]);
    }
    if (open == 0) {
      branch_cell = -1;
      return 0;
    }
    shares += 1.0 / most;
    if (open < fewest) {
      fewest = open;
      branch_cell = c;
    }
  }
  // The shares are sums of few fractions: a hair below a whole number is that number.
  return std::max(apart, static_cast<int>(std::ceil(shares - 1e-9)));
}

// Depth-first: some set must cover the branch cell, so each is tried in turn, the one covering
// the most first; once tried, a set is left out of its later siblings' subtrees, which would
// only find the same covers again.
void CoverSearch::Search(int depth) {
  nodes_ += node_cost_;
  if (nodes_ > budget_) {
    stopped_ = true;
    return;
  }
  const Word* uncovered = Level(depth);
  if (std::all_of(uncovered, uncovered + words_, [](Word w) { return w == 0; })) {
    if (depth < static_cast<int>(best_.size())) best_ = chosen_;
    return;
  }
  int branch_cell = 0;
  const int bound = Bound(uncovered, branch_cell);
  if (branch_cell < 0 || depth + bound >= static_cast<int>(best_.size())) return;
  const std::size_t start = branches_.size();
  for (int h = first_[branch_cell]; h < first_[branch_cell + 1]; ++h) {
    if (!excluded_[holding_[h]]) branches_.push_back(holding_[h]);
  }
  std::stable_sort(branches_.begin() + static_cast<std::ptrdiff_t>(start), branches_.end(),
                   [&](int a, int b) { return gains_[a] > gains_[b]; });
  // A set whose uncovered cells an earlier one holds too is no better than it: left out.
  std::size_t end = start;
  for (std::size_t i = start; i < branches_.size(); ++i) {
    const int s = branches_[i];
    const bool dominated =
        std::any_of(branches_.begin() + static_cast<std::ptrdiff_t>(start),
                    branches_.begin() + static_cast<std::ptrdiff_t>(i), [&](int t) {
                      for (int w = 0; w < words_; ++w) {
                        if (Mask(s)[w] & uncovered[w] & ~Mask(t)[w]) return false;
                      }
                      return true;
                    });
    if (!dominated) branches_[end++] = s;
  }
  branches_.resize(end);
  for (std::size_t i = start; i < end && !stopped_; ++i) {
    const int s = branches_[i];
    Word* next = Level(depth + 1);
    for (int w = 0; w < words_; ++w) next[w] = uncovered[w] & ~Mask(s)[w];
    chosen_.push_back(s);
    Search(depth + 1);
    chosen_.pop_back();
    excluded_[s] = 1;
  }
  for (std::size_t i = start; i < end; ++i) excluded_[branches_[i]] = 0;
  branches_.resize(start);
}

}  // namespace quarnel
