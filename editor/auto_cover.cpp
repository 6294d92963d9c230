#include "editor/auto_cover.h"

#include <string>

#include "cover/cover.h"
#include "editor/covered.h"
#include "editor/grid_view.h"
#include "editor/surface.h"
#include "model/loader.h"
#include "model/template_format.h"

namespace quarnel {
namespace {

// The cover of one layer's cells that no record covers yet; those a record covers may be covered
// again, nothing else may: never a cell without a tile, even one a record of the box covers.
LayerCover CoverUncovered(const TileArray& tilearray, const TileArray& covered, int layer,
                          int& cells) {
  LayerCells must{};
  LayerCells allowed{};
  cells = 0;
  for (int y = 0; y < kRows; ++y) {
    for (int x = 0; x < kColumns; ++x) {
      const bool is_covered = covered.At(x, y, layer);
      const int cell = GridCell{x, y}.LayerIndex();
      must[cell] = tilearray.At(x, y, layer) && !is_covered;
      allowed[cell] = is_covered && tilearray.At(x, y, layer);
      cells += must[cell];
    }
  }
  if (cells == 0) return {};
  return CoverLayer(must, allowed);
}

// Adds every layer of one type to `result`; false when cancelled.
bool CoverEveryLayer(std::string_view key, const TileArray& tilearray, const TileArray& covered,
                     AutoManyResult& result, const AutoProgress& progress) {
  bool any = false;
  for (int z = 0; z < kLayers; ++z) {
    if (!tilearray.LayerHasCells(z)) continue;
    if (progress.cancel) return false;
    int cells = 0;
    const LayerCover cover = CoverUncovered(tilearray, covered, z, cells);
    if (cells == 0) continue;
    any = true;
    ++result.layers;
    result.cells += cells;
    result.rectangles += static_cast<long long>(cover.rects.size());
    result.lower_bound += cover.lower_bound;
    result.proven += cover.proven;
    for (const Rect& r : cover.rects)
      result.records += RectangleRecord(key, r.x1, r.x2, r.y1, r.y2, z);
  }
  result.types += any;
  return true;
}

}  // namespace

AutoManyResult Cancelled() {
  AutoManyResult result;
  result.cancelled = true;
  return result;
}

AutoResult AutoCover(Program& program) {
  const int layer = program.window.Layer();
  AutoResult result;
  program.has_first_corner = false;
  const LayerCover cover = CoverUncovered(program.tilearray, program.covered, layer, result.cells);
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

AutoManyResult AutoCoverLayers(const Program& program, AutoProgress& progress) {
  AutoManyResult result;
  progress.total = kLayers;
  if (!program.curtype.empty() &&
      !CoverEveryLayer(program.curtype, program.tilearray, program.covered, result, progress)) {
    return Cancelled();
  }
  progress.done = kLayers;
  return result;
}

AutoManyResult AutoCoverTypes(const std::string& path, const std::vector<std::string>& keys,
                              std::string_view box, AutoProgress& progress) {
  AutoManyResult result;
  progress.total = static_cast<long long>(keys.size());
  for (const std::string& key : keys) {
    if (progress.cancel) return Cancelled();
    const KeyIds ids = SplitKey(key);
    LoadedType loaded = LoadToArray(path, ids.id1, ids.id2);
    // Covered: what the template's own rectangle records hold, and the box's records.
    TileArray covered = std::move(loaded.held);
    ForEachBoxRecord(box, [&](std::string_view of, const Box& cells) {
      if (of == key) covered.SetBox(cells);
    });
    if (!CoverEveryLayer(key, loaded.tilearray, covered, result, progress)) return Cancelled();
    ++progress.done;
  }
  return result;
}

Addition AddAutoRecords(Program& program, const AutoManyResult& result) {
  Addition added;
  added.records = result.records;
  program.has_first_corner = false;
  const int layer = program.window.Layer();
  // Only the shown layer has squares to turn blue; the others are drawn from the box when shown.
  ForEachBoxRecord(result.records, [&](std::string_view key, const Box& box) {
    if (key == program.curtype && box.z == layer)
      FillBlue(program, box.x1, box.y1, box.x2, box.y2, added);
  });
  program.window.SetOutputText(program.window.OutputText() + added.records);
  return added;
}

}  // namespace quarnel
