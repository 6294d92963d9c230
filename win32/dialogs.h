#pragma once

#include <optional>
#include <string>
#include <vector>

#include <windows.h>

namespace quarnel {

// The system's dialogs, with paths in UTF-8 on our side.

// The file-open dialog for a template, starting where the path box points; nothing when cancelled.
std::optional<std::string> ChooseTemplate(HWND owner, const std::string& path_box);
// The save dialog, offering `suggested` (folder and name); it asks itself before replacing a file.
std::optional<std::string> ChooseSaveTarget(HWND owner, const std::string& suggested);
// A question with the given answers as buttons; the index of the answer, the last one when the
// dialog is closed without one.
int Ask(HWND owner, const std::string& question, const std::vector<std::string>& answers);
void ShowFault(HWND owner, const std::string& fault);

}  // namespace quarnel
