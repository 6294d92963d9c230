#include "editor/marking.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "editor/grid_view.h"
#include "editor/surface.h"
#include "model/template_format.h"

namespace quarnel {
namespace {

void PressFirstCorner(Program& program, int column, int row) {
  Surface& surface = program.window.Picture();
  // Only one first corner shows: the last one goes back to red unless a fill has covered it.
  if (program.has_first_corner &&
      surface.PointColour(program.startx * kCellPitch, program.starty * kCellPitch) == kGreen) {
    PutGrid(surface, program.startx, program.starty, kRed);
  }
  program.startx = column;
  program.starty = row;
  program.has_first_corner = true;
  PutGrid(surface, column, row, kGreen);
}

void PressSecondCorner(Program& program, int column, int row) {
  if (!program.has_first_corner) return;
  program.endx = column;
  program.endy = row;
  const int left = std::min(program.startx, program.endx);
  const int right = std::max(program.startx, program.endx);
  const int top = std::min(program.starty, program.endy);
  const int bottom = std::max(program.starty, program.endy);
  Surface& surface = program.window.Picture();
  for (int x = left; x <= right; ++x) {
    for (int y = top; y <= bottom; ++y) PutGrid(surface, x, y, kBlue);
  }
  program.window.SetOutputText(
      program.window.OutputText() +
      RectangleRecord(program.curtype, left, right, top, bottom, program.window.Layer()));
}

}  // namespace

void PictureMouseDown(Program& program, int button, float x, float y) {
  if (button != kLeftButton && button != kRightButton) return;
  const Colour colour = program.window.Picture().PointColour(static_cast<int>(std::floor(x)),
                                                             static_cast<int>(std::floor(y)));
  const int column = GetGridX(x);
  const int row = GetGridY(y);
  if (button == kLeftButton && colour == kRed) PressFirstCorner(program, column, row);
  if (button == kRightButton && (colour == kRed || colour == kGreen)) {
    PressSecondCorner(program, column, row);
  }
}

}  // namespace quarnel
