#pragma once

#include <QElapsedTimer>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QWidget>
#include <cstddef>
#include <functional>
#include <future>
#include <optional>
#include <string>
#include <vector>

#include "session/session.h"

class QLineEdit;
class QProgressDialog;
class QPushButton;
class QScrollArea;

namespace quarnel {

class GridBox;
class LayerSpinner;
class OutputBox;
class StatusLine;
class SurfaceView;
class TypesPanel;

// The main window: lays out the controls, passes each of their events to the session and shows
// what the session shows. What a press, a key or a button does, what is asked and what is said are
// the session's; the window brings faults, questions and saves before the user in its dialogs.
class MainFrm : public QWidget {
  Q_OBJECT

 public:
  // Shows a fault to the user. Tests pass their own so that no modal box blocks.
  using FaultReporter = std::function<void(QWidget* parent, const QString& message)>;
  // Asks the user for a template, starting in the given folder; empty when cancelled.
  using FileChooser = std::function<QString(QWidget* parent, const QString& start_folder)>;
  // Asks where to save, offering `suggested`, and whether to shorten the rest too; nothing when
  // cancelled.
  struct SaveChoice {
    QString path;
    bool shorten_rest = false;
  };
  using SaveChooser = std::function<std::optional<SaveChoice>(
      QWidget* parent, const QString& suggested, bool shorten_rest)>;
  // Asks a question; the index of the answer chosen among `answers`, the last one on Escape.
  using Asker =
      std::function<int(QWidget* parent, const QString& question, const QStringList& answers)>;

  static void ShowFaultBox(QWidget* parent, const QString& message);

  explicit MainFrm(FaultReporter report_fault = ShowFaultBox, FileChooser choose_file = {},
                   QWidget* parent = nullptr);
  // Stops the controls' signals first: their destruction moves the focus, which would reach
  // this window's slots after its own members are gone. Then the controls go, before the session
  // they show.
  ~MainFrm() override;

  // Tests answer the save dialog and the questions for the user.
  void SetDialogs(SaveChooser choose_target, Asker ask);
  // How long a slice of long work runs before the window answers again, and how long the work
  // runs before its progress dialog shows; tests make them short.
  void SetWorkPacing(int slice_ms, int quiet_ms);
  // Long work runs: the window answers, and shows how far it has got.
  bool Working() const { return session_.Working() || show_pending_; }

  // What the window shows, as the session has it.
  std::string TemplatePath() const;
  std::string Caption() const { return session_.Caption(); }
  const std::string& OutputText() const { return session_.OutputText(); }
  void SetOutputText(const std::string& text);
  const Surface& Picture() const { return session_.Raster(); }
  const Program& program() const { return session_.program(); }

  void SetTemplatePath(const QString& path);
  // The same, from a path's bytes as the file system has them, UTF-8 or not.
  void SetTemplatePath(const std::string& bytes);
  // The rows of the status line, whole, one per line.
  QString StatusText() const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  // Asks first while the output box holds records that are neither saved nor copied.
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  // Passes one event to the session, then shows what it left.
  void Call(const std::function<void()>& call);
  // Brings faults, questions and saves before the user, each told to the session, until none is
  // left; then what the session shows onto the controls; then a slice of long work.
  void Show();
  bool AnswerOne();
  void ShowValues();
  void ShowStatus();
  void ShowOutput();
  // Long work runs a slice of parts at a time on a thread beside the window, which answers
  // meanwhile; past 300 ms a dialog shows how far it has got, with Cancel. True when a slice ended
  // and the session has taken it.
  bool WorkSlice();
  void ShowWork();
  // The save on offer: where to, in the save dialog, then written by the session.
  void WriteOffered();
  // Keys a focused control leaves unused, through the session's key map.
  bool HandleKey(const QKeyEvent& event);
  // A template dropped on the window: into the path box, then go. False for anything else.
  bool HandleDrop(QEvent* event);
  // Stops every press in progress, so that nothing repeats behind a fault's message box.
  void ReleasePresses();

  // Gives a control its object name, its name for screen readers and its tip, which is also its
  // description unless one is given.
  static void Name(QWidget* control, const char* object, const char* accessible, const char* tip,
                   const char* description = nullptr);

  // The steps of building the window, in the order the constructor takes them.
  void CreateControls();
  void DescribeControls();
  void SetUpFocusAndDrops();
  void ConnectControls();
  void ConnectGrid();
  // The Save button and its checkbox, the types panel and its button, and Auto over many layers.
  void AddSaving();
  void AddPanel();
  void AddAutoMany();
  void AddZoomKeys();
  void Browse();
  void Go();
  // Shows or hides the types panel; the window grows or shrinks by its width.
  void ShowPanel(bool shown);
  // The screen's room for the window, in logical pixels; invalid without a screen.
  QSize ScreenRoom() const;
  // Places the controls for the grid's box and the panel.
  void LayOut();
  // The grid's box at which the window fits the screen, no larger than the one shown; the window
  // sized to its content and scrolled to the top left.
  void FitToScreen();
  // Zooms the grid inside its box by `steps` about the box's middle; 0 fits the box to the window
  // and the grid to the box.
  void Zoom(int steps);

  Session session_{true};
  FaultReporter report_fault_;
  FileChooser choose_file_;
  SaveChooser choose_target_;
  Asker ask_;
  std::string raw_path_;   // the bytes of a path given as bytes, while the box shows...
  QString raw_path_text_;  // ... this text of theirs
  int panel_width_ = 0;
  bool showing_ = false;       // Show runs: the dialogs it opens may bring events
  bool show_pending_ = false;  // the session changed since the controls last showed it
  bool filling_box_ = false;   // the output box changes for the session, not for typing
  unsigned long long shown_output_ = ~0ull;
  std::vector<std::size_t> shown_lines_;    // the selected records' lines the box highlights
  bool shorten_rest_ = false;               // as the save dialog's checkbox was left
  std::optional<std::string> save_target_;  // chosen already for the save being made
  bool close_when_ended_ = false;           // "Save..." answered on closing: closes once saved
  int slice_ms_ = 40;
  int quiet_ms_ = 300;
  QTimer work_timer_;
  std::future<bool> parts_;  // the slice of parts running beside the window
  unsigned long long parts_work_ = 0;
  QElapsedTimer work_clock_;   // since the long work began
  QElapsedTimer event_clock_;  // since the event being handled came
  QProgressDialog* work_dialog_ = nullptr;

  QScrollArea* scroll_;
  QWidget* content_;
  SurfaceView* picture1_;  // the grid: the layer drawing, pressed to mark
  GridBox* grid_box_;      // ... and the box it zooms and pans in
  QLineEdit* thefile_;     // the path box
  QPushButton* command1_;  // "...": choose a template
  QPushButton* command2_;  // "go": start a run
  LayerSpinner* zscr_;     // the layer spinner
  QLineEdit* zval_;        // the layer box
  OutputBox* comlist_;     // the output box: the collected records
  QPushButton* next_tile_;
  QPushButton* auto_cover_;
  QPushButton* save_ = nullptr;
  QPushButton* panel_button_ = nullptr;
  QPushButton* auto_many_ = nullptr;
  TypesPanel* panel_ = nullptr;
  StatusLine* status_;
};

}  // namespace quarnel
