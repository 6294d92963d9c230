#pragma once

#include <cstdint>
#include <vector>

namespace quarnel {

// The fewest sets that cover every cell of a small set cover problem, by branch and bound: what
// the reductions leave of a layer is a few cells and rectangles. Working memory is kept from one
// problem to the next.
class CoverSearch {
 public:
  struct Outcome {
    std::vector<int> chosen;  // the best cover found, as set indices
    bool proven = false;      // no cover has fewer sets
    int lower_bound = 0;      // no cover has fewer sets than this
    long nodes = 0;           // search nodes used, those of a large problem counting as several
  };

  // `masks` holds `sets` masks of the cells each set holds, Words(cells) words each; every cell is
  // in some set. Stops after `node_budget` nodes with the best cover found by then, which is a
  // greedy cover at worst. A node counts as one more for each 1,024 words and cell-set pairs the
  // problem holds.
  Outcome Solve(int cells, int sets, const std::vector<std::uint64_t>& masks, long node_budget);

  static int Words(int cells) { return (cells + 63) / 64; }

 private:
  using Word = std::uint64_t;

  void Prepare(int cells, int sets, const std::vector<Word>& masks);
  void ChooseGreedily();
  int Bound(const Word* uncovered, int& branch_cell);
  void Search(int depth);
  const Word* Mask(int set) const { return &masks_[static_cast<std::size_t>(set * words_)]; }
  Word* Level(int depth) { return &levels_[static_cast<std::size_t>(depth * words_)]; }

  int cells_ = 0;
  int sets_ = 0;
  int words_ = 0;
  long budget_ = 0;
  long nodes_ = 0;
  long node_cost_ = 1;
  bool stopped_ = false;
  std::vector<Word> masks_;
  std::vector<Word> neighbours_;     // per cell: the cells that share a set with it
  std::vector<int> first_;           // per cell, where its sets start in holding_
  std::vector<int> holding_;         // the sets holding each cell
  std::vector<int> by_fewest_sets_;  // cells, those in the fewest sets first
  std::vector<std::uint8_t> excluded_;
  std::vector<Word> levels_;   // the uncovered cells at each depth
  std::vector<Word> scratch_;  // cells still free while counting the bound
  std::vector<int> gains_;     // per set: the uncovered cells it holds, 0 when excluded
  std::vector<int> branches_;  // the sets to try at each open node, one node after another
  std::vector<int> chosen_;    // the sets on the current path
  std::vector<int> best_;
};

}  // namespace quarnel
