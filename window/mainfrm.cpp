#include "window/mainfrm.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QShortcut>
#include <QStyle>
#include <QVBoxLayout>
#include <algorithm>
#include <exception>
#include <new>
#include <utility>

#include "editor/marking.h"
#include "model/box_text.h"
#include "model/fault.h"
#include "window/content_scroller.h"
#include "window/frame_layout.h"
#include "window/grid_box.h"
#include "window/grid_pitch.h"
#include "window/layer_spinner.h"
#include "window/output_box.h"
#include "window/save_dialogs.h"
#include "window/status_line.h"
#include "window/surface_view.h"
#include "window/template_dialog.h"
#include "window/types_panel.h"

namespace quarnel {
namespace {

// What a focused control in the bottom row keeps in sight below it: the status line.
constexpr int kStatusBelow = 53;

template <typename Control>
Control* Place(Control* control, const char* name) {
  control->setObjectName(QString::fromLatin1(name));
  return control;
}

// The tip is also what a screen reader says of the control; `tip` empty: the description alone.
void Describe(QWidget* control, const char* name, const char* tip,
              const char* description = nullptr) {
  control->setAccessibleName(QString::fromUtf8(name));
  control->setToolTip(QString::fromUtf8(tip));
  control->setAccessibleDescription(QString::fromUtf8(description ? description : tip));
}

}  // namespace

void MainFrm::Name(QWidget* control, const char* object, const char* accessible, const char* tip,
                   const char* description) {
  control->setObjectName(QString::fromLatin1(object));
  Describe(control, accessible, tip, description);
}

MainFrm::~MainFrm() {
  for (QObject* child : findChildren<QObject*>())
    QObject::disconnect(child, nullptr, this, nullptr);
  // The controls read the session (the panel's lists, the grid's raster) until they are gone:
  // they go first, while it still stands.
  delete scroll_;
}

void MainFrm::ShowFaultBox(QWidget* parent, const QString& message) {
  QMessageBox::warning(parent, QStringLiteral("Quarnel"), message);
}

MainFrm::MainFrm(FaultReporter report_fault, FileChooser choose_file, QWidget* parent)
    : QWidget(parent),
      report_fault_(std::move(report_fault)),
      choose_file_(choose_file ? std::move(choose_file) : FileChooser(ChooseTemplate)),
      choose_target_(ChooseSaveTarget),
      ask_(AskBox) {
  setObjectName(QStringLiteral("MainFrm"));
  // The controls are small; a compact font keeps their labels inside them.
  QFont compact = font();
  compact.setPixelSize(11);
  setFont(compact);

  CreateControls();
  DescribeControls();
  SetUpFocusAndDrops();
  ConnectControls();
  ConnectGrid();
  AddSaving();
  AddPanel();
  AddAutoMany();
  AddZoomKeys();
  work_timer_.setSingleShot(true);
  connect(&work_timer_, &QTimer::timeout, this, &MainFrm::Show);
  panel_button_->setChecked(true);  // shows the panel and fits the window to the screen
  Show();
  if (thefile_->text().isEmpty()) thefile_->setFocus();
}

void MainFrm::SetDialogs(SaveChooser choose_target, Asker ask) {
  choose_target_ = std::move(choose_target);
  ask_ = std::move(ask);
}

// The controls keep the places the layout gives them, on a content widget of fixed size.
void MainFrm::CreateControls() {
  // On a screen too small for the content, the window scrolls it instead of squeezing it.
  scroll_ = MakeContentScroller(this);
  content_ = new QWidget;
  content_->setObjectName(QStringLiteral("content"));
  scroll_->setWidget(content_);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSizeConstraint(QLayout::SetNoConstraint);
  layout->addWidget(scroll_);

  picture1_ = Place(new SurfaceView(session_.Raster(), content_), "Picture1");
  // Zoom scales the grid inside this box alone: the controls keep their places at any zoom.
  grid_box_ = Place(new GridBox(picture1_, content_), "GridBox");
  thefile_ = Place(new QLineEdit(content_), "thefile");
  command1_ = Place(new QPushButton(QStringLiteral("..."), content_), "Command1");
  command2_ = Place(new QPushButton(QStringLiteral("go"), content_), "Command2");
  zscr_ = Place(new LayerSpinner(content_), "zscr");
  zval_ = Place(new QLineEdit(QStringLiteral("0"), content_), "zval");
  comlist_ = Place(new OutputBox(content_), "comlist");
  next_tile_ = Place(new QPushButton(QStringLiteral("Next Tile Type"), content_), "NextTile");
  auto_cover_ = Place(new QPushButton(QStringLiteral("Auto"), content_), "AutoCover");
  status_ = Place(new StatusLine(content_), "status");

  zscr_->setRange(0, kLayers - 1);
  zscr_->installEventFilter(this);
}

void MainFrm::DescribeControls() {
  Describe(picture1_, "Layer drawing",
           "The current tile type on the shown layer. Left press a red square for the first "
           "corner, right press another for the second; Shift + right press marks cells "
           "without tiles too. From the keyboard: arrows, Space, Enter (Shift + Enter); Escape "
           "drops the first corner. Ctrl + wheel zooms about the pointer, Ctrl++ and Ctrl+- "
           "about the middle, Ctrl+0 fits; drag with the middle button to pan.");
  Describe(grid_box_, "Grid box", "",
           "Shows the layer drawing; scrolls when the drawing is zoomed larger than the box");
  Describe(thefile_, "Template path", "Path of the template; Enter starts a run");
  Describe(command1_, "Choose template", "Choose a template file");
  Describe(command2_, "Go", "Start a run: show the first tile type of the template");
  Describe(zscr_, "Layer spinner", "Move to the nearest layer with cells (Page Up, Page Down)");
  Describe(zval_, "Layer", "The layer shown; type a layer and press Enter to show it");
  Describe(comlist_, "Records",
           "The rectangle records collected; copy them into the template (Ctrl+Z outside the "
           "text boxes undoes the last mark)");
  Describe(next_tile_, "Next tile type", "Show the next tile type of the run, from layer 0");
  Describe(auto_cover_, "Auto", "Cover the red squares of this layer with few rectangles");
  Describe(status_, "Status", "",
           "Where the run stands, the cell under the pointer or the rectangle being marked, and "
           "the last message");
}

void MainFrm::SetUpFocusAndDrops() {
  // Tab follows the layout: the bottom row, then the grid, then the output box.
  const std::initializer_list<QWidget*> tab_order = {
      thefile_, command1_, command2_, zval_, zscr_, next_tile_, auto_cover_, picture1_, comlist_};
  for (auto at = tab_order.begin(); at + 1 != tab_order.end(); ++at) setTabOrder(*at, *(at + 1));
  // The focused control is always in sight, with the status line below the bottom row.
  FollowFocus(scroll_, kStatusBelow);

  // Keys the controls leave unused reach the content widget; drops are taken there, and on the
  // text boxes, which would otherwise paste a dropped file's address as text.
  content_->installEventFilter(this);
  content_->setAcceptDrops(true);
  for (QWidget* box : {static_cast<QWidget*>(thefile_), static_cast<QWidget*>(zval_),
                       static_cast<QWidget*>(comlist_)}) {
    box->installEventFilter(this);
  }
}

// The buttons, the text boxes and the spinner.
void MainFrm::ConnectControls() {
  connect(command1_, &QPushButton::clicked, this, &MainFrm::Browse);
  connect(command2_, &QPushButton::clicked, this, &MainFrm::Go);
  connect(thefile_, &QLineEdit::returnPressed, this, &MainFrm::Go);
  connect(thefile_, &QLineEdit::textChanged, this,
          [this] { Call([this] { session_.ChooseFile(TemplatePath()); }); });
  connect(zval_, &QLineEdit::textChanged, this,
          [this](const QString& text) { session_.TypeLayer(text.toStdString()); });
  connect(zval_, &QLineEdit::returnPressed, this,
          [this] { Call([this] { session_.EnterLayer(); }); });
  connect(next_tile_, &QPushButton::clicked, this,
          [this] { Call([this] { session_.NextTile(); }); });
  connect(auto_cover_, &QPushButton::clicked, this,
          [this] { Call([this] { session_.AutoCover(); }); });
  connect(comlist_, &OutputBox::changed, this, [this] {
    if (filling_box_) return;
    Call([this] { session_.EditOutput(ToBoxText(comlist_->Text())); });
  });
  // The spinner only says which way: the session moves the layer, or says why it cannot.
  connect(zscr_, &LayerSpinner::stepped, this,
          [this](int delta) { Call([this, delta] { session_.StepLayer(delta); }); });
  // Moved otherwise (dragged, or set by a test), the spinner asks for that layer.
  connect(zscr_, &QAbstractSlider::valueChanged, this,
          [this](int layer) { Call([this, layer] { session_.MoveLayer(layer); }); });
}

// Presses, keys and the pointer on the grid.
void MainFrm::ConnectGrid() {
  connect(picture1_, &SurfaceView::pressed, this, [this](int button, QPointF point, bool shift) {
    Call([&] { session_.Press(button, point.x(), point.y(), shift, false); });
  });
  connect(picture1_, &SurfaceView::selectPressed, this, [this](QPointF point) {
    Call([&] { session_.Press(kLeftButton, point.x(), point.y(), false, true); });
  });
  connect(picture1_, &SurfaceView::released, this, [this](QPointF point, bool shift) {
    Call([&] { session_.Release(point.x(), point.y(), shift); });
  });
  connect(picture1_, &SurfaceView::keyed, this, [this](const QString& key, bool shift) {
    Call([&] { session_.GridKey(key.toStdString(), shift); });
  });
  connect(picture1_, &SurfaceView::focused, this,
          [this] { Call([this] { session_.GridFocus(); }); });
  connect(picture1_, &SurfaceView::blurred, this,
          [this] { Call([this] { session_.GridBlur(); }); });
  connect(picture1_, &SurfaceView::hovered, this, [this](QPointF point) {
    session_.Hover(point.x(), point.y());
    ShowStatus();
  });
  connect(picture1_, &SurfaceView::left, this, [this] {
    session_.Leave();
    ShowStatus();
  });
  connect(comlist_, &OutputBox::caretMoved, this, [this] {
    if (filling_box_) return;
    const auto line = static_cast<std::size_t>(comlist_->textCursor().blockNumber());
    Call([&] { session_.Caret(line); });
  });
}

void MainFrm::Call(const std::function<void()>& call) {
  event_clock_.start();
  call();
  Show();
}

void MainFrm::ReleasePresses() {
  // A fault raised inside a press opens its message box before the press ends; the box then
  // takes the release, and a spinner arrow would go on repeating behind it. End the press now.
  for (QWidget* pressed : {static_cast<QWidget*>(zscr_), QWidget::mouseGrabber()}) {
    if (!pressed) continue;
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(0, 0),
                        pressed->mapToGlobal(QPointF(0, 0)), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(pressed, &release);
  }
}

void MainFrm::Browse() {
  const QString chosen = choose_file_(this, DialogStartFolder(thefile_->text()));
  if (!chosen.isEmpty()) thefile_->setText(chosen);
}

void MainFrm::Go() {
  Call([this] {
    session_.ChooseFile(TemplatePath());
    session_.Go();
  });
}

void MainFrm::SetOutputText(const std::string& text) {
  Call([&] { session_.EditOutput(ToBoxText(text)); });
}

void MainFrm::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  // The focus is set before the window shows, and may lie below what a small screen shows.
  ShowControl(scroll_, focusWidget(), kStatusBelow);
}

}  // namespace quarnel
