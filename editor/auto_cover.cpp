#include "editor/auto_cover.h"

#include <string>

#include "cover/cover.h"
#include "editor/grid_view.h"
#include "editor/surface.h"
#include "model/template_format.h"

namespace quarnel {

void AutoCover(Program& program) {
  Surface& surface = program.window.Picture();
  LayerCells must{};
  LayerCells allowed{};
  // The colours on the surface are the record of what is marked already.
  for (int y = 0; y < kRows; ++y) {
    for (int x = 0; x < kColumns; ++x) {
      const Colour colour = surface.PointColour(x * kCellPitch, y * kCellPitch);
      must[x + kSide * y] = colour == kRed || colour == kGreen;
      allowed[x + kSide * y] = colour == kBlue;
    }
  }
  program.has_first_corner = false;
  const LayerCover cover = CoverLayer(must, allowed);
  if (cover.rects.empty()) return;
  const int layer = program.window.Layer();
  std::string records;
  for (const Rect& r : cover.rects) {
    for (int x = r.x1; x <= r.x2; ++x) {
      for (int y = r.y1; y <= r.y2; ++y) PutGrid(surface, x, y, kBlue);
    }
    records += RectangleRecord(program.curtype, r.x1, r.x2, r.y1, r.y2, layer);
  }
  program.window.SetOutputText(program.window.OutputText() + records);
}

}  // namespace quarnel
