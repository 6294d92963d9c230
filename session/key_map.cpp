#include "session/key_map.h"

#include <algorithm>

namespace quarnel {

const std::vector<KeyBinding>& KeyMap() {
  // Everywhere but in a text box: the undo keys, the layer keys, Delete and Escape. Save's key
  // works in every box too, as a window's menu key does.
  const std::vector<std::string> outside = {"grid", "box", "other"};
  const std::vector<std::string> not_typing = {"grid", "other"};
  static const std::vector<KeyBinding> map = {
      {"s", true, -1, {"grid", "box", "text", "other"}, false, "Save"},
      {"z", true, 0, outside, true, "Undo"},
      {"z", true, 1, outside, true, "Redo"},
      {"y", true, -1, outside, true, "Redo"},
      {"PageUp", false, -1, not_typing, false, "StepUp"},
      {"PageDown", false, -1, not_typing, false, "StepDown"},
      {"Delete", false, -1, not_typing, false, "Delete"},
      {"Escape", false, -1, not_typing, false, "Escape"},
      {"ArrowLeft", false, -1, {"grid"}, false, "Grid"},
      {"ArrowRight", false, -1, {"grid"}, false, "Grid"},
      {"ArrowUp", false, -1, {"grid"}, false, "Grid"},
      {"ArrowDown", false, -1, {"grid"}, false, "Grid"},
      {" ", false, -1, {"grid"}, false, "Grid"},
      {"Enter", false, -1, {"grid"}, false, "Grid"},
  };
  return map;
}

std::string KeyAction(std::string_view focus, std::string_view key, bool ctrl, bool shift,
                      bool typed) {
  for (const KeyBinding& binding : KeyMap()) {
    if (binding.key != key || binding.ctrl != ctrl) continue;
    if (binding.shift >= 0 && binding.shift != static_cast<int>(shift)) continue;
    if (std::find(binding.focuses.begin(), binding.focuses.end(), focus) == binding.focuses.end())
      continue;
    if (binding.unless_typed && focus == "box" && typed) continue;
    return binding.action;
  }
  return {};
}

}  // namespace quarnel
