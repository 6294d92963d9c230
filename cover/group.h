#pragma once

#include <cstdint>
#include <vector>

namespace quarnel {

// A row of cells, a bit per column: no layer is wider than kColumns, so 64 bits hold a row.
using Row = std::uint64_t;

// Columns x1..x2 of a row.
inline Row Columns(int x1, int x2) {
  return (~Row{0} >> (63 - x2)) & (~Row{0} << x1);
}

// One connected group of cells in the smallest box that holds it, in the box's own coordinates,
// as a row of bits per line of the box: every step costs in proportion to the group, not to the
// whole layer, and counts a row of a rectangle in one step.
struct Group {
  int width = 0;
  int height = 0;
  std::vector<Row> must;    // must be covered
  std::vector<Row> usable;  // may be covered (must cells included)

  int Index(int x, int y) const { return x + width * y; }
  int Size() const { return width * height; }
};

}  // namespace quarnel
