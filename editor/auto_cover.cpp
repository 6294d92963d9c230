#include "editor/auto_cover.h"

#include <string>

#include "cover/cover.h"
#include "editor/grid_view.h"
#include "editor/surface.h"
#include "model/template_format.h"

namespace quarnel {

AutoResult AutoCover(Program& program) {
  const int layer = program.window.Layer();
  LayerCells must{};
  LayerCells allowed{};
  AutoResult result;
  // The output box's records are the record of what is covered already: those cells may be
  // covered again, the type's other cells must be.
  for (int y = 0; y < kRows; ++y) {
    for (int x = 0; x < kColumns; ++x) {
      const bool covered = program.covered.At(x, y, layer);
      const int cell = GridCell{x, y}.LayerIndex();
      must[cell] = program.tilearray.At(x, y, layer) && !covered;
      allowed[cell] = covered;
      result.cells += must[cell];
    }
  }
  program.has_first_corner = false;
  const LayerCover cover = CoverLayer(must, allowed);
  result.rectangles = static_cast<int>(cover.rects.size());
  result.lower_bound = cover.lower_bound;
  result.proven = cover.proven;
  if (cover.rects.empty()) return result;
  Addition added;
  for (const Rect& r : cover.rects) {
    FillBlue(program, r.x1, r.y1, r.x2, r.y2, added);
    added.records += RectangleRecord(program.curtype, r.x1, r.x2, r.y1, r.y2, layer);
  }
  program.window.SetOutputText(program.window.OutputText() + added.records);
  result.added = std::move(added);
  return result;
}

}  // namespace quarnel
