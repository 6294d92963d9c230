// The main window: its controls, their layout at the screen's DPI, and showing what the session
// shows.
#include "win32/main_window.h"

#include <windows.h>

#include <commctrl.h>

#include <algorithm>

#include "win32/dialogs.h"
#include "win32/text.h"

namespace quarnel {
namespace {

constexpr wchar_t kClass[] = L"QuarnelMainFrm";
constexpr DWORD kStyle = WS_OVERLAPPEDWINDOW & ~(WS_MAXIMIZEBOX | WS_THICKFRAME);
constexpr DWORD kExStyle = WS_EX_CONTROLPARENT | WS_EX_ACCEPTFILES;

void SetTextIfOther(HWND control, const std::wstring& text) {
  if (TextOf(control) != text) SetWindowTextW(control, text.c_str());
}

}  // namespace

MainWindow::MainWindow() {
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW type{};
  type.cbSize = sizeof type;
  type.lpfnWndProc = &MainWindow::Procedure;
  type.hInstance = instance;
  type.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
  type.hIconSm = type.hIcon;
  type.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
  type.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  type.lpszClassName = kClass;
  RegisterClassExW(&type);
  CreateWindowExW(kExStyle, kClass, Wide(session_.Caption()).c_str(), kStyle, CW_USEDEFAULT,
                  CW_USEDEFAULT, 640, 480, nullptr, nullptr, instance, this);
}

MainWindow::~MainWindow() {
  if (font_) DeleteObject(font_);
}

HWND MainWindow::Control(const wchar_t* type, const wchar_t* text, DWORD style, int id) {
  return CreateWindowExW(0, type, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 1, 1, window_,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                         GetModuleHandleW(nullptr), nullptr);
}

// In the window's order, which is also the order Tab follows.
void MainWindow::Create() {
  dpi_ = static_cast<int>(GetDpiForWindow(window_));
  picture1_ = std::make_unique<GridControl>(window_, kPicture1, session_, [this](bool moved) {
    Show(moved ? From::kPointer : From::kOther);
  });
  const DWORD edit = WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL;
  const DWORD button = WS_TABSTOP | BS_PUSHBUTTON;
  thefile_ = Control(WC_EDITW, L"", edit, kThefile);
  command1_ = Control(WC_BUTTONW, L"...", button, kCommand1);
  command2_ = Control(WC_BUTTONW, L"go", button, kCommand2);
  zval_ = Control(WC_EDITW, Wide(session_.LayerText()).c_str(), edit, kZval);
  zscr_ = Control(UPDOWN_CLASSW, L"", WS_TABSTOP | UDS_ARROWKEYS, kZscr);
  SendMessageW(zscr_, UDM_SETRANGE32, 0, kLayers - 1);  // the up arrow raises the layer
  comlist_ = Control(WC_EDITW, L"",
                     WS_TABSTOP | WS_BORDER | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL |
                         ES_WANTRETURN | ES_NOHIDESEL,
                     kComlist);
  SendMessageW(comlist_, EM_SETLIMITTEXT, 0x7FFFFFFE, 0);
  box_ = std::make_unique<OutputBox>(comlist_);
  next_tile_ = Control(WC_BUTTONW, L"Next Tile Type", button, kNextTile);
  auto_cover_ = Control(WC_BUTTONW, L"Auto", button, kAutoCover);
  save_ = Control(WC_BUTTONW, L"Save...", button, kSave);
  auto_many_ = Control(WC_BUTTONW, L"Auto all", button, kAutoMany);
  shorten_rest_ = Control(WC_BUTTONW, L"shorten the rest automatically",
                          WS_TABSTOP | BS_AUTOCHECKBOX, kShortenRest);
  lists_ = std::make_unique<TypeLists>(window_, kTypes, kLayers, session_);
  for (HWND& row : status_) {
    row = Control(WC_STATICW, L"", SS_LEFTNOWORDWRAP | SS_ENDELLIPSIS | SS_NOPREFIX, 0);
  }
  work_label_ = Control(WC_STATICW, L"", SS_LEFTNOWORDWRAP | SS_ENDELLIPSIS | SS_NOPREFIX, 0);
  progress_ = Control(PROGRESS_CLASSW, L"", 0, 0);
  cancel_ = Control(WC_BUTTONW, L"Cancel", WS_TABSTOP | BS_PUSHBUTTON, kCancel);
  for (const HWND work : {work_label_, progress_, cancel_}) ShowWindow(work, SW_HIDE);
  SetFonts();
  LayOut();
  Show();
}

void MainWindow::SetFonts() {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0,
                             static_cast<UINT>(dpi_));
  const HFONT font = CreateFontIndirectW(&metrics.lfMessageFont);
  EnumChildWindows(
      window_,
      [](HWND child, LPARAM with) {
        SendMessageW(child, WM_SETFONT, static_cast<WPARAM>(with), TRUE);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(font));
  if (font_) DeleteObject(font_);
  font_ = font;
  lists_->SetColumnWidths(dpi_);
}

// The grid at the top left, the output box and the types panel right of it, the row of controls
// below, the status line below that; lengths at 96 dots an inch, scaled to the screen's.
void MainWindow::LayOut() {
  const auto s = [this](int length) { return MulDiv(length, dpi_, 96); };
  const int scale = zoom_ * std::max(1, (dpi_ + 48) / 96);
  picture1_->SetScale(scale);
  const int grid_width = session_.Raster().Width() * scale;
  const int grid_height = session_.Raster().Height() * scale;
  const int margin = s(8), ox = margin + grid_width + s(7), row = margin + grid_height + s(7);
  const int height = s(22), panel = ox + s(208);
  const int types_height = grid_height * 2 / 3;
  const struct {
    HWND control;
    int x, y, width, height;
  } places[] = {
      {picture1_->Handle(), margin, margin, grid_width, grid_height},
      {thefile_, margin, row, ox - s(95) - margin, height},
      {command1_, ox - s(88), row, s(20), height},
      {command2_, ox - s(64), row, s(57), height},
      {zval_, ox, row, s(25), height},
      {zscr_, ox + s(25), row, s(17), height},
      {comlist_, ox, margin, s(201), grid_height},
      {next_tile_, ox + s(48), row, s(89), height},
      {auto_cover_, ox + s(144), row, s(57), height},
      {save_, panel, row, s(57), height},
      {auto_many_, panel + s(64), row, s(65), height},
      {shorten_rest_, panel + s(136), row, s(264), height},
      {lists_->Types(), panel, margin, s(400), types_height - s(4)},
      {lists_->Layers(), panel, margin + types_height, s(400), grid_height - types_height},
  };
  HDWP moves = BeginDeferWindowPos(static_cast<int>(std::size(places)) + 6);
  for (const auto& at : places) {
    moves = DeferWindowPos(moves, at.control, nullptr, at.x, at.y, at.width, at.height,
                           SWP_NOZORDER | SWP_NOACTIVATE);
  }
  const int line = s(17), width = panel + s(400);
  for (int at = 0; at < 3; ++at) {
    moves = DeferWindowPos(moves, status_[at], nullptr, margin, row + height + s(6) + at * line,
                           width - margin, line, SWP_NOZORDER | SWP_NOACTIVATE);
  }
  const int work = row + height + s(6) + 3 * line + s(4);
  moves = DeferWindowPos(moves, work_label_, nullptr, margin, work + s(3), ox - s(8) - margin, line,
                         SWP_NOZORDER | SWP_NOACTIVATE);
  moves = DeferWindowPos(moves, progress_, nullptr, ox, work + s(3), panel - ox + s(200), s(16),
                         SWP_NOZORDER | SWP_NOACTIVATE);
  moves = DeferWindowPos(moves, cancel_, nullptr, panel + s(208), work, s(64), height,
                         SWP_NOZORDER | SWP_NOACTIVATE);
  EndDeferWindowPos(moves);
  RECT frame{0, 0, width + margin, work + height + s(6)};
  AdjustWindowRectExForDpi(&frame, kStyle, FALSE, kExStyle, static_cast<UINT>(dpi_));
  SetWindowPos(window_, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void MainWindow::Open(const std::string& path) {
  SetWindowTextW(thefile_, Wide(path).c_str());  // its change chooses the file
  session_.Go();
  Show();
}

void MainWindow::Show(From from) {
  if (from == From::kPointer) {
    // The cell under the pointer and the outline: nothing else changes.
    SetTextIfOther(status_[1], Wide(session_.StatusRow(1)));
    InvalidateRect(picture1_->Handle(), nullptr, FALSE);
    return;
  }
  updating_ = true;
  SetTextIfOther(window_, Wide(session_.Caption() + (session_.HasUnsaved() ? " *" : "")));
  if (from != From::kLayerTyped) SetTextIfOther(zval_, Wide(session_.LayerText()));
  SendMessageW(zscr_, UDM_SETPOS32, 0, session_.Layer());
  for (int row = 0; row < 3; ++row) SetTextIfOther(status_[row], Wide(session_.StatusRow(row)));
  ShowBox(from == From::kBoxTyped);
  InvalidateRect(picture1_->Handle(), nullptr, FALSE);
  lists_->Refresh();
  updating_ = false;
  AnswerAll();
}

void MainWindow::ShowBox(bool typed) {
  std::string box = session_.BoxText();
  // The box is the user's while they type: the session has what it shows.
  if (typed) return box_->Typed(box);
  if (box != box_->Text()) {
    box_->SetText(box);
    caret_line_ = -1;
  }
  program_box_ = std::move(box);
  // A Ctrl + press's records: the first one's line selected and in sight, once the box holds it.
  if (box_->Filled() && session_.SelectedLines() != selected_lines_) {
    selected_lines_ = session_.SelectedLines();
    if (!selected_lines_.empty()) {
      const auto line = static_cast<WPARAM>(selected_lines_.front());
      const LRESULT start = SendMessageW(comlist_, EM_LINEINDEX, line, 0);
      const LRESULT length = SendMessageW(comlist_, EM_LINELENGTH, static_cast<WPARAM>(start), 0);
      SendMessageW(comlist_, EM_SETSEL, static_cast<WPARAM>(start), start + length);
      SendMessageW(comlist_, EM_SCROLLCARET, 0, 0);
      caret_line_ = static_cast<long long>(line);
    }
  }
}

bool MainWindow::FillBox() {
  if (box_->Filled()) return false;
  updating_ = true;  // the box's own changes are no typing
  const bool more = box_->Fill();
  updating_ = false;
  if (more) return true;
  // Its line numbers hold now: the caret the user moved meanwhile, and the selected records.
  const LRESULT end = GetWindowTextLengthW(comlist_);
  DWORD from = 0, to = 0;
  SendMessageW(comlist_, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
  if (from != to || static_cast<LRESULT>(to) != end) {
    TellCaret(true);
  } else {
    Show();
  }
  return false;
}

// A fault, a question or a save the last call left: each shown in turn, the session told how it
// ended, until none is left.
void MainWindow::AnswerAll() {
  if (answering_) return;
  answering_ = true;
  for (;;) {
    if (const std::string fault = session_.TakeFault(); !fault.empty()) {
      ShowFault(window_, fault);
    } else if (!session_.Question().empty()) {
      session_.Answer(Ask(window_, session_.Question(), session_.Answers()));
      Show();
    } else if (!session_.DownloadName().empty()) {
      WriteOffered();
      Show();
    } else {
      break;
    }
  }
  answering_ = false;
  if (session_.Ended()) DestroyWindow(window_);
}

bool MainWindow::Work() {
  constexpr unsigned long long kPartsMs = 30;  // then the window answers again
  if (answering_) return false;
  if (!session_.Working()) {
    working_ = false;
    return FillBox();
  }
  const unsigned long long start = GetTickCount64();
  if (!working_) work_since_ = start;
  working_ = true;
  do {
    session_.Continue();
  } while (session_.Working() && GetTickCount64() - start < kPartsMs);
  ShowWork();
  if (session_.Working()) return true;
  working_ = false;
  Show();
  return !box_->Filled();
}

void MainWindow::ShowWork() {
  constexpr unsigned long long kQuietMs = 300;  // work shorter than this shows no bar
  const bool shown = session_.Working() && GetTickCount64() - work_since_ >= kQuietMs;
  if (shown) {
    const Session::Progress progress = session_.WorkProgress();
    SetTextIfOther(work_label_, Wide(progress.said));
    EnableWindow(cancel_, progress.cancellable);
    const bool known = progress.total > 0;
    SetWindowLongPtrW(progress_, GWL_STYLE, WS_CHILD | WS_VISIBLE | (known ? 0 : PBS_MARQUEE));
    SendMessageW(progress_, PBM_SETMARQUEE, !known, 0);
    SendMessageW(progress_, PBM_SETRANGE32, 0, known ? progress.total : 1);
    SendMessageW(progress_, PBM_SETPOS, static_cast<WPARAM>(progress.done), 0);
  }
  for (const HWND work : {work_label_, progress_, cancel_}) {
    ShowWindow(work, shown ? SW_SHOWNOACTIVATE : SW_HIDE);
  }
}

}  // namespace quarnel
