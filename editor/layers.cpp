#include "editor/layers.h"

#include <optional>
#include <string>

#include "editor/grid_view.h"
#include "model/fault.h"

namespace quarnel {
namespace {

void ShowSpinnerLayer(Program& program) {
  program.window.SetLayerText(std::to_string(program.window.Layer()));
  ShowArray(program);
}

// The layer the box names: a number from 0 to 100 once rounded half to even.
std::optional<int> BoxLayer(const std::string& text) {
  const auto number = ParseNumber(text);
  const double layer = number ? RoundHalfEven(*number) : -1;
  if (!(layer >= 0 && layer < kLayers)) return std::nullopt;
  return static_cast<int>(layer);
}

// Every way of changing the layer refuses a bad layer box alike: the layer shown stays, in the
// box and on the spinner, and these words say so.
[[noreturn]] void RefuseLayerBox(Program& program, const std::string& text) {
  const int shown = program.shown_layer;
  // The box first: the spinner's change then finds the layer there and only redraws.
  program.window.SetLayerText(std::to_string(shown));
  if (program.window.Layer() != shown) program.window.SetLayer(shown);
  throw Fault({}, "The layer box holds " + Quoted(text) + ", which is not a layer from 0 to " +
                      std::to_string(kLayers - 1) + "; layer " + std::to_string(shown) +
                      " stays shown.");
}

}  // namespace

void CheckLayerBox(Program& program) {
  const std::string text = program.window.LayerText();
  if (!BoxLayer(text)) RefuseLayerBox(program, text);
}

void ZscrChange(Program& program) {
  WindowValues& window = program.window;
  CheckLayerBox(program);
  const std::optional<int> shown = BoxLayer(window.LayerText());
  const int wanted = window.Layer();
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
  const std::optional<int> layer = BoxLayer(typed);
  if (!layer) RefuseLayerBox(program, typed);
  // The box already holds the new layer, so the spinner's change searches nothing.
  program.window.SetLayerText(std::to_string(*layer));
  if (program.window.Layer() != *layer) {
    program.window.SetLayer(*layer);
  } else {
    ShowArray(program);
  }
}

}  // namespace quarnel
