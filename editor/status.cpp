#include "editor/status.h"

#include <algorithm>
#include <numeric>

#include "editor/grid_view.h"
#include "editor/marking.h"
#include "model/ordinal.h"
#include "model/template_format.h"

namespace quarnel {
namespace {

std::string Count(long long n, const std::string& one, const std::string& many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

std::string NearestLayer(const TileArray& tilearray, int from, int step) {
  for (int z = from + step; z >= 0 && z < kLayers; z += step) {
    if (tilearray.LayerHasCells(z)) return std::to_string(z);
  }
  return "none";
}

}  // namespace

std::string UnforeseenFault(const std::string& what) {
  return "Quarnel could not do this: " + what;
}

std::string RunStatus(const Program& program, bool path_box) {
  if (program.curtype.empty()) {
    if (program.rectangles_only >= 0) {
      return "this template holds no tile records (" +
             Count(program.rectangles_only, "rectangle record", "rectangle records") +
             "): nothing to show";
    }
    if (program.window.TemplatePath().empty()) {
      return path_box ? "choose a template with \"...\" or type its path, then press go"
                      : "choose a template with \"...\" or drop one here, then press go";
    }
    return "press go to show the first tile type";
  }
  const auto& shown = program.donelist.Shown();
  if (program.run_over) {
    return "all " + Count(static_cast<long long>(shown.size()), "type", "types") +
           " shown; press go to start again";
  }
  std::string text = "type " + program.curtype;
  if (!shown.empty() && shown.back().Key() == program.curtype) {
    // Counted in the order shown, which a jump from the panel makes differ from the file's.
    text += ", " + Ordinal(shown.size()) + " shown";
    if (!program.types.rows.empty()) {
      text += " of " + Count(static_cast<long long>(program.types.rows.size()), "type", "types");
    }
  }
  return text;
}

std::string LayerStatus(const Program& program) {
  if (program.curtype.empty()) return {};
  const int layer = program.window.Layer();
  const auto& counts = program.tilearray.layer_count;
  const long long all = std::accumulate(counts.begin(), counts.end(), 0LL);
  const int here = counts[static_cast<std::size_t>(layer)];
  std::string text = "layer " + std::to_string(layer) + ": " + Count(here, "cell", "cells") +
                     " of this type (" + std::to_string(all) + " in all)";
  if (here == 0 && all > 0) {
    text += "; nearest with cells: " + NearestLayer(program.tilearray, layer, 1) + " above, " +
            NearestLayer(program.tilearray, layer, -1) + " below";
  }
  return text;
}

std::string PointerStatus(const Program& program, int column, int row) {
  if (column < 0 || column >= kColumns || row < 0 || row >= kRows) return {};
  std::string text = "cell (" + std::to_string(column) + ", " + std::to_string(row) +
                     "), in a record " + std::to_string(column - kRectangleOffset) + " " +
                     std::to_string(row - kRectangleOffset);
  const std::optional<CellBox> box = PendingRectangle(program, column, row);
  const int layer = program.window.Layer();
  if (!box && layer >= 0 && layer < kLayers && program.covered.At(column, row, layer) &&
      !program.tilearray.At(column, row, layer)) {
    return text +
           ": no tile of this type here, yet a record of the output box covers it (saving "
           "would add a tile)";
  }
  if (!box) return text;
  const auto [left, top, right, bottom] = *box;
  text = "rectangle (" + std::to_string(left) + ", " + std::to_string(top) + ") to (" +
         std::to_string(right) + ", " + std::to_string(bottom) + "), " +
         std::to_string(right - left + 1) + " x " + std::to_string(bottom - top + 1) + ": ";
  const Colour under = program.window.Picture().PointColour(column * kCellPitch, row * kCellPitch);
  if (under != kRed && under != kGreen) {
    return text +
           "a right press here does nothing: the second corner must be a red or green square";
  }
  const int empty = CellsWithoutTiles(program, left, top, right, bottom);
  if (empty > 0) {
    return text + "a right press is refused, " + Count(empty, "cell holds", "cells hold") +
           " no tile (Shift + right press marks it anyway)";
  }
  std::string record =
      RectangleRecord(program.curtype, left, right, top, bottom, program.window.Layer(), "");
  return text + "a right press writes " + record;
}

std::string CellStateStatus(const Program& program, int column, int row) {
  if (column < 0 || column >= kColumns || row < 0 || row >= kRows) return {};
  if (program.curtype.empty()) return "no tile type is shown yet";
  const std::string type = "type " + program.curtype;
  switch (program.window.Picture().PointColour(column * kCellPitch, row * kCellPitch)) {
    case kRed:
      return "red: a tile of " + type;
    case kGreen:
      return "green: the first corner, a tile of " + type;
    case kBlue:
      return "blue: a tile of " + type + ", covered by a record";
    case kNoTile:
      return "violet: no tile of " + type + ", yet covered by a record";
    default:
      return "black: no tile of " + type;
  }
}

std::string PressStatus(const Program& program, int button, bool had_corner,
                        const PressResult& result) {
  if (result.added) {
    const std::string& records = result.added->records;
    return "marked: " + records.substr(0, records.size() - 2) + " (Ctrl+Z takes it back)";
  }
  if (!result.refused.empty()) return result.refused;
  if (program.curtype.empty()) return "no tile type is shown yet; press go first";
  if (button == kRightButton && !had_corner) {
    return "no first corner yet: a left press or Space sets one";
  }
  return {};
}

std::string DropCornerStatus(bool dropped) {
  return dropped ? "first corner dropped" : "no first corner to drop";
}

std::string BusyStatus(const std::string& work) {
  return work + " is running: nothing else is done until it ends, or until Cancel stops it";
}

std::string AutoManyRefusal(const Program& program) {
  return program.curtype.empty() ? "Auto: no tile type is shown yet; press go first" : "";
}

std::string AutoStatus(const Program& program, const AutoResult& result) {
  if (const std::string refusal = AutoManyRefusal(program); !refusal.empty()) return refusal;
  if (!result.added && result.cells == 0 &&
      !program.tilearray.LayerHasCells(program.window.Layer())) {
    return "Auto: this layer holds no cells of this type; nothing to cover";
  }
  if (!result.added) return "Auto: every square of this layer is covered already";
  const std::string wrote = "Auto wrote " + Count(result.rectangles, "rectangle", "rectangles") +
                            " for " + Count(result.cells, "cell", "cells");
  if (result.proven) return wrote + ": the fewest possible";
  return wrote + "; any cover needs at least " + std::to_string(result.lower_bound);
}

std::string AutoManyStatus(const AutoManyResult& result, bool every_type) {
  const std::string what = every_type ? "Auto on every type" : "Auto on every layer";
  if (result.cancelled) return what + " cancelled: nothing written";
  if (result.layers == 0) return what + ": every square is covered already; nothing written";
  std::string said = what + " wrote " + Count(result.rectangles, "rectangle", "rectangles") +
                     " for " + Count(result.cells, "cell", "cells") + " on " +
                     Count(result.layers, "layer", "layers");
  if (every_type) said += " of " + Count(result.types, "type", "types");
  if (result.proven == result.layers) return said + ": the fewest possible";
  return said + "; the fewest possible on " + std::to_string(result.proven) + " of " +
         std::to_string(result.layers) + " layers, any cover needs at least " +
         std::to_string(result.lower_bound);
}

}  // namespace quarnel
