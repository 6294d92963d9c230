#include "win32/dialogs.h"

#include <windows.h>

#include <commctrl.h>
#include <commdlg.h>

#include <algorithm>
#include <vector>

#include "win32/text.h"

namespace quarnel {
namespace {

constexpr wchar_t kTitle[] = L"Quarnel";
constexpr DWORD kLongPath = 32768;

// A path split into the dialog's starting folder and the name in its box.
struct DialogStart {
  std::wstring folder, name;
  explicit DialogStart(const std::string& path) {
    std::wstring wide = Wide(path);
    for (wchar_t& c : wide) {
      if (c == L'/') c = L'\\';
    }
    const std::size_t slash = wide.rfind(L'\\');
    if (slash == std::wstring::npos) {
      name = wide;
      return;
    }
    folder = wide.substr(0, slash + 1);
    name = wide.substr(slash + 1);
  }
};

std::optional<std::string> RunFileDialog(HWND owner, const std::string& start, bool save) {
  const DialogStart at(start);
  std::vector<wchar_t> file(kLongPath, L'\0');
  if (save) at.name.copy(file.data(), std::min<std::size_t>(at.name.size(), kLongPath - 1));
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner;
  dialog.lpstrFilter = L"Template Files (*.tmp)\0*.tmp\0All Files (*.*)\0*.*\0";
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = file.data();
  dialog.nMaxFile = kLongPath;
  dialog.lpstrInitialDir = at.folder.empty() ? nullptr : at.folder.c_str();
  dialog.lpstrDefExt = L"tmp";
  dialog.Flags =
      OFN_EXPLORER | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST | (save ? 0 : OFN_FILEMUSTEXIST);
  const BOOL chosen = save ? GetSaveFileNameW(&dialog) : GetOpenFileNameW(&dialog);
  if (!chosen || file[0] == L'\0') return std::nullopt;
  return Utf8(file.data());
}

}  // namespace

std::optional<std::string> ChooseTemplate(HWND owner, const std::string& path_box) {
  return RunFileDialog(owner, path_box, false);
}

std::optional<std::string> ChooseSaveTarget(HWND owner, const std::string& suggested) {
  return RunFileDialog(owner, suggested, true);
}

int Ask(HWND owner, const std::string& question, const std::vector<std::string>& answers) {
  constexpr int kFirstId = 100;
  const int last = static_cast<int>(answers.size()) - 1;
  std::vector<std::wstring> texts;
  for (const std::string& answer : answers) texts.push_back(Wide(answer));
  std::vector<TASKDIALOG_BUTTON> buttons;
  for (std::size_t i = 0; i < texts.size(); ++i) {
    buttons.push_back({kFirstId + static_cast<int>(i), texts[i].c_str()});
  }
  const std::wstring content = Wide(question);
  TASKDIALOGCONFIG config{};
  config.cbSize = sizeof config;
  config.hwndParent = owner;
  config.dwFlags = TDF_ALLOW_DIALOG_CANCELLATION | TDF_POSITION_RELATIVE_TO_WINDOW;
  config.pszWindowTitle = kTitle;
  config.pszMainIcon = TD_WARNING_ICON;
  config.pszContent = content.c_str();
  config.cButtons = static_cast<UINT>(buttons.size());
  config.pButtons = buttons.data();
  // Enter keeps things as they are: the last answer.
  config.nDefaultButton = kFirstId + last;
  int pressed = 0;
  if (FAILED(TaskDialogIndirect(&config, &pressed, nullptr, nullptr))) return last;
  const int answer = pressed - kFirstId;
  return answer >= 0 && answer <= last ? answer : last;
}

void ShowFault(HWND owner, const std::string& fault) {
  MessageBoxW(owner, Wide(fault).c_str(), kTitle, MB_OK | MB_ICONWARNING);
}

}  // namespace quarnel
