#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quarnel {

// Which key does what, given where the focus is: one table for every front end. Keys are named
// as a browser names them ("s", "z", "PageUp", "ArrowLeft", " ", "Enter"); a front end of another
// toolkit names its keys so. Focus: "grid", "box" (the output box), "text" (the path and layer
// boxes, which keep their own keys) or "other" (buttons, lists, the window itself).
struct KeyBinding {
  std::string key;
  bool ctrl = false;
  int shift = -1;  // 0 without, 1 with, -1 either
  std::vector<std::string> focuses;
  // In the output box, the box's own undo comes first while the user's typing is there to undo.
  bool unless_typed = false;
  std::string action;  // what Session::Key does: "Save", "Undo", "Redo", "StepUp", ...
};
const std::vector<KeyBinding>& KeyMap();

// The action of a key, or an empty text for a key the focused control keeps. `typed`: the output
// box holds typing of the user's own since the program last changed it.
std::string KeyAction(std::string_view focus, std::string_view key, bool ctrl, bool shift,
                      bool typed);

}  // namespace quarnel
