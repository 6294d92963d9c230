#include "editor/marking.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>

#include "editor/grid_view.h"
#include "model/box_text.h"
#include "model/template_format.h"

namespace quarnel {
namespace {

void PressFirstCorner(Program& program, int column, int row) {
  // Only one first corner shows.
  DropFirstCorner(program);
  Surface& surface = program.window.Picture();
  program.startx = column;
  program.starty = row;
  program.has_first_corner = true;
  PutGrid(surface, column, row, kGreen);
}

PressResult PressSecondCorner(Program& program, int column, int row, bool shift) {
  if (!program.has_first_corner) return {};
  const int left = std::min(program.startx, column);
  const int right = std::max(program.startx, column);
  const int top = std::min(program.starty, row);
  const int bottom = std::max(program.starty, row);
  if (!shift) {
    const int empty = CellsWithoutTiles(program, left, top, right, bottom);
    if (empty > 0) {
      return {std::nullopt, "not marked: " + std::to_string(empty) +
                                (empty == 1 ? " cell" : " cells") + " of this rectangle hold" +
                                (empty == 1 ? "s" : "") + " no tile of type " + program.curtype +
                                " (Shift + right press marks it anyway)"};
    }
  }
  program.endx = column;
  program.endy = row;
  Addition added;
  FillBlue(program, left, top, right, bottom, added);
  added.records =
      OnOwnLine(program.window.OutputText(),
                RectangleRecord(program.curtype, left, right, top, bottom, program.window.Layer()));
  program.window.AppendOutputText(added.records);
  return {std::move(added), {}};
}

}  // namespace

std::optional<CellBox> PendingRectangle(const Program& program, int column, int row) {
  if (!program.has_first_corner || column < 0 || column >= kColumns || row < 0 || row >= kRows) {
    return std::nullopt;
  }
  return CellBox{std::min(program.startx, column), std::min(program.starty, row),
                 std::max(program.startx, column), std::max(program.starty, row)};
}

bool DropFirstCorner(Program& program) {
  if (!program.has_first_corner) return false;
  Surface& surface = program.window.Picture();
  if (surface.PointColour(program.startx * kCellPitch, program.starty * kCellPitch) == kGreen) {
    PutGrid(surface, program.startx, program.starty, kRed);
  }
  program.has_first_corner = false;
  return true;
}

int CellsWithoutTiles(const Program& program, int x1, int y1, int x2, int y2) {
  const int layer = program.window.Layer();
  int empty = 0;
  for (int y = std::min(y1, y2); y <= std::max(y1, y2); ++y) {
    for (int x = std::min(x1, x2); x <= std::max(x1, x2); ++x) {
      empty += program.tilearray.At(x, y, layer) ? 0 : 1;
    }
  }
  return empty;
}

void FillBlue(Program& program, int x1, int y1, int x2, int y2, Addition& addition) {
  Surface& surface = program.window.Picture();
  addition.drawing = program.drawing;
  for (int x = x1; x <= x2; ++x) {
    for (int y = y1; y <= y2; ++y) {
      const Colour before = surface.PointColour(x * kCellPitch, y * kCellPitch);
      const Colour after = program.tilearray.At(x, y, program.window.Layer()) ? kBlue : kNoTile;
      if (before != after) addition.squares.push_back({x, y, before, after});
      PutGrid(surface, x, y, after);
    }
  }
}

PressResult PictureMouseDown(Program& program, int button, float x, float y, bool shift) {
  if (button != kLeftButton && button != kRightButton) return {};
  const Colour colour = program.window.Picture().PointColour(static_cast<int>(std::floor(x)),
                                                             static_cast<int>(std::floor(y)));
  const int column = GetGridX(x);
  const int row = GetGridY(y);
  // A drag starts on a tile: a new first corner, or the one set already.
  program.dragging = button == kLeftButton && (colour == kRed || colour == kGreen);
  if (button == kLeftButton && colour == kRed) PressFirstCorner(program, column, row);
  if (button == kRightButton && (colour == kRed || colour == kGreen)) {
    return PressSecondCorner(program, column, row, shift);
  }
  return {};
}

PressResult PictureMouseUp(Program& program, float x, float y, bool shift) {
  const bool dragged = std::exchange(program.dragging, false);
  if (!dragged || !program.has_first_corner) return {};
  if (GetGridX(x) == program.startx && GetGridY(y) == program.starty) return {};
  return PictureMouseDown(program, kRightButton, x, y, shift);
}

}  // namespace quarnel
