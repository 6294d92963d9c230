#include "editor/auto_cover.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "cover/cover.h"
#include "editor/grid_view.h"
#include "editor/surface.h"
#include "model/box_read.h"
#include "model/box_text.h"
#include "model/template_format.h"

namespace quarnel {
namespace {

// The cover of one layer's cells that no record covers yet; those a record covers may be covered
// again, nothing else may: never a cell without a tile, even one a record of the box covers.
LayerCover CoverUncovered(const TileArray& tilearray, const TileArray& covered, int layer,
                          int& cells) {
  // A layer's flags lie together, in the order of its cells' layer indices: one pass over them,
  // as lists, since a template's layers are mostly sparse and there are thousands of them.
  std::vector<int> must;
  std::vector<int> allowed;
  const std::size_t first = static_cast<std::size_t>(layer) * TileArray::kLayerSize;
  const std::uint8_t* const tiles = tilearray.flags.data() + first;
  const std::uint8_t* const held = covered.flags.data() + first;
  constexpr int kWord = sizeof(std::uint64_t);
  for (int cell = 0; cell < kLayerCells; ++cell) {
    // Eight cells without a tile at once.
    if (cell % kWord == 0 && cell + kWord <= kLayerCells) {
      std::uint64_t word;
      std::memcpy(&word, tiles + cell, kWord);
      if (word == 0) {
        cell += kWord - 1;
        continue;
      }
    }
    if (!tiles[cell]) continue;
    (held[cell] ? allowed : must).push_back(cell);
  }
  cells = static_cast<int>(must.size());
  if (cells == 0) return {};
  return CoverCells(must, allowed);
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
  added.records = OnOwnLine(program.window.OutputText(), std::move(added.records));
  program.window.AppendOutputText(added.records);
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

Addition AddAutoRecords(Program& program, AutoManyResult result) {
  Addition added;
  added.records = OnOwnLine(program.window.OutputText(), std::move(result.records));
  program.has_first_corner = false;
  const int layer = program.window.Layer();
  // Only the shown layer has squares to turn blue; the others are drawn from the box when shown.
  // The records are Auto's own, written as RectangleRecord writes them: those of the shown type
  // start alike, and only they are read, out of what may be a million.
  const std::string start =
      RectangleRecord(program.curtype, 0, 0, 0, 0, 0)
          .substr(0, std::string_view("TILEW ").size() + program.curtype.size() + 1);
  std::string_view rest = added.records;
  std::string own;
  while (!rest.empty()) {
    const std::size_t end = rest.find('\n');
    const std::string_view line =
        rest.substr(0, end == std::string_view::npos ? rest.size() : end + 1);
    if (line.starts_with(start)) own += line;
    rest.remove_prefix(line.size());
  }
  ForEachBoxRecord(own, [&](std::string_view key, const Box& box) {
    if (key == program.curtype && box.z == layer)
      FillBlue(program, box.x1, box.y1, box.x2, box.y2, added);
  });
  const std::string& before = program.window.OutputText();
  const bool joined = result.output_after.size() == before.size() + added.records.size() &&
                      result.output_after.compare(0, before.size(), before) == 0;
  if (joined) {
    program.covered_read.added = std::move(result.added_read);
    program.window.TakeOutputText(std::move(result.output_after));
  } else {
    program.window.AppendOutputText(added.records);
  }
  return added;
}

}  // namespace quarnel
