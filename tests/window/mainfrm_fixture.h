#pragma once

// What every test of the main window shares: a window made afresh for each test, its dialogs
// answered by the test, and ways to press, look and read.
#include "window/mainfrm.h"

#include <sys/inotify.h>
#include <unistd.h>
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSet>
#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QThread>
#include <QTimer>
#include <QUrl>
#include <QWheelEvent>
#include <QWindow>
#include <QtMath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>

#include "editor/auto_cover.h"
#include "window/frame_layout.h"
#include "window/grid_box.h"
#include "window/grid_pitch.h"
#include "window/output_box.h"
#include "window/status_line.h"
#include "window/surface_view.h"
#include "window/template_dialog.h"

namespace quarnel {
namespace {

// inotify events on files and folders, collected until Read.
class FileWatch {
 public:
  FileWatch() : fd_(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {}
  ~FileWatch() { ::close(fd_); }
  FileWatch(const FileWatch&) = delete;
  FileWatch& operator=(const FileWatch&) = delete;

  bool Add(const QString& path, std::uint32_t mask) {
    return inotify_add_watch(fd_, QFile::encodeName(path).constData(), mask) >= 0;
  }
  // The kinds of event seen, one bit each.
  QSet<std::uint32_t> Read() {
    QSet<std::uint32_t> kinds;
    alignas(inotify_event) char buffer[65536];
    ssize_t got = 0;
    while ((got = ::read(fd_, buffer, sizeof buffer)) > 0) {
      for (char* at = buffer; at < buffer + got;) {
        const auto* event = reinterpret_cast<const inotify_event*>(at);
        for (std::uint32_t bit = 1; bit != 0; bit <<= 1) {
          if (event->mask & bit) kinds.insert(bit);
        }
        at += sizeof(inotify_event) + event->len;
      }
    }
    return kinds;
  }

 private:
  int fd_;
};

}  // namespace

class MainFrmFixture : public QObject {
  Q_OBJECT

 protected:
  QStringList faults_;
  QString chosen_file_;
  QString dialog_start_;
  std::unique_ptr<MainFrm> window_;
  QTemporaryDir folder_;

  template <typename Control>
  Control* Find(const char* name) const {
    auto* control = window_->findChild<Control*>(QString::fromLatin1(name));
    if (!control) qFatal("no control %s", name);
    return control;
  }
  QLineEdit* PathBox() const { return Find<QLineEdit>("thefile"); }
  QLineEdit* LayerBox() const { return Find<QLineEdit>("zval"); }
  QScrollBar* Spinner() const { return Find<QScrollBar>("zscr"); }
  OutputBox* Output() const { return Find<OutputBox>("comlist"); }
  SurfaceView* Picture() const { return Find<SurfaceView>("Picture1"); }

  void Click(const char* button) { QTest::mouseClick(Find<QPushButton>(button), Qt::LeftButton); }
  // The device pixel that shows raster coordinate `raster`, at any scale.
  static int DevicePixel(const GridPitch& pitch, int raster) {
    const int inside = raster % 10;
    return pitch.SquareOf(raster / 10, 0).left() + inside * pitch.Square() / 9;
  }
  GridBox* Box() const { return Find<GridBox>("GridBox"); }
  // The point of the view over raster point (10 x + offset, 10 y + offset), scrolled into sight in
  // the grid's box and in the window.
  QPoint CellPoint(int x, int y, int offset = 4) const {
    const qreal scale = Picture()->devicePixelRatioF();
    const GridPitch pitch = Picture()->Pitch();
    const QPoint point(qCeil(DevicePixel(pitch, 10 * x + offset) / scale),
                       qCeil(DevicePixel(pitch, 10 * y + offset) / scale));
    Box()->ensureVisible(point.x(), point.y());
    const QPoint in_content = Picture()->mapTo(Find<QWidget>("content"), point);
    window_->findChild<QScrollArea*>()->ensureVisible(in_content.x(), in_content.y());
    return point;
  }
  // Presses a mouse button on cell (x, y) of the surface, at its given pixel offset.
  void Press(Qt::MouseButton button, int x, int y, int offset = 4) {
    QTest::mouseClick(Picture(), button, {}, CellPoint(x, y, offset));
  }
  // The colour the view shows at a point of the raster, at any scale.
  QColor ShownColour(int x, int y) const {
    const QImage shown = Picture()->grab().toImage();
    const GridPitch pitch = Picture()->Pitch();
    return shown.pixelColor(DevicePixel(pitch, x), DevicePixel(pitch, y));
  }
  Colour CellColour(int x, int y) { return window_->Picture().PointColour(10 * x + 4, 10 * y + 4); }

  // Moves the pointer onto cell (x, y).
  void Point(int x, int y, int offset = 4) { QTest::mouseMove(Picture(), CellPoint(x, y, offset)); }
  void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
    QTest::keyClick(QApplication::focusWidget(), key, modifiers);
  }
  bool Says(const char* text) const { return window_->StatusText().contains(QLatin1String(text)); }

  QString WriteTemplate(const char* name, const std::string& content) {
    const QString path = folder_.filePath(QString::fromLatin1(name));
    std::ofstream(path.toStdString(), std::ios::binary) << content;
    return path;
  }
  // The save dialog chooses `path` and `shorten_rest`, every question is answered with `answer`,
  // and the questions asked are kept.
  QStringList questions_;
  QString suggested_;
  void AnswerSaving(const QString& path, bool shorten_rest, int answer) {
    window_->SetDialogs(
        [this, path, shorten_rest](QWidget*, const QString& suggested, bool) {
          suggested_ = suggested;
          return std::optional<MainFrm::SaveChoice>({path, shorten_rest});
        },
        [this, answer](QWidget*, const QString& question, const QStringList&) {
          questions_ << question;
          return answer;
        });
  }
  static QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  }
  // What quarnel-shorten writes to standard output, given `input` on standard input.
  static QByteArray Shorten(const QStringList& arguments, const QByteArray& input = {}) {
    QProcess process;
    process.start(QStringLiteral(QUARNEL_SHORTEN), arguments);
    process.write(input);
    process.closeWriteChannel();
    process.waitForFinished();
    return process.readAllStandardOutput();
  }
  // Loads `content` with "go".
  void Go(const std::string& content) {
    PathBox()->setText(WriteTemplate("map.tmp", content));
    Click("Command2");
  }

 protected slots:
  void init() {
    faults_.clear();
    questions_.clear();
    chosen_file_.clear();
    dialog_start_.clear();
    window_ =
        std::make_unique<MainFrm>([this](QWidget*, const QString& message) { faults_ << message; },
                                  [this](QWidget*, const QString& start) {
                                    dialog_start_ = start;
                                    return chosen_file_;
                                  });
    // Work ends within the event that started it, however slow the build: the tests read its
    // result at once.
    window_->SetWorkPacing(60000, 300);
    window_->show();
    QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
  }
  void cleanup() { window_.reset(); }
  void initTestCase() { KeepNoSettings(); }
};

}  // namespace quarnel
