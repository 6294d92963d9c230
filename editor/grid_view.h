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

// Redraws the layer the spinner shows: a square for every cell of the current type, on black, blue
// where a record in the output box covers it and red elsewhere. Marks of an earlier drawing over
// cells without tiles are gone, and so is the first corner.
void ShowArray(Program& program);

}  // namespace quarnel
