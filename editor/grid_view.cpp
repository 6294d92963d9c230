#include "editor/grid_view.h"

#include <cmath>
#include <string>

#include "model/fault.h"

namespace quarnel {

void PutGrid(Surface& surface, int x, int y, Colour colour) {
  const int left = kCellPitch * x;
  const int top = kCellPitch * y;
  surface.FillBox(left, top, left + kSquareSize, top + kSquareSize, colour);
}

int GetGridX(float x) {
  return static_cast<int>(std::floor(x / kCellPitch));
}
int GetGridY(float y) {
  return static_cast<int>(std::floor(y / kCellPitch));
}

Colour CellColour(const Program& program, int x, int y, int layer) {
  const bool tile = program.tilearray.At(x, y, layer);
  if (program.covered.At(x, y, layer)) return tile ? kBlue : kNoTile;
  return tile ? kRed : kBlack;
}

void ShowArray(Program& program) {
  const int layer = program.window.Layer();
  if (layer < 0 || layer >= kLayers) {
    throw Fault({},
                "layer " + std::to_string(layer) + " is outside 0.." + std::to_string(kLayers - 1));
  }
  Surface& surface = program.window.Picture();
  surface.Clear();
  ++program.drawing;
  program.shown_layer = layer;
  program.has_first_corner = false;
  if (!program.tilearray.LayerHasCells(layer) && !program.covered.LayerHasCells(layer)) return;
  for (int x = 0; x < kColumns; ++x) {
    for (int y = 0; y < kRows; ++y) {
      const Colour colour = CellColour(program, x, y, layer);
      if (colour != kBlack) PutGrid(surface, x, y, colour);
    }
  }
}

}  // namespace quarnel
