#include "window/mainfrm.h"

#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QWheelEvent>
#include <exception>

#include "editor/auto_cover.h"
#include "editor/layers.h"
#include "editor/marking.h"
#include "model/fault.h"
#include "editor/steps.h"
#include "window/output_box.h"
#include "window/surface_view.h"
#include "window/template_dialog.h"

namespace quarnel {
namespace {

// Positions and sizes in logical pixels.
constexpr QSize kClientSize(810, 552);
constexpr QRect kPictureRect(8, 8, Surface::kWidth, Surface::kHeight);
constexpr QRect kPathRect(8, 526, 505, 19);
constexpr QRect kBrowseRect(512, 526, 17, 17);
constexpr QRect kGoRect(536, 526, 57, 17);
constexpr QRect kLayerSpinnerRect(624, 526, 17, 17);
constexpr QRect kLayerBoxRect(600, 526, 25, 19);
constexpr QRect kOutputRect(600, 8, 201, 511);
constexpr QRect kNextTileRect(648, 526, 89, 17);
constexpr QRect kAutoCoverRect(744, 526, 57, 17);

template <typename Control>
Control* Place(Control* control, const char* name, const QRect& rect) {
  control->setObjectName(QString::fromLatin1(name));
  control->setGeometry(rect);
  return control;
}

// A vertical scroll bar counts down towards its top arrow. Used as a layer spinner it should count
// up: turn every step and page action (arrows, arrow keys, Page Up and Down) around before the new
// value takes effect. The wheel is handled by MainFrm::eventFilter.
void MakeUpArrowRaise(QScrollBar* spinner) {
  spinner->setInvertedAppearance(true);
  QObject::connect(spinner, &QAbstractSlider::actionTriggered, spinner, [spinner](int action) {
    // The new position is already set, clamped to the range; work from the unchanged value.
    const int value = spinner->value();
    switch (action) {
      case QAbstractSlider::SliderSingleStepAdd:
        spinner->setSliderPosition(value - spinner->singleStep());
        break;
      case QAbstractSlider::SliderSingleStepSub:
        spinner->setSliderPosition(value + spinner->singleStep());
        break;
      case QAbstractSlider::SliderPageStepAdd:
        spinner->setSliderPosition(value - spinner->pageStep());
        break;
      case QAbstractSlider::SliderPageStepSub:
        spinner->setSliderPosition(value + spinner->pageStep());
        break;
      default:
        break;
    }
  });
}

bool IsTextBox(const QWidget* widget) {
  return qobject_cast<const QLineEdit*>(widget) || qobject_cast<const QPlainTextEdit*>(widget);
}

}  // namespace

void MainFrm::ShowFaultBox(QWidget* parent, const QString& message) {
  QMessageBox::warning(parent, QStringLiteral("Quarnel"), message);
}

MainFrm::MainFrm(FaultReporter report_fault, FileChooser choose_file, QWidget* parent)
    : QWidget(parent),
      report_fault_(std::move(report_fault)),
      choose_file_(choose_file ? std::move(choose_file) : FileChooser(ChooseTemplate)) {
  setObjectName(QStringLiteral("MainFrm"));
  SetCaption("Quarnel");
  resize(kClientSize);
  // The controls are small; a compact font keeps their labels inside them.
  QFont compact = font();
  compact.setPixelSize(11);
  setFont(compact);

  picture1_ = Place(new SurfaceView(surface_, this), "Picture1", kPictureRect);
  thefile_ = Place(new QLineEdit(this), "thefile", kPathRect);
  command1_ = Place(new QPushButton(QStringLiteral("..."), this), "Command1", kBrowseRect);
  command2_ = Place(new QPushButton(QStringLiteral("go"), this), "Command2", kGoRect);
  zscr_ = Place(new QScrollBar(Qt::Vertical, this), "zscr", kLayerSpinnerRect);
  zval_ = Place(new QLineEdit(QStringLiteral("0"), this), "zval", kLayerBoxRect);
  comlist_ = Place(new OutputBox(this), "comlist", kOutputRect);
  next_tile_ =
      Place(new QPushButton(QStringLiteral("Next Tile Type"), this), "NextTile", kNextTileRect);
  auto_cover_ = Place(new QPushButton(QStringLiteral("Auto"), this), "AutoCover", kAutoCoverRect);
  auto_cover_->setToolTip(
      QStringLiteral("Cover the red squares of this layer with few rectangles"));

  // The spinner's up arrow raises the layer.
  zscr_->setRange(0, kLayers - 1);
  zscr_->setSingleStep(1);
  zscr_->setPageStep(1);
  MakeUpArrowRaise(zscr_);
  zscr_->installEventFilter(this);

  setTabOrder(picture1_, thefile_);
  setTabOrder(thefile_, command1_);
  setTabOrder(command1_, command2_);
  setTabOrder(command2_, zscr_);
  setTabOrder(zscr_, zval_);
  setTabOrder(zval_, comlist_);
  setTabOrder(comlist_, next_tile_);
  setTabOrder(next_tile_, auto_cover_);

  connect(command1_, &QPushButton::clicked, this, &MainFrm::Browse);
  connect(command2_, &QPushButton::clicked, this,
          [this] { Run([this] { StartTiles(program_); }); });
  connect(next_tile_, &QPushButton::clicked, this, [this] {
    Run([this] {
      DoNextTile(program_);
      zscr_->setValue(0);
    });
  });
  connect(auto_cover_, &QPushButton::clicked, this,
          [this] { Run([this] { AutoCover(program_); }); });
  connect(comlist_, &QPlainTextEdit::textChanged, this,
          [this] { comlist_->moveCursor(QTextCursor::End); });
  connect(zscr_, &QScrollBar::valueChanged, this,
          [this] { Run([this] { ZscrChange(program_); }); });
  connect(picture1_, &SurfaceView::pressed, this, [this](int button, QPointF point) {
    Run([&] {
      PictureMouseDown(program_, button, static_cast<float>(point.x()),
                       static_cast<float>(point.y()));
    });
  });
}

void MainFrm::Run(const std::function<void()>& action) {
  try {
    action();
  } catch (const std::exception& fault) {
    report_fault_(this, QString::fromUtf8(fault.what()));
  }
  picture1_->update();
}

void MainFrm::Browse() {
  const QString chosen = choose_file_(this, DialogStartFolder(thefile_->text()));
  if (!chosen.isEmpty()) thefile_->setText(chosen);
}

void MainFrm::SetTemplatePath(const QString& path) {
  thefile_->setText(path);
}

std::string MainFrm::TemplatePath() const {
  return QFile::encodeName(thefile_->text()).toStdString();
}
std::string MainFrm::Caption() const {
  return caption_;
}
void MainFrm::SetCaption(const std::string& caption) {
  caption_ = caption;
  // Qt hides "[*]" in a title as its modified-marker; doubled, it shows as written.
  setWindowTitle(
      QString::fromStdString(caption).replace(QStringLiteral("[*]"), QStringLiteral("[*][*]")));
}
int MainFrm::Layer() const {
  return zscr_->value();
}
void MainFrm::SetLayer(int layer) {
  zscr_->setValue(layer);
}
std::string MainFrm::LayerText() const {
  return zval_->text().toStdString();
}
void MainFrm::SetLayerText(const std::string& text) {
  zval_->setText(QString::fromStdString(text));
}
std::string MainFrm::OutputText() const {
  return comlist_->Text();
}
void MainFrm::SetOutputText(const std::string& text) {
  comlist_->SetText(text);
}

bool MainFrm::StepLayerByKey(int key) {
  if (key == Qt::Key_PageUp) {
    zscr_->setValue(zscr_->value() + 1);
    return true;
  }
  if (key == Qt::Key_PageDown) {
    zscr_->setValue(zscr_->value() - 1);
    return true;
  }
  return false;
}

void MainFrm::keyPressEvent(QKeyEvent* event) {
  // Keys a focused control leaves unused arrive here; a text box keeps its own. The spinner itself
  // steps by one on Page Up and Page Down too (its page step is 1).
  if (!IsTextBox(focusWidget()) && StepLayerByKey(event->key())) return;
  QWidget::keyPressEvent(event);
}

bool MainFrm::eventFilter(QObject* watched, QEvent* event) {
  // Turning the wheel up over the spinner raises the layer by one, like its up arrow.
  if (watched == zscr_ && event->type() == QEvent::Wheel) {
    const int delta = static_cast<QWheelEvent*>(event)->angleDelta().y();
    if (delta != 0) zscr_->setValue(zscr_->value() + (delta > 0 ? 1 : -1));
    return true;
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace quarnel
