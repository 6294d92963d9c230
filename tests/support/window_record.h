#pragma once

#include <algorithm>
#include <functional>
#include <string>

#include "editor/surface.h"
#include "editor/window_values.h"
#include "model/template_format.h"

namespace quarnel {

// The window values as a plain record, for tests and for running the logic without a window.
// Like the real spinner, the layer stays within 0..100 and a change of it raises on_layer_change
// at once, nested inside whatever set it; so does a change of the output text, on_output_change.
struct WindowRecord final : WindowValues {
  std::string path;
  std::string caption = "Quarnel";
  int layer = 0;
  std::string layer_text = "0";
  std::string output;
  Surface surface;
  std::function<void()> on_layer_change;
  std::function<void()> on_output_change;

  std::string TemplatePath() const override { return path; }
  std::string Caption() const override { return caption; }
  void SetCaption(const std::string& text) override { caption = text; }
  int Layer() const override { return layer; }
  void SetLayer(int value) override {
    value = std::clamp(value, 0, kLayers - 1);
    if (value == layer) return;
    layer = value;
    if (on_layer_change) on_layer_change();
  }
  std::string LayerText() const override { return layer_text; }
  void SetLayerText(const std::string& text) override { layer_text = text; }
  const std::string& OutputText() const override { return output; }
  void SetOutputText(const std::string& text) override {
    output = text;
    if (on_output_change) on_output_change();
  }
  Surface& Picture() override { return surface; }
};

}  // namespace quarnel
