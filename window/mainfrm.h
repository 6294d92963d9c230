#pragma once

#include <QString>
#include <QWidget>
#include <functional>
#include <string>

#include "editor/surface.h"
#include "editor/program.h"
#include "editor/window_values.h"

class QLineEdit;
class QPushButton;
class QScrollBar;

namespace quarnel {

class OutputBox;
class SurfaceView;

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

  // Window values.
  std::string TemplatePath() const override;
  std::string Caption() const override;
  void SetCaption(const std::string& caption) override;
  int Layer() const override;
  void SetLayer(int layer) override;
  std::string LayerText() const override;
  void SetLayerText(const std::string& text) override;
  std::string OutputText() const override;
  void SetOutputText(const std::string& text) override;
  Surface& Picture() override { return surface_; }

  void SetTemplatePath(const QString& path);
  const Program& program() const { return program_; }

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Runs one piece of logic; reports a fault it throws and shows the surface as it now stands.
  void Run(const std::function<void()>& action);
  // Page Up and Page Down step the layer spinner like its arrows.
  bool StepLayerByKey(int key);

  void Browse();

  FaultReporter report_fault_;
  FileChooser choose_file_;
  Surface surface_;
  std::string caption_;
  Program program_{*this};

  SurfaceView* picture1_;
  QLineEdit* thefile_;
  QPushButton* command1_;
  QPushButton* command2_;
  QScrollBar* zscr_;
  QLineEdit* zval_;
  OutputBox* comlist_;
  QPushButton* next_tile_;
  QPushButton* auto_cover_;
};

}  // namespace quarnel
