// The parts of the main window that save the template and show the types panel.
#include <QCloseEvent>
#include <QPushButton>
#include <QShortcut>
#include <QTableView>
#include <QUndoStack>

#include "editor/steps.h"
#include "model/fault.h"
#include "window/mainfrm.h"
#include "window/output_box.h"
#include "window/template_saver.h"
#include "window/types_panel.h"

namespace quarnel {
namespace {

// Right of the first controls: the Save button beside Auto, the panel's button, and the panel
// above them. Hidden, the panel leaves the content as wide as the two buttons need.
constexpr QSize kContentWithPanel(1216, 600);
constexpr QSize kContentWithoutPanel(936, 600);
constexpr QRect kSaveRect(808, 526, 57, 17);
constexpr QRect kPanelButtonRect(872, 526, 57, 17);
constexpr QRect kPanelRect(808, 8, 400, 511);

template <typename Control>
Control* Place(Control* control, const char* name, const QRect& rect, const char* accessible,
               const char* tip) {
  control->setObjectName(QString::fromLatin1(name));
  control->setGeometry(rect);
  control->setAccessibleName(QString::fromUtf8(accessible));
  control->setToolTip(QString::fromUtf8(tip));
  return control;
}

}  // namespace

void MainFrm::AddSavingAndPanel() {
  save_ = Place(new QPushButton(QStringLiteral("Save..."), content_), "Save", kSaveRect, "Save",
                "Save the template with the records applied and the tile records they cover "
                "left out (Ctrl+S)");
  saver_ = new TemplateSaver(this, program_);
  panel_button_ = Place(new QPushButton(QStringLiteral("Types"), content_), "TypesButton",
                        kPanelButtonRect, "Types panel", "Show or hide the types panel (F9)");
  panel_button_->setCheckable(true);
  panel_ = Place(new TypesPanel(program_, content_), "TypesPanel", kPanelRect, "Tile types", "");
  // The two buttons end the bottom row; the lists come last, after the output box.
  setTabOrder(auto_cover_, save_);
  setTabOrder(save_, panel_button_);
  setTabOrder(comlist_, panel_->TypesView());
  setTabOrder(panel_->TypesView(), panel_->LayersView());
  // Page Up and Down step the layer in the lists too, as everywhere outside the text boxes.
  panel_->TypesView()->installEventFilter(this);
  panel_->LayersView()->installEventFilter(this);

  connect(save_, &QPushButton::clicked, this, &MainFrm::Save);
  auto* save_keys = new QShortcut(QKeySequence::Save, this);
  connect(save_keys, &QShortcut::activated, this, &MainFrm::Save);
  connect(panel_button_, &QPushButton::toggled, this, &MainFrm::ShowPanel);
  auto* panel_key = new QShortcut(QKeySequence(Qt::Key_F9), this);
  connect(panel_key, &QShortcut::activated, panel_button_, &QPushButton::toggle);
  connect(panel_, &TypesPanel::typeChosen, this,
          [this](std::size_t row) { Run([&] { ShowType(program_, row); }); });
  connect(panel_, &TypesPanel::layerChosen, this,
          [this](int layer) { Run([&] { ShowLayer(program_, layer); }); });
  panel_button_->setChecked(true);  // shows the panel and fits the window to the screen
}

void MainFrm::ShowPanel(bool shown) {
  panel_->setVisible(shown);
  content_->setFixedSize(shown ? kContentWithPanel : kContentWithoutPanel);
  FitToScreen();
}

void MainFrm::Save() {
  Run([this] {
    Say(saver_->Save().said);
    setWindowModified(saver_->HasUnsaved());
  });
}

bool MainFrm::MayStartAnotherTemplate() {
  const std::string path = TemplatePath();
  if (!saver_->HasUnsaved() || program_.read_path.empty() || path == program_.read_path)
    return true;
  switch (saver_->AskBeforeAnotherTemplate(path)) {
    case TemplateSaver::Switch::kStay:
      Say("go cancelled: the records stay with " + Printable(program_.read_path));
      ShowStatus();
      return false;
    case TemplateSaver::Switch::kAfresh:
      undo_stack_->clear();
      SetOutputText("");
      return true;
    case TemplateSaver::Switch::kKeep:
      return true;
  }
  return true;
}

void MainFrm::closeEvent(QCloseEvent* event) {
  bool may_close = false;
  Run([&] { may_close = saver_->MayClose(); });
  if (may_close) {
    event->accept();
  } else {
    event->ignore();
  }
}

}  // namespace quarnel
