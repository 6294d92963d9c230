#pragma once

#include <optional>
#include <string>
#include <vector>

#include "editor/program.h"
#include "editor/surface.h"

namespace quarnel {

inline constexpr int kLeftButton = 1;
inline constexpr int kRightButton = 2;

// One square a mark or Auto recoloured.
struct SquareChange {
  int x, y;
  Colour before, after;
};

// What one mark or one Auto press added, so that it can be taken back and put again as one.
struct Addition {
  std::string records;                // the lines appended to the output text
  long long drawing = 0;              // the drawing its squares were put on
  std::vector<SquareChange> squares;  // in the order they were put
};

// What a press on the surface did.
struct PressResult {
  std::optional<Addition> added;  // a rectangle marked
  std::string refused;            // why a right press marked nothing, for the status line
};

// A press on the surface at (x, y), in surface pixels. A left press on a red square makes it the
// first corner (green). A right press on a red or green square, once a first corner is set on this
// drawing, fills the rectangle spanned by the two corners in blue and appends its rectangle record
// to the output text, unless a cell of the rectangle holds no tile of the current type on this
// layer: such a record would add tiles to the map, so it is refused (the first corner stays) unless
// Shift is held. Other buttons and presses elsewhere do nothing.
PressResult PictureMouseDown(Program& program, int button, float x, float y, bool shift = false);

// The left button let go at (x, y). After a drag from the first corner that its press set, to
// another cell, marks the rectangle as a right press there would (refusals and Shift included).
// A release on the pressed cell marks nothing: that press set a first corner.
PressResult PictureMouseUp(Program& program, float x, float y, bool shift = false);

// The cells a rectangle spans, both corners included.
struct CellBox {
  int left, top, right, bottom;
};

// The rectangle from the first corner to cell (column, row), which a right press there would mark;
// nothing without a first corner or off the grid. The outline and the status text both show it.
std::optional<CellBox> PendingRectangle(const Program& program, int column, int row);

// Forgets the first corner: its square turns red again unless a fill has covered it. False when no
// first corner was set.
bool DropFirstCorner(Program& program);

// How many cells of columns x1..x2 and rows y1..y2 (in any order) of the shown layer hold no tile
// of the current type.
int CellsWithoutTiles(const Program& program, int x1, int y1, int x2, int y2);

// Fills columns x1..x2 and rows y1..y2 (both in order) blue, recording each square's change.
void FillBlue(Program& program, int x1, int y1, int x2, int y2, Addition& addition);

}  // namespace quarnel
