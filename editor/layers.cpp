#include "editor/layers.h"

#include <string>

#include "editor/grid_view.h"
#include "model/fault.h"

namespace quarnel {
namespace {

void ShowSpinnerLayer(Program& program) {
  program.window.SetLayerText(std::to_string(program.window.Layer()));
  ShowArray(program);
}

}  // namespace

void ZscrChange(Program& program) {
  WindowValues& window = program.window;
  const std::string shown_text = window.LayerText();
  const auto shown = ParseNumber(shown_text);
  const int wanted = window.Layer();
  if (!shown) {
    ShowSpinnerLayer(program);
    throw Fault({}, "The layer box holds " + Quoted(shown_text) +
                        ", which is not a number; it now shows layer " + std::to_string(wanted) +
                        ".");
  }
  // Setting the spinner raises this handler again, nested; that pass compares with the same layer
  // box, finds the same layer at once and shows it, so the outer pass just stops searching.
  if (*shown < wanted) {
    for (int layer = wanted; layer < kLayers; ++layer) {
      if (program.tilearray.LayerHasCells(layer)) {
        window.SetLayer(layer);
        break;
      }
    }
  } else if (*shown > wanted) {
    for (int layer = wanted; layer >= 0; --layer) {
      if (program.tilearray.LayerHasCells(layer)) {
        window.SetLayer(layer);
        break;
      }
    }
  }
  ShowSpinnerLayer(program);
}

void ShowTypedLayer(Program& program) {
  const std::string typed = program.window.LayerText();
  const auto number = ParseNumber(typed);
  const double layer = number ? RoundHalfEven(*number) : -1;
  if (!(layer >= 0 && layer < kLayers)) {
    throw Fault({}, "The layer box holds " + Quoted(typed) + ", which is not a layer from 0 to " +
                        std::to_string(kLayers - 1) + ".");
  }
  // The box already holds the new layer, so the spinner's change searches nothing.
  program.window.SetLayerText(std::to_string(static_cast<int>(layer)));
  if (program.window.Layer() != static_cast<int>(layer)) {
    program.window.SetLayer(static_cast<int>(layer));
  } else {
    ShowArray(program);
  }
}

}  // namespace quarnel
