#pragma once

#include <QString>
#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "editor/marking.h"
#include "editor/program.h"
#include "editor/surface.h"
#include "editor/window_values.h"
#include "session/record_selection.h"
#include "session/undo_history.h"

class QLineEdit;
class QPushButton;
class QScrollArea;

namespace quarnel {

class GridBox;
class LayerSpinner;
class OutputBox;
class StatusLine;
class SurfaceView;
class TemplateSaver;
class TypesPanel;

// The main window: lays out the controls, binds the window values to them and wires their events
// to the logic. A fault in any action is reported and the window carries on with nothing lost.
class MainFrm : public QWidget, public WindowValues {
  Q_OBJECT

 public:
  // Shows a fault to the user. Tests pass their own so that no modal box blocks.
  using FaultReporter = std::function<void(QWidget* parent, const QString& message)>;
  // Asks the user for a template, starting in the given folder; empty when cancelled.
  using FileChooser = std::function<QString(QWidget* parent, const QString& start_folder)>;

  static void ShowFaultBox(QWidget* parent, const QString& message);

  explicit MainFrm(FaultReporter report_fault = ShowFaultBox, FileChooser choose_file = {},
                   QWidget* parent = nullptr);
  // Stops the controls' signals first: their destruction moves the focus, which would reach
  // this window's slots after its own members are gone.
  ~MainFrm() override;

  // Window values.
  std::string TemplatePath() const override;
  std::string Caption() const override;
  void SetCaption(const std::string& caption) override;
  int Layer() const override;
  void SetLayer(int layer) override;
  std::string LayerText() const override;
  void SetLayerText(const std::string& text) override;
  const std::string& OutputText() const override;
  void SetOutputText(const std::string& text) override;
  Surface& Picture() override { return surface_; }

  void SetTemplatePath(const QString& path);
  // The same, from a path's bytes as the file system has them, UTF-8 or not.
  void SetTemplatePath(const std::string& bytes);
  const Program& program() const { return program_; }
  // The rows of the status line, whole, one per line.
  QString StatusText() const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  // Asks first while the output box holds records that are neither saved nor copied.
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  // Runs one piece of logic; reports a fault it throws and shows the window as it now stands.
  void Run(const std::function<void()>& action);
  // Keys a focused control leaves unused: Page Up and Down step the layer spinner like its
  // arrows, and the undo keys undo and redo marks, outside the text boxes.
  bool HandleKey(const QKeyEvent& event);
  // A template dropped on the window: into the path box, then go. False for anything else.
  bool HandleDrop(QEvent* event);
  // Stops every press in progress, so that nothing repeats behind a fault's message box.
  void ReleasePresses();

  // Marks a flag for as long as it lives: a save or an Auto over many layers is running.
  class Busy {
   public:
    explicit Busy(bool& flag) : flag_(flag) { flag_ = true; }
    ~Busy() { flag_ = false; }
    Busy(const Busy&) = delete;
    Busy& operator=(const Busy&) = delete;

   private:
    bool& flag_;
  };

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
  // The Save button, the types panel and its button, and Auto over many layers, with their keys.
  void AddSaving();
  void AddPanel();
  void AddAutoMany();
  void AddZoomKeys();
  void Browse();
  void Save();
  // go: a run on the path box's template; first, when the box holds records made for another
  // template, asks what becomes of them.
  void Go();
  // Shows or hides the types panel; the window grows or shrinks by its width.
  void ShowPanel(bool shown);
  void Undo();
  void Redo();
  void Hover(QPointF point);
  // Ctrl + press on a square: selects the box's records of the shown type and layer that cover it.
  void SelectRecordsAt(QPointF point);
  // The output box's caret is on a record: its rectangle is outlined on the grid, its type and
  // layer shown first when others are.
  void OutlineCaretRecord();
  // Delete: takes the selected records, or the caret's, out of the box, as one step to undo.
  void RemoveSelectedRecords();
  // Says what a press or a drag refused or marked; a mark goes onto the undo history.
  void TakePress(int button, bool had_corner, PressResult result);
  // Puts a message on the status line's last row, until the next action.
  void Say(const std::string& message);
  void DropCorner();
  // Steps the layer spinner by `delta`; at either end of its range only the layer box is checked.
  void StepLayer(int delta);
  void ShowStatus();
  // Auto on every layer of the shown type, or on every type, off the window's thread.
  void AutoOnEvery(bool every_type);
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

  FaultReporter report_fault_;
  FileChooser choose_file_;
  Surface surface_;
  std::string caption_;
  Program program_{*this};
  UndoHistory history_{program_};
  int hover_cell_ = -1;      // GridCell::LayerIndex of the cell under the pointer, -1 off the grid
  std::string message_;      // its last row
  RecordSelection records_;  // what Delete takes
  std::string raw_path_;     // the bytes of a path given as bytes, while the box shows...
  QString raw_path_text_;    // ... this text of theirs
  int panel_width_ = 0;
  bool busy_ = false;

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
  TemplateSaver* saver_ = nullptr;
  QPushButton* panel_button_ = nullptr;
  QPushButton* auto_many_ = nullptr;
  TypesPanel* panel_ = nullptr;
  StatusLine* status_;
};

}  // namespace quarnel
