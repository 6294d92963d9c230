#pragma once

#include "editor/program.h"
#include "editor/surface.h"

namespace quarnel {

// Cell (x, y) is drawn as the square from (10x, 10y) to (10x + 8, 10y + 8); a gap of background
// separates neighbouring squares.
inline constexpr int kCellPitch = 10;
inline constexpr int kSquareSize = 8;

// Fills the square of cell (x, y).
void PutGrid(Surface& surface, int x, int y, Colour colour);

// The column (row) whose square holds a surface x (y) coordinate: the one whose square spans
// 10c .. 10c + 8. A point in the gap after a square maps to that square's cell.
int GetGridX(float x);
int GetGridY(float y);

// The colour of cell (x, y) of `layer` as a redraw shows it: blue where a record covers a tile of
// the current type, red where none does, violet where a record of the box covers a cell without
// a tile, black elsewhere.
Colour CellColour(const Program& program, int x, int y, int layer);

// Redraws the layer the spinner shows in the colours of CellColour. Marks of an earlier drawing
// are gone, and so is the first corner.
void ShowArray(Program& program);

}  // namespace quarnel
