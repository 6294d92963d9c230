// The main window's events: commands, notifications, keys, drops and closing, each passed to the
// session, then what it shows brought onto the controls.
#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>
#include <windowsx.h>

#include <algorithm>
#include <string>

#include "session/key_map.h"
#include "win32/dialogs.h"
#include "win32/main_window.h"
#include "win32/text.h"

namespace quarnel {
namespace {

// A key named as the key map names it; empty for a key it has no name for.
std::string KeyName(WPARAM key) {
  if (key >= 'A' && key <= 'Z') return std::string(1, static_cast<char>(key - 'A' + 'a'));
  if (key >= '0' && key <= '9') return std::string(1, static_cast<char>(key));
  switch (key) {
    case VK_PRIOR:
      return "PageUp";
    case VK_NEXT:
      return "PageDown";
    case VK_DELETE:
      return "Delete";
    case VK_ESCAPE:
      return "Escape";
    case VK_LEFT:
      return "ArrowLeft";
    case VK_RIGHT:
      return "ArrowRight";
    case VK_UP:
      return "ArrowUp";
    case VK_DOWN:
      return "ArrowDown";
    case VK_SPACE:
      return " ";
    case VK_RETURN:
      return "Enter";
    default:
      return {};
  }
}

bool Down(int key) {
  return GetKeyState(key) < 0;
}

}  // namespace

LRESULT CALLBACK MainWindow::Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<MainWindow*>(reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams);
    self->window_ = window;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (!self) return DefWindowProcW(window, message, wparam, lparam);
  return self->Handle(message, wparam, lparam);
}

LRESULT MainWindow::Handle(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_CREATE:
      Create();
      return 0;
    case WM_COMMAND:
      if (!updating_) Command(LOWORD(wparam), HIWORD(wparam));
      return 0;
    case WM_NOTIFY: {
      const auto& header = *reinterpret_cast<const NMHDR*>(lparam);
      if (header.hwndFrom == zscr_ && header.code == UDN_DELTAPOS) {
        // The session moves the layer; the spinner only says which way.
        session_.StepLayer(reinterpret_cast<const NMUPDOWN&>(header).iDelta > 0 ? 1 : -1);
        Show();
        return TRUE;
      }
      LRESULT result = 0;
      if (lists_ && lists_->Notify(header, result)) Show();
      return result;
    }
    case WM_DROPFILES: {
      const auto drop = reinterpret_cast<HDROP>(wparam);
      std::wstring path(DragQueryFileW(drop, 0, nullptr, 0) + 1, L'\0');
      path.resize(DragQueryFileW(drop, 0, path.data(), static_cast<UINT>(path.size())));
      const bool one = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0) == 1;
      DragFinish(drop);
      if (one && !path.empty()) Open(Utf8(path));
      return 0;
    }
    case WM_DPICHANGED: {
      dpi_ = HIWORD(wparam);
      const RECT& suggested = *reinterpret_cast<const RECT*>(lparam);
      SetWindowPos(window_, nullptr, suggested.left, suggested.top, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
      SetFonts();
      LayOut();
      return 0;
    }
    case WM_CLOSE:
      if (!answering_) {
        session_.Close();
        Show();
      }
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcW(window_, message, wparam, lparam);
  }
}

void MainWindow::Command(int id, int code) {
  switch (id) {
    case kThefile:
      if (code == EN_CHANGE) session_.ChooseFile(Utf8(TextOf(thefile_)));
      return;
    case kZval:
      if (code != EN_CHANGE) return;
      session_.TypeLayer(Utf8(TextOf(zval_)));
      return Show(From::kLayerTyped);
    case kComlist:
      if (code != EN_CHANGE) return;
      session_.EditOutput(Utf8(TextOf(comlist_)));
      return Show(From::kBoxTyped);
    case kCommand1:
      if (const auto chosen = ChooseTemplate(window_, Utf8(TextOf(thefile_)))) {
        SetWindowTextW(thefile_, Wide(*chosen).c_str());
      }
      return;
    case kCommand2:
      session_.Go();
      break;
    case kNextTile:
      session_.NextTile();
      break;
    case kAutoCover:
      session_.AutoCover();
      break;
    case kSave:
      session_.Save(Button_GetCheck(shorten_rest_) == BST_CHECKED);
      break;
    case kAutoMany:
      return AutoMenu();
    case kAutoEveryLayer:
    case kAutoEveryType:
      session_.AutoEvery(id == kAutoEveryType);
      break;
    case kCancel:
      session_.Cancel();
      ShowWork();
      break;
    case kShortenRest:
      session_.SetShortenRest(Button_GetCheck(shorten_rest_) == BST_CHECKED);
      return;
    default:
      return;
  }
  Show();
}

void MainWindow::AutoMenu() {
  const HMENU menu = CreatePopupMenu();
  AppendMenuW(menu, MF_STRING, kAutoEveryLayer, L"every layer of this type");
  AppendMenuW(menu, MF_STRING, kAutoEveryType, L"every type of the template");
  RECT below;
  GetWindowRect(auto_many_, &below);
  TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_TOPALIGN, below.left, below.bottom, 0, window_, nullptr);
  DestroyMenu(menu);
}

void MainWindow::WriteOffered() {
  // The session asks before replacing a file, naming the template, and writes it whole.
  const std::optional<std::string> target = ChooseSaveTarget(window_, session_.SuggestedPath());
  if (!target) return session_.Offered(false, "", "");
  session_.WriteTo(*target);
}

void MainWindow::Zoom(int steps) {
  constexpr int kMostZoom = 4;
  // No larger than the screen shows whole: the window does not scroll.
  MONITORINFO screen{};
  screen.cbSize = sizeof screen;
  GetMonitorInfoW(MonitorFromWindow(window_, MONITOR_DEFAULTTONEAREST), &screen);
  const int room = screen.rcWork.bottom - screen.rcWork.top - MulDiv(160, dpi_, 96);
  const int pixel = std::max(1, (dpi_ + 48) / 96);
  zoom_ = steps == 0 ? 1 : std::clamp(zoom_ + steps, 1, kMostZoom);
  while (zoom_ > 1 && session_.Raster().Height() * pixel * zoom_ > room) --zoom_;
  LayOut();
}

bool MainWindow::TakeKey(const MSG& message) {
  if (message.message == WM_MOUSEWHEEL && Down(VK_CONTROL)) {
    Zoom(GET_WHEEL_DELTA_WPARAM(message.wParam) > 0 ? 1 : -1);
    return true;
  }
  if (message.message != WM_KEYDOWN || Down(VK_MENU)) return false;
  const bool ctrl = Down(VK_CONTROL), shift = Down(VK_SHIFT);
  if (ctrl) {
    const WPARAM key = message.wParam;
    if (key == VK_OEM_PLUS || key == VK_ADD) return Zoom(1), true;
    if (key == VK_OEM_MINUS || key == VK_SUBTRACT) return Zoom(-1), true;
    if (key == '0' || key == VK_NUMPAD0) return Zoom(0), true;
  }
  const std::string key = KeyName(message.wParam);
  if (key.empty()) return false;
  const HWND focus = GetFocus();
  const char* const where = focus == picture1_->Handle()          ? "grid"
                            : focus == comlist_                   ? "box"
                            : focus == thefile_ || focus == zval_ ? "text"
                                                                  : "other";
  if (const std::string action = KeyAction(where, key, ctrl, shift, Typed()); !action.empty()) {
    session_.Key(action, key, shift);
    Show();
    return true;
  }
  if (key != "Enter" || ctrl) return false;
  if (focus == thefile_) {
    session_.Go();
  } else if (focus == zval_) {
    session_.EnterLayer();
  } else if (!lists_->Choose(focus)) {
    return false;
  }
  Show();
  return true;
}

void MainWindow::AfterMessage(const MSG& message) {
  if (message.hwnd != comlist_) return;
  const bool click = message.message == WM_LBUTTONUP;
  if (!click && message.message != WM_KEYUP) return;
  // Its line numbers are the text's once it shows the whole text; FillBox tells the caret then.
  if (box_->Filled()) TellCaret(click);
}

void MainWindow::TellCaret(bool always) {
  const auto line = static_cast<long long>(SendMessageW(comlist_, EM_LINEFROMCHAR, -1, 0));
  if (line == caret_line_ && !always) return;
  caret_line_ = line;
  session_.Caret(static_cast<std::size_t>(line));
  Show();
}

}  // namespace quarnel
