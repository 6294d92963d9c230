#pragma once

#include <memory>
#include <string>
#include <vector>

#include <windows.h>

#include "session/session.h"
#include "win32/grid_control.h"
#include "win32/output_box.h"
#include "win32/type_lists.h"

namespace quarnel {

// MainFrm as a native window: the controls in the window's order, each event passed to the
// session, and after each call everything the session shows brought onto the controls. The
// window decides nothing itself.
class MainWindow {
 public:
  // The controls' ids, for GetDlgItem.
  enum Id {
    kPicture1 = 100,
    kThefile,
    kCommand1,
    kCommand2,
    kZval,
    kZscr,
    kComlist,
    kNextTile,
    kAutoCover,
    kSave,
    kAutoMany,
    kShortenRest,
    kTypes,
    kLayers,
    kAutoEveryLayer,
    kAutoEveryType,
    kCancel,
  };

  MainWindow();
  ~MainWindow();
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  HWND Handle() const { return window_; }
  // A template named on the command line: into the path box, and go.
  void Open(const std::string& path);
  // Keys before the focused control sees them: the session's key map, Enter in the boxes and
  // lists, the zoom keys. True when the key was taken.
  bool TakeKey(const MSG& message);
  // After a message to a control: the output box's caret may stand on another line.
  void AfterMessage(const MSG& message);
  // Long work, when no message waits: parts of it for a few hundredths of a second, its
  // progress shown after a moment, with Cancel; then a slice of the output box. True while work
  // is left.
  bool Work();

 private:
  // What a call came from, for what the controls keep of the user's own.
  enum class From { kOther, kBoxTyped, kLayerTyped, kPointer };

  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT Handle(UINT message, WPARAM wparam, LPARAM lparam);
  void Create();
  HWND Control(const wchar_t* type, const wchar_t* text, DWORD style, int id);
  void SetFonts();
  void LayOut();
  void Command(int id, int code);
  void WriteOffered();  // the save dialog for the bytes the session offers, and the write
  void AutoMenu();
  void Zoom(int steps);
  // Everything the session shows, onto the controls; then its fault, question or save in turn.
  void Show(From from = From::kOther);
  void ShowBox(bool typed);
  bool FillBox();  // a slice of the output box; true while more is left
  void TellCaret(bool always);
  void AnswerAll();
  void ShowWork();
  bool Typed() const { return box_->Text() != program_box_; }

  Session session_{true};  // with a path box
  HWND window_ = nullptr;
  std::unique_ptr<GridControl> picture1_;
  std::unique_ptr<TypeLists> lists_;
  HWND thefile_ = nullptr, command1_ = nullptr, command2_ = nullptr, zval_ = nullptr,
       zscr_ = nullptr, comlist_ = nullptr, next_tile_ = nullptr, auto_cover_ = nullptr,
       save_ = nullptr, auto_many_ = nullptr, shorten_rest_ = nullptr;
  std::unique_ptr<OutputBox> box_;  // the output box's text, for the session
  HWND status_[3] = {};
  HWND work_label_ = nullptr, progress_ = nullptr, cancel_ = nullptr;
  bool working_ = false;
  unsigned long long work_since_ = 0;
  HFONT font_ = nullptr;
  int dpi_ = 96;
  int zoom_ = 1;
  bool updating_ = false;    // the window's own changes raise no events
  bool answering_ = false;   // a question or a dialog is open
  std::string program_box_;  // as the session last put it: anything else the user typed
  long long caret_line_ = -1;
  std::vector<std::size_t> selected_lines_;
};

}  // namespace quarnel
