#include "window/mainfrm.h"

#include <sys/inotify.h>
#include <unistd.h>
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
#include <fstream>
#include <functional>
#include <memory>

#include "editor/auto_cover.h"
#include "window/background_work.h"
#include "window/frame_layout.h"
#include "window/grid_pitch.h"
#include "window/output_box.h"
#include "window/status_line.h"
#include "window/surface_view.h"
#include "window/template_dialog.h"
#include "window/template_saver.h"

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

class MainFrmTest : public QObject {
  Q_OBJECT

 private:
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
  // The point of the view over raster point (10 x + offset, 10 y + offset), scrolled into sight.
  QPoint CellPoint(int x, int y, int offset = 4) const {
    const qreal scale = Picture()->devicePixelRatioF();
    const GridPitch pitch = Picture()->Pitch();
    const QPoint point(qCeil(DevicePixel(pitch, 10 * x + offset) / scale),
                       qCeil(DevicePixel(pitch, 10 * y + offset) / scale));
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
  // The saver answers with `choice` and `answer`, and keeps the questions asked.
  QStringList questions_;
  QString suggested_;
  void AnswerSaving(const QString& path, bool shorten_rest, int answer) {
    auto* saver = window_->findChild<TemplateSaver*>();
    QVERIFY(saver);
    saver->SetDialogs(
        [this, path, shorten_rest](QWidget*, const QString& suggested) {
          suggested_ = suggested;
          return std::optional<TemplateSaver::Choice>({path, shorten_rest});
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

 private slots:
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
    window_->show();
    QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
  }
  void cleanup() { window_.reset(); }
  void initTestCase() { KeepNoSettings(); }

  void startsEmpty() {
    QCOMPARE(window_->windowTitle(), QStringLiteral("Quarnel[*]"));
    QCOMPARE(LayerBox()->text(), QStringLiteral("0"));
    QCOMPARE(Spinner()->value(), 0);
    QCOMPARE(Spinner()->minimum(), 0);
    QCOMPARE(Spinner()->maximum(), 100);
    QVERIFY(PathBox()->text().isEmpty());
    QVERIFY(Output()->toPlainText().isEmpty());
    const int side = Picture()->Pitch().LogicalSide(Picture()->devicePixelRatioF());
    QCOMPARE(Picture()->size(), QSize(side, side));
    QCOMPARE(ShownColour(300, 300), QColor(Qt::black));
    for (int y = 0; y < 511; y += 5) {
      for (int x = 0; x < 585; x += 5) QCOMPARE(window_->Picture().PointColour(x, y), kBlack);
    }
  }

  void laysOutTheControls() {
    // The places at 100 %; at other scales the grid is fitted to the screen and they follow it.
    const bool natural = Picture()->devicePixelRatioF() == 1;
    if (natural) QCOMPARE(Find<QWidget>("content")->size(), QSize(1142, 600));
    const struct {
      const char* name;
      QRect rect;
      QString text;
    } controls[] = {
        // In Tab order.
        {"thefile", {8, 526, 431, 19}, {}},
        {"Command1", {438, 526, 17, 17}, QStringLiteral("...")},
        {"Command2", {462, 526, 57, 17}, QStringLiteral("go")},
        {"zval", {526, 526, 25, 19}, QStringLiteral("0")},
        {"zscr", {550, 526, 17, 17}, {}},
        {"NextTile", {574, 526, 89, 17}, QStringLiteral("Next Tile Type")},
        {"AutoCover", {670, 526, 57, 17}, QStringLiteral("Auto")},
        {"Save", {734, 526, 57, 17}, QStringLiteral("Save...")},
        {"TypesButton", {798, 526, 57, 17}, QStringLiteral("Types")},
        {"AutoMany", {862, 526, 65, 17}, QStringLiteral("Auto all")},
        {"Picture1", {8, 8, 511, 511}, {}},
        {"comlist", {526, 8, 201, 511}, {}},
        {"Types", {}, {}},
        {"Layers", {}, {}},
    };
    QWidget* previous = nullptr;
    for (const auto& c : controls) {
      auto* control = Find<QWidget>(c.name);
      if (natural && !c.rect.isNull()) QCOMPARE(control->geometry(), c.rect);
      if (auto* button = qobject_cast<QPushButton*>(control)) QCOMPARE(button->text(), c.text);
      if (auto* box = qobject_cast<QLineEdit*>(control)) QCOMPARE(box->text(), c.text);
      if (previous) {
        QWidget* next = previous->nextInFocusChain();
        // Past its viewport, and the panel that holds the lists.
        while (previous->isAncestorOf(next) || next->focusPolicy() == Qt::NoFocus) {
          next = next->nextInFocusChain();
        }
        QCOMPARE(next, control);
      }
      previous = control;
    }
    QCOMPARE(Spinner()->orientation(), Qt::Vertical);
    // The status line lies below the controls; the window grows by its height only.
    const QRect status = Find<QWidget>("status")->geometry();
    QVERIFY(status.top() > Find<QWidget>("thefile")->geometry().bottom());
    QVERIFY(status.bottom() < Find<QWidget>("content")->height());
  }

  void goDrawsTheFirstTypeOnTheCurrentLayer() {
    PathBox()->setText(WriteTemplate("map.tmp",
                                     "Castle\r\n keep\r\n7 3 1 1 0\r\n7 3 2 2 4\r\n"
                                     "8 1 3 3 4\r\n"));
    LayerBox()->setText(QStringLiteral("4"));
    Spinner()->setValue(4);
    Click("Command2");
    QVERIFY(faults_.isEmpty());
    QCOMPARE(window_->windowTitle(), QStringLiteral("Castle keep[*]"));
    QCOMPARE(Spinner()->value(), 4);
    QCOMPARE(CellColour(2, 2), kRed);
    QCOMPARE(CellColour(1, 1), kBlack);
    QCOMPARE(CellColour(3, 3), kBlack);
    // What the window shows is the raster itself.
    QCOMPARE(ShownColour(24, 24), QColor(255, 0, 0));
  }

  void theCaptionShowsTheHeaderAsWritten() {
    Go("Map [*] one\r\n [*][*]\r\n7 3 1 1 0\r\n");
    QCOMPARE(window_->Caption(), std::string("Map [*] one [*][*]"));
    QCOMPARE(window_->windowHandle()->title(), QStringLiteral("Map [*] one [*][*]"));
  }

  void nextTileDrawsOnTheLayerThenResetsTheSpinner() {
    Go("Map\r\n\r\n7 3 1 1 0\r\n8 1 2 2 5\r\n8 1 3 3 0\r\n");
    Spinner()->setValue(5);
    Click("NextTile");
    QVERIFY(faults_.isEmpty());
    QCOMPARE(window_->program().curtype, std::string("8 1"));
    QCOMPARE(Spinner()->value(), 0);
    QCOMPARE(LayerBox()->text(), QStringLiteral("0"));
    QCOMPARE(CellColour(3, 3), kRed);
    QCOMPARE(CellColour(2, 2), kBlack);
  }

  void theEndOfARunChangesNothingAndGoRestarts() {
    Go("Map\r\n\r\n7 3 1 1 0\r\n8 1 2 2 0\r\n");
    Click("NextTile");
    Press(Qt::LeftButton, 2, 2);
    Click("NextTile");  // the run is over: the drawing, with its mark, stays
    QCOMPARE(window_->program().curtype, std::string("8 1"));
    QCOMPARE(CellColour(2, 2), kGreen);
    Click("Command2");
    QCOMPARE(window_->program().curtype, std::string("7 3"));
    QCOMPARE(CellColour(1, 1), kRed);
    QVERIFY(faults_.isEmpty());
  }

  void idsFromTheFileAreShownEscaped() {
    // A type whose ids hold a terminal's title sequence and a byte that is not UTF-8.
    Go("Map\r\n A\r\n\x1b]0;x\x07 \xff 1 1 0\r\n");
    const QString status = window_->StatusText();
    QVERIFY2(status.startsWith(QStringLiteral("type \\x1B]0;x\\x07 \\xFF,")), qPrintable(status));
  }

  void faultsAreReportedAndChangeNothing() {
    Click("Command2");
    QCOMPARE(faults_.size(), 1);
    QVERIFY(faults_.at(0).contains(QStringLiteral("path box is empty")));
    QCOMPARE(window_->windowTitle(), QStringLiteral("Quarnel[*]"));

    Go("Map\r\n A\r\n7 3 1 1 0\r\n8 1 2 2 0\r\n");
    Output()->setPlainText(QStringLiteral("TILEW 7 3 -2 -2 -2 -2 0\n"));
    const QString path =
        WriteTemplate("map.tmp", "Map\r\n B\r\n7 3 1 1 0\r\n8 1 2 2 0\r\n8 1 x 0 0\r\n");
    Click("NextTile");
    QCOMPARE(faults_.size(), 2);
    QCOMPARE(faults_.at(1),
             path + QStringLiteral(", line 5: x (the 3rd field) \"x\" is not a number"));
    QCOMPARE(window_->windowTitle(), QStringLiteral("Map A[*]"));
    QCOMPARE(window_->program().curtype, std::string("7 3"));
    QCOMPARE(CellColour(1, 1), kBlue);  // the record in the box covers it
    QCOMPARE(Output()->toPlainText(), QStringLiteral("TILEW 7 3 -2 -2 -2 -2 0\n"));

    PathBox()->setText(folder_.filePath(QStringLiteral("missing.tmp")));
    Click("NextTile");
    QCOMPARE(faults_.size(), 3);
    QVERIFY(faults_.at(2).contains(QStringLiteral("cannot be opened")));

    WriteTemplate("map.tmp", "Map\r\n B\r\n7 3 1 1 0\r\n8 1 2 2 0\r\n");
    PathBox()->setText(path);
    Click("NextTile");  // mended, the same step goes through
    QCOMPARE(faults_.size(), 3);
    QCOMPARE(window_->program().curtype, std::string("8 1"));
  }

  void browseFillsThePathBox() {
    const QString examples = QStringLiteral(QUARNEL_EXAMPLES_DIR);
    chosen_file_ = examples + QStringLiteral("/castle.tmp");
    Click("Command1");
    QCOMPARE(dialog_start_, examples);
    QCOMPARE(PathBox()->text(), chosen_file_);

    const QString other = WriteTemplate("other.tmp", "a\r\nb\r\n");
    PathBox()->setText(other);
    chosen_file_.clear();  // cancelled
    Click("Command1");
    QCOMPARE(dialog_start_, folder_.path());
    QCOMPARE(PathBox()->text(), other);
  }

  void theDialogOffersTemplates() {
    QFileDialog dialog;
    ConfigureTemplateDialog(dialog, DialogStartFolder({}));
    QCOMPARE(dialog.objectName(), QStringLiteral("CommonDialog1"));
    QCOMPARE(dialog.nameFilters(), QStringList{QStringLiteral("Template Files (*.tmp)")});
    QCOMPARE(dialog.fileMode(), QFileDialog::ExistingFile);
    QCOMPARE(dialog.directory().absolutePath(), QStringLiteral(QUARNEL_EXAMPLES_DIR));
    QCOMPARE(DialogStartFolder(folder_.filePath(QStringLiteral("x/y.tmp"))),
             QStringLiteral(QUARNEL_EXAMPLES_DIR));
  }

  void theOutputKeepsCrLfAndItsCaretAtTheEnd() {
    window_->SetOutputText("TILEW 7 3 1 2 3 4 2\r\n");
    window_->SetOutputText(window_->OutputText() + "TILEW 8 1 0 0 0 0 0\r\n");
    QCOMPARE(window_->OutputText(), std::string("TILEW 7 3 1 2 3 4 2\r\nTILEW 8 1 0 0 0 0 0\r\n"));
    QCOMPARE(Output()->textCursor().position(), Output()->toPlainText().size());

    Output()->selectAll();
    std::unique_ptr<QMimeData> copied(Output()->SelectionMimeData());
    QCOMPARE(copied->text(), QStringLiteral("TILEW 7 3 1 2 3 4 2\r\nTILEW 8 1 0 0 0 0 0\r\n"));
    Output()->copy();
    QCOMPARE(QApplication::clipboard()->text(), copied->text());

    // Typing moves the caret to the end after each change.
    QTextCursor start = Output()->textCursor();
    start.setPosition(0);
    Output()->setTextCursor(start);
    Output()->setFocus();
    QTest::keyClicks(Output(), QStringLiteral("xy"));
    QCOMPARE(Output()->textCursor().position(), Output()->toPlainText().size());
    QVERIFY(Output()->toPlainText().startsWith(QStringLiteral("x")));
  }

  void marksRectanglesWithRealPresses() {
    Go("Map\r\n\r\n7 3 4 6 2\r\n7 3 5 6 2\r\n7 3 4 7 2\r\n7 3 5 7 2\r\n7 3 9 9 0\r\n");
    Spinner()->setValue(2);
    Press(Qt::RightButton, 5, 7);  // no first corner yet
    QVERIFY(Output()->toPlainText().isEmpty());
    Press(Qt::LeftButton, 5, 7);
    QCOMPARE(CellColour(5, 7), kGreen);
    Press(Qt::RightButton, 4, 6);  // above and to the left of the first corner
    for (const auto& [x, y] : {std::pair{4, 6}, {5, 6}, {4, 7}, {5, 7}}) {
      QCOMPARE(CellColour(x, y), kBlue);
    }
    QCOMPARE(window_->OutputText(), std::string("TILEW 7 3 1 2 3 4 2\r\n"));
    QCOMPARE(Output()->textCursor().position(), Output()->toPlainText().size());
    QCOMPARE(ShownColour(44, 64), QColor(0, 0, 255));

    Press(Qt::RightButton, 4, 6);     // blue: nothing
    Press(Qt::RightButton, 4, 6, 9);  // the gap: nothing
    Press(Qt::LeftButton, 30, 30);    // the background: nothing
    QCOMPARE(window_->OutputText(), std::string("TILEW 7 3 1 2 3 4 2\r\n"));
    QVERIFY(faults_.isEmpty());
  }

  void aLayerChangeForgetsTheFirstCorner() {
    Go("Map\r\n\r\n7 3 4 6 0\r\n7 3 5 6 0\r\n7 3 1 1 3\r\n");
    Press(Qt::LeftButton, 4, 6);
    Spinner()->setValue(1);  // jumps to 3
    QCOMPARE(Spinner()->value(), 3);
    Spinner()->setValue(2);  // back down to 0
    QCOMPARE(Spinner()->value(), 0);
    QCOMPARE(CellColour(4, 6), kRed);
    Press(Qt::RightButton, 5, 6);
    QVERIFY(Output()->toPlainText().isEmpty());
  }

  void theSpinnerArrowsJumpBetweenLayers() {
    Go("Map\r\n\r\n7 3 1 1 0\r\n7 3 2 2 7\r\n");
    const QPoint up(8, 3);
    const QPoint down(8, 14);
    QTest::mouseClick(Spinner(), Qt::LeftButton, {}, up);
    QCOMPARE(Spinner()->value(), 7);
    QCOMPARE(LayerBox()->text(), QStringLiteral("7"));
    QCOMPARE(CellColour(2, 2), kRed);
    QCOMPARE(CellColour(1, 1), kBlack);
    QTest::mouseClick(Spinner(), Qt::LeftButton, {}, down);
    QCOMPARE(Spinner()->value(), 0);
    QCOMPARE(LayerBox()->text(), QStringLiteral("0"));
    QCOMPARE(CellColour(1, 1), kRed);
    QTest::mouseClick(Spinner(), Qt::LeftButton, {}, down);  // already at the bottom
    QCOMPARE(Spinner()->value(), 0);
    for (const auto& [delta, lands] : {std::pair{120, 7}, {-120, 0}}) {
      QWheelEvent wheel(QPointF(8, 8), Spinner()->mapToGlobal(QPointF(8, 8)), {}, {0, delta},
                        Qt::NoButton, {}, Qt::NoScrollPhase, false);
      QApplication::sendEvent(Spinner(), &wheel);
      QCOMPARE(Spinner()->value(), lands);
    }
    for (const auto& [key, lands] : {std::pair{Qt::Key_Up, 7}, {Qt::Key_Down, 0}}) {
      QTest::keyClick(Spinner(), key);
      QCOMPARE(Spinner()->value(), lands);
    }
    QVERIFY(faults_.isEmpty());
  }

  void pageKeysStepTheSpinnerOutsideTextBoxes() {
    Go("Map\r\n\r\n7 3 1 1 0\r\n7 3 2 2 7\r\n7 3 3 3 100\r\n");
    const struct {
      const char* focus;
      Qt::Key key;
      int from;
      int to;
    } cases[] = {
        {"Picture1", Qt::Key_PageUp, 0, 7},   {"Picture1", Qt::Key_PageDown, 7, 0},
        {"Command2", Qt::Key_PageUp, 7, 100}, {"NextTile", Qt::Key_PageDown, 100, 7},
        {"zscr", Qt::Key_PageUp, 0, 7},       {"zscr", Qt::Key_PageDown, 7, 0},
        {"zval", Qt::Key_PageUp, 0, 0},       {"thefile", Qt::Key_PageUp, 0, 0},
        {"comlist", Qt::Key_PageUp, 7, 7},    {"Types", Qt::Key_PageUp, 0, 7},
        {"Types", Qt::Key_PageDown, 7, 0},    {"Layers", Qt::Key_PageDown, 7, 0},
    };
    for (const auto& c : cases) {
      Spinner()->setValue(c.from);
      QCOMPARE(Spinner()->value(), c.from);
      auto* focus = Find<QWidget>(c.focus);
      focus->setFocus();
      QTest::keyClick(focus, c.key);
      QVERIFY2(Spinner()->value() == c.to, c.focus);
    }
    QVERIFY(faults_.isEmpty());
  }

  void aLayerBoxWithoutANumberIsReported() {
    Go("Map\r\n\r\n7 3 1 1 0\r\n7 3 2 2 7\r\n");
    Output()->setPlainText(QStringLiteral("TILEW 7 3 0 0 0 0 0\n"));
    LayerBox()->setText(QStringLiteral("seven"));
    QTest::mouseClick(Spinner(), Qt::LeftButton, {}, QPoint(8, 3));
    QCOMPARE(faults_.size(), 1);
    QVERIFY(faults_.at(0).contains(QStringLiteral("\"seven\"")));
    QCOMPARE(Spinner()->value(), 0);
    QCOMPARE(LayerBox()->text(), QStringLiteral("0"));
    QCOMPARE(CellColour(1, 1), kRed);
    QCOMPARE(Output()->toPlainText(), QStringLiteral("TILEW 7 3 0 0 0 0 0\n"));
  }

  void theAutoButtonCoversTheLayer() {
    auto* button = Find<QPushButton>("AutoCover");
    QCOMPARE(button->text(), QStringLiteral("Auto"));
    QCOMPARE(Find<QWidget>("NextTile")->nextInFocusChain(), button);

    Go("Map\r\n\r\n7 3 4 6 0\r\n7 3 5 6 0\r\n7 3 4 7 0\r\n7 3 5 7 0\r\n7 3 6 6 0\r\n"
       "7 3 9 9 0\r\n");
    Press(Qt::LeftButton, 6, 6);
    Press(Qt::RightButton, 6, 6);  // (6, 6) marked by hand
    Press(Qt::LeftButton, 9, 9);   // a first corner, forgotten by Auto
    Click("AutoCover");
    QVERIFY(faults_.isEmpty());
    for (const auto& [x, y] : {std::pair{4, 6}, {5, 6}, {4, 7}, {5, 7}, {6, 6}, {9, 9}}) {
      QCOMPARE(CellColour(x, y), kBlue);
    }
    QCOMPARE(CellColour(6, 7), kBlack);
    QCOMPARE(window_->OutputText(),
             std::string("TILEW 7 3 3 3 3 3 0\r\nTILEW 7 3 1 2 3 4 0\r\nTILEW 7 3 6 6 6 6 0\r\n"));
    Press(Qt::RightButton, 9, 9);  // no first corner any more
    QCOMPARE(Output()->toPlainText().count(QLatin1Char('\n')), 3);
  }

  // --- marking safely, and undo ---

  void aRectangleOverCellsWithoutTilesIsRefusedUnlessShiftIsHeld() {
    Go("Map\r\n\r\n7 3 4 6 0\r\n7 3 5 6 0\r\n7 3 4 7 0\r\n7 3 5 7 0\r\n7 3 8 8 0\r\n");
    Press(Qt::LeftButton, 4, 6);
    Press(Qt::RightButton, 8, 8);
    QVERIFY(Output()->toPlainText().isEmpty());
    QCOMPARE(CellColour(4, 6), kGreen);
    QCOMPARE(CellColour(6, 6), kBlack);
    QVERIFY(window_->StatusText().contains(
        QStringLiteral("not marked: 10 cells of this rectangle hold no tile of type 7 3")));
    QTest::mouseClick(Picture(), Qt::RightButton, Qt::ShiftModifier, CellPoint(8, 8));
    QCOMPARE(window_->OutputText(), std::string("TILEW 7 3 1 5 3 5 0\r\n"));
    QCOMPARE(CellColour(6, 6), kBlue);
    QVERIFY(faults_.isEmpty());
  }

  void undoAndRedoTakeMarksBackAndPutThemAgain() {
    Go("Map\r\n\r\n7 3 4 6 0\r\n7 3 5 6 0\r\n7 3 8 8 0\r\n8 1 1 1 0\r\n");
    const auto key = [this](Qt::KeyboardModifiers modifiers, Qt::Key key) {
      QTest::keyClick(QApplication::focusWidget(), key, modifiers);
    };
    Picture()->setFocus();
    Press(Qt::LeftButton, 4, 6);
    Press(Qt::RightButton, 5, 6);
    Click("AutoCover");
    Picture()->setFocus();
    const std::string both = "TILEW 7 3 1 2 3 3 0\r\nTILEW 7 3 5 5 5 5 0\r\n";
    QCOMPARE(window_->OutputText(), both);
    key(Qt::ControlModifier, Qt::Key_Z);
    QCOMPARE(window_->OutputText(), std::string("TILEW 7 3 1 2 3 3 0\r\n"));
    QCOMPARE(CellColour(8, 8), kRed);
    key(Qt::ControlModifier, Qt::Key_Z);
    QCOMPARE(window_->OutputText(), std::string());
    QCOMPARE(CellColour(4, 6), kRed);
    key(Qt::ControlModifier | Qt::ShiftModifier, Qt::Key_Z);
    QCOMPARE(CellColour(4, 6), kBlue);
    key(Qt::ControlModifier, Qt::Key_Y);
    QCOMPARE(window_->OutputText(), both);
    QCOMPARE(CellColour(8, 8), kBlue);

    // Inside the output box, Ctrl+Z is the box's own undo of typing.
    Output()->setFocus();
    QTest::keyClicks(Output(), QStringLiteral("x"));
    key(Qt::ControlModifier, Qt::Key_Z);
    QCOMPARE(window_->OutputText(), both);
    // Records edited by hand are not taken back.
    Output()->appendPlainText(QStringLiteral("mine"));
    Picture()->setFocus();
    key(Qt::ControlModifier, Qt::Key_Z);
    QVERIFY(Output()->toPlainText().endsWith(QStringLiteral("mine")));
    QVERIFY(window_->StatusText().contains(QStringLiteral("not undone")));
    // The history outlives the next type: the record goes, the squares are gone already.
    Output()->setPlainText(QString::fromStdString(both));
    Click("NextTile");
    Picture()->setFocus();
    key(Qt::ControlModifier, Qt::Key_Z);
    QCOMPARE(window_->OutputText(), std::string("TILEW 7 3 1 2 3 3 0\r\n"));
    QCOMPARE(CellColour(1, 1), kRed);
    QVERIFY(faults_.isEmpty());
  }

  // The box's records are what is covered, whatever was drawn since.
  void coveredSquaresStayBlueUntilTheirRecordGoes() {
    Go("Map\r\n\r\n7 3 4 6 2\r\n7 3 5 6 2\r\n7 3 1 1 0\r\n");
    QTest::mouseClick(Spinner(), Qt::LeftButton, {}, QPoint(8, 3));  // up to layer 2
    Press(Qt::LeftButton, 4, 6);
    Press(Qt::RightButton, 5, 6);
    QTest::mouseClick(Spinner(), Qt::LeftButton, {}, QPoint(8, 14));  // down to 0
    QTest::mouseClick(Spinner(), Qt::LeftButton, {}, QPoint(8, 3));   // and back
    QCOMPARE(Spinner()->value(), 2);
    QCOMPARE(CellColour(4, 6), kBlue);
    QCOMPARE(CellColour(5, 6), kBlue);
    Click("AutoCover");
    QCOMPARE(window_->OutputText(), std::string("TILEW 7 3 1 2 3 3 2\r\n"));
    // Deleting the record by hand turns its squares red.
    Output()->setFocus();
    QTest::keyClick(Output(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(Output(), Qt::Key_Delete);
    QCOMPARE(CellColour(4, 6), kRed);
    QVERIFY(faults_.isEmpty());
  }

  // Saving writes what the command writes, through the same code.
  void savingWritesWhatTheCommandWrites() {
    const QString castle = folder_.filePath(QStringLiteral("castle.tmp"));
    QVERIFY(QFile::copy(QStringLiteral(QUARNEL_EXAMPLES_DIR "/castle.tmp"), castle));
    PathBox()->setText(castle);
    Click("Command2");
    Output()->setPlainText(QString::fromLatin1(ReadFile(QStringLiteral(QUARNEL_RECORDS))));
    const QString records = QStringLiteral(QUARNEL_RECORDS);
    const QByteArray applied = Shorten({QStringLiteral("--apply"), records, castle});
    QVERIFY(!applied.isEmpty());
    const struct {
      const char* name;
      bool shorten_rest;
      QByteArray expected;
    } cases[] = {
        {"applied.tmp", false, applied},
        // Shortened with the records, castle takes 23 lines; alone, 21: never more than alone.
        {"short.tmp", true, Shorten({castle})},
    };
    QCOMPARE(Shorten({QStringLiteral("-")}, applied).count('\n'), 23);
    for (const auto& c : cases) {
      const QString target = folder_.filePath(QString::fromLatin1(c.name));
      AnswerSaving(target, c.shorten_rest, 0);
      QTest::keyClick(window_.get(), Qt::Key_S, Qt::ControlModifier);
      QVERIFY2(faults_.isEmpty(), qPrintable(faults_.join(QLatin1Char('\n'))));
      QCOMPARE(ReadFile(target), c.expected);
      const QString lines = QStringLiteral("612 lines → %1 lines").arg(c.expected.count('\n'));
      QVERIFY2(window_->StatusText().contains(lines), qPrintable(window_->StatusText()));
      QVERIFY(window_->StatusText().contains(QStringLiteral("checked: same tiles")));
    }
    QCOMPARE(suggested_, folder_.filePath(QStringLiteral("castle-short.tmp")));
    QVERIFY(questions_.isEmpty());
  }

  void goAndSaveReportBadLinesBeforeAnythingIsAsked() {
    Go("Map\r\n\r\n7 3 4 6 0\r\n8 1 99 0 0\r\n");
    QCOMPARE(faults_.size(), 1);
    QVERIFY2(faults_.constFirst().contains(QStringLiteral("line 4: x (the 3rd field) \"99\"")),
             qPrintable(faults_.constFirst()));
    QVERIFY(window_->program().curtype.empty());  // the run did not start
    Go("Map\r\n\r\n7 3 4 6 0\r\n");
    Output()->setPlainText(QStringLiteral("TILEW 7 3 1 1 3 3 0\nTILEW 7 3 1 x 3 3 0\n"));
    bool asked = false;
    window_->findChild<TemplateSaver*>()->SetDialogs(
        [&asked](QWidget*, const QString&) {
          asked = true;
          return std::optional<TemplateSaver::Choice>();
        },
        {});
    Click("Save");
    QVERIFY(!asked);
    QCOMPARE(faults_.size(), 2);
    QVERIFY2(faults_.last().contains(QStringLiteral("the output box, line 2")),
             qPrintable(faults_.last()));
  }

  void savingRefusesAChangedTemplateAndAsksBeforeOverwritingOrAddingCells() {
    Go("Map\r\n\r\n7 3 4 6 0\r\n7 3 5 6 0\r\n");
    const QString map = PathBox()->text();
    const QByteArray original = ReadFile(map);
    // Over the open template: asked, and "Cancel" writes nothing.
    Press(Qt::LeftButton, 4, 6);
    Press(Qt::RightButton, 5, 6);
    AnswerSaving(map, false, 1);
    Click("Save");
    QCOMPARE(questions_.size(), 1);
    QVERIFY(questions_.at(0).contains(QStringLiteral("template you are shortening")));
    QCOMPARE(ReadFile(map), original);
    // A record that adds cells is named, and saved only when the user says so.
    const QString target = folder_.filePath(QStringLiteral("out.tmp"));
    Output()->setPlainText(QStringLiteral("TILEW 7 3 1 3 3 3 0\n"));
    AnswerSaving(target, false, 1);
    Click("Save");
    QCOMPARE(questions_.size(), 2);
    QVERIFY(questions_.at(1).contains(QStringLiteral("add 1 cells")));
    QVERIFY(questions_.at(1).contains(QStringLiteral("(6, 6, 0)")));
    QVERIFY(!QFile::exists(target));
    // Changed on disk since it was read: refused.
    WriteTemplate("map.tmp", "Map\r\n\r\n7 3 4 6 0\r\n");
    Click("Save");
    QCOMPARE(faults_.size(), 1);
    QVERIFY(faults_.at(0).contains(QStringLiteral("changed on disk")));
    QVERIFY(!QFile::exists(target));
  }

  // Changed while the save dialog was open: refused, and nothing written.
  void savingRefusesATemplateChangedWhileChoosingWhere() {
    Go("Map\r\n\r\n7 3 4 6 0\r\n7 3 5 6 0\r\n");
    Press(Qt::LeftButton, 4, 6);
    Press(Qt::RightButton, 5, 6);
    const QString target = folder_.filePath(QStringLiteral("out.tmp"));
    window_->findChild<TemplateSaver*>()->SetDialogs(
        [this, target](QWidget*, const QString&) {
          WriteTemplate("map.tmp", "Map\r\n\r\n7 3 4 6 0\r\n");
          return std::optional<TemplateSaver::Choice>({target, false});
        },
        [](QWidget*, const QString&, const QStringList&) { return 0; });
    Click("Save");
    QCOMPARE(faults_.size(), 1);
    QVERIFY(faults_.at(0).contains(QStringLiteral("changed on disk")));
    QVERIFY(!QFile::exists(target));
  }

  void savingTwiceOverTheOpenTemplateWritesEachRecordOnce() {
    Go("Map\r\n\r\n7 3 4 6 0\r\n7 3 5 6 0\r\n7 3 9 9 0\r\n");
    const QString map = PathBox()->text();
    Press(Qt::LeftButton, 4, 6);
    Press(Qt::RightButton, 5, 6);
    AnswerSaving(map, false, 0);  // "Overwrite"
    Click("Save");
    QCOMPARE(ReadFile(map), QByteArray("Map\r\n\r\nTILEW 7 3 1 2 3 3 0\r\n7 3 9 9 0\r\n"));
    // Saved over, the template counts as read: the next save needs no go.
    Press(Qt::LeftButton, 9, 9);
    Press(Qt::RightButton, 9, 9);
    Click("Save");
    const QByteArray both("Map\r\n\r\nTILEW 7 3 1 2 3 3 0\r\nTILEW 7 3 6 6 6 6 0\r\n");
    QCOMPARE(ReadFile(map), both);
    QVERIFY(Says("1 record was in the template already"));
    // go on a template of rectangle records only, changed on disk, still lets the box be saved.
    const QByteArray first("Map\r\n\r\nTILEW 7 3 1 2 3 3 0\r\n");
    std::ofstream(map.toStdString(), std::ios::binary) << first.toStdString();
    Click("Command2");
    Click("Save");
    QVERIFY2(faults_.isEmpty(), qPrintable(faults_.join(QLatin1Char('\n'))));
    QCOMPARE(ReadFile(map), both);  // the second record's cell is new there: asked, and said yes
    QVERIFY(Says("1 record was in the template already"));
  }

  void closingWithUnsavedRecordsAsksAndTheCaptionShowsThem() {
    Go("Map\r\n\r\n7 3 4 6 0\r\n");
    AnswerSaving({}, false, 2);
    QVERIFY(!window_->isWindowModified());
    QVERIFY(window_->close());  // nothing collected yet
    window_->show();
    Press(Qt::LeftButton, 4, 6);
    Press(Qt::RightButton, 4, 6);
    QVERIFY(window_->isWindowModified());
    QVERIFY(!window_->close());  // "Cancel"
    QCOMPARE(questions_.size(), 1);
    QVERIFY2(questions_.last().contains(QStringLiteral("-short.tmp")),
             qPrintable(questions_.last()));
    QVERIFY(window_->isVisible());
    // A copy of the whole box keeps nothing: the copy goes with the program.
    Output()->selectAll();
    Output()->copy();
    QVERIFY(!window_->close());
    AnswerSaving({}, false, 1);  // "Discard"
    QVERIFY(window_->close());
    QCOMPARE(questions_.size(), 3);
  }

  void cancellingASaveSaysNothingWasSaved() {
    Go("Map\r\n\r\n7 3 4 6 0\r\n");
    Press(Qt::LeftButton, 4, 6);
    Press(Qt::RightButton, 4, 6);
    auto* saver = window_->findChild<TemplateSaver*>();
    saver->SetDialogs(
        [](QWidget*, const QString&) { return std::optional<TemplateSaver::Choice>(); },
        [](QWidget*, const QString&, const QStringList&) { return 1; });
    Click("Save");
    QVERIFY(Says("nothing was saved"));
    QVERIFY(window_->isWindowModified());
  }

  void goOnAnotherTemplateAsksWhatBecomesOfTheRecords() {
    Go("Map\r\n\r\n7 3 4 6 0\r\n");
    Press(Qt::LeftButton, 4, 6);
    Press(Qt::RightButton, 4, 6);
    const QString map = PathBox()->text();
    const QString other = WriteTemplate("other.tmp", "Other\r\n\r\n8 1 1 1 0\r\n");
    for (const int answer : {2, 0, 1}) {  // Cancel, Keep them, Start afresh
      AnswerSaving({}, false, answer);
      window_->SetTemplatePath(other);
      Click("Command2");
      QCOMPARE(window_->program().curtype, std::string(answer == 2 ? "7 3" : "8 1"));
      QCOMPARE(Output()->Text().empty(), answer == 1);
      if (answer == 0) {  // back to the first, where the records stay unsaved
        window_->SetTemplatePath(map);
        Click("Command2");
      }
    }
    QCOMPARE(questions_.size(), 4);  // going back asks too
  }

  void thePanelListsTheTypesAndJumpsToOne() {
    Go("Map\r\n\r\n7 3 1 1 0\r\n8 1 2 2 0\r\n9 2 3 3 5\r\n9 2 3 4 7\r\n");
    auto* view = Find<QTableView>("Types");
    auto* model = view->model();
    QCOMPARE(model->rowCount(), 3);
    const auto cell = [model](int row, int column) {
      return model->data(model->index(row, column)).toString();
    };
    QCOMPARE(cell(0, 5), QStringLiteral("current"));
    QCOMPARE(cell(2, 0) + cell(2, 1) + " " + cell(2, 2) + " " + cell(2, 3),
             QStringLiteral("92 2 5, 7"));
    // Sorted by cells, most first, then Enter on the top row: type (9, 2) on its first layer.
    view->sortByColumn(2, Qt::DescendingOrder);
    view->setFocus();
    view->selectRow(0);
    view->setCurrentIndex(model->index(0, 0));
    QTest::keyClick(view, Qt::Key_Return);
    QVERIFY(faults_.isEmpty());
    QCOMPARE(window_->program().curtype, std::string("9 2"));
    QCOMPARE(Spinner()->value(), 5);
    QCOMPARE(CellColour(3, 3), kRed);
    // A double-click on its layer 7 shows that layer.
    auto* layers = Find<QTableView>("Layers");
    QCOMPARE(layers->model()->rowCount(), 2);
    const QRect second = layers->visualRect(layers->model()->index(1, 0));
    QTest::mouseClick(layers->viewport(), Qt::LeftButton, {}, second.center());
    QTest::mouseDClick(layers->viewport(), Qt::LeftButton, {}, second.center());
    QCOMPARE(Spinner()->value(), 7);
    QCOMPARE(CellColour(3, 4), kRed);
    // Next Tile Type goes on with the types not shown yet, in file order.
    Click("NextTile");
    QCOMPARE(window_->program().curtype, std::string("8 1"));
    Click("NextTile");
    QVERIFY(window_->StatusText().contains(QStringLiteral("all 3 types shown")));
  }

  // Each state a type can be in, and its layers: listed up to four, counted beyond.
  void thePanelSaysEachTypesStateAndLayers() {
    Go("Map\r\n\r\n7 3 1 1 0\r\n8 1 1 1 1\r\n8 1 1 1 2\r\n8 1 1 1 3\r\n8 1 1 1 9\r\n"
       "9 2 1 1 4\r\n9 2 1 1 5\r\n9 2 1 1 6\r\n9 2 1 1 7\r\n9 2 1 1 8\r\n6 6 1 1 0\r\n");
    Press(Qt::LeftButton, 1, 1);
    Press(Qt::RightButton, 1, 1);
    Click("NextTile");
    Click("NextTile");
    auto* model = Find<QTableView>("Types")->model();
    const auto cell = [model](int row, int column) {
      return model->data(model->index(row, column)).toString();
    };
    const QStringList states = {cell(0, 5), cell(1, 5), cell(2, 5), cell(3, 5)};
    QCOMPARE(states, QStringList({QStringLiteral("all covered"), QStringLiteral("shown"),
                                  QStringLiteral("current"), QStringLiteral("not shown yet")}));
    QCOMPARE(cell(1, 3), QStringLiteral("1, 2, 3, 9"));
    QCOMPARE(cell(2, 3), QStringLiteral("5 (4, 5, 6, 7, …)"));
  }

  // A fault's message box took the release of a spinner arrow, and the arrow repeated behind it.
  void theSpinnerStopsAfterAFaultInItsPress() {
    Go("Map\r\n\r\n7 3 1 1 0\r\n7 3 2 2 90\r\n");
    QTest::mouseClick(Spinner(), Qt::LeftButton, {}, QPoint(8, 3));   // up to 90
    QTest::mouseClick(Spinner(), Qt::LeftButton, {}, QPoint(8, 14));  // down to 0
    QTest::mouseClick(Spinner(), Qt::LeftButton, {}, QPoint(8, 3));
    QCOMPARE(Spinner()->value(), 90);
    LayerBox()->setText(QStringLiteral("abc"));
    QTest::mousePress(Spinner(), Qt::LeftButton, {}, QPoint(8, 14));  // the release never comes
    QCOMPARE(faults_.size(), 1);
    QCOMPARE(Spinner()->value(), 90);
    QTest::qWait(900);  // beyond the arrow's repeat delay
    QCOMPARE(Spinner()->value(), 90);
    QCOMPARE(LayerBox()->text(), QStringLiteral("90"));
  }

  // --- where you are ---

  void theCellRowGoesWhenTheKeyboardLeavesTheGrid() {
    Go("Map\r\n\r\n7 3 0 0 0\r\n");
    QCursor::setPos(Picture()->mapToGlobal(QPoint(-4, -4)));  // the pointer beside the grid
    Picture()->setFocus(Qt::TabFocusReason);
    QVERIFY(Says("cell ("));
    Output()->setFocus();
    QVERIFY2(!Says("cell ("), qPrintable(window_->StatusText()));
  }

  void aDragMarksWithItsOutlineShowing() {
    Go("Map\r\n\r\n7 3 4 6 0\r\n7 3 5 6 0\r\n7 3 6 6 0\r\n");
    QTest::mousePress(Picture(), Qt::LeftButton, {}, CellPoint(4, 6));
    QTest::mouseMove(Picture(), CellPoint(5, 6));
    QCOMPARE(Picture()->Preview(), QRect(QPoint(4, 6), QPoint(5, 6)));
    QTest::mouseRelease(Picture(), Qt::LeftButton, {}, CellPoint(5, 6));
    QCOMPARE(Output()->Text(), std::string("TILEW 7 3 1 2 3 3 0\r\n"));
    QCOMPARE(CellColour(5, 6), kBlue);
    QCOMPARE(CellColour(6, 6), kRed);
    Key(Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(Output()->Text(), std::string());
  }

  void aMarkIsFoundFromItsRecordAndRemoved() {
    Go("Map\r\n\r\n7 3 4 6 0\r\n7 3 5 6 0\r\n7 3 6 6 0\r\n7 3 1 1 2\r\n");
    Press(Qt::LeftButton, 4, 6);
    Press(Qt::RightButton, 5, 6);
    Press(Qt::LeftButton, 6, 6);
    Press(Qt::RightButton, 6, 6);
    const std::string both = "TILEW 7 3 1 2 3 3 0\r\nTILEW 7 3 3 3 3 3 0\r\n";
    QCOMPARE(Output()->Text(), both);
    // The caret on the first line outlines its rectangle.
    QTextCursor caret(Output()->document());
    Output()->setTextCursor(caret);
    QCOMPARE(Picture()->Selection(), QRect(QPoint(4, 6), QPoint(5, 6)));
    // Ctrl + press on a blue square selects its record; Delete outside the box removes it.
    QTest::mouseClick(Picture(), Qt::LeftButton, Qt::ControlModifier, CellPoint(6, 6));
    QVERIFY(Says("1 record selected (Delete removes it)"));
    QCOMPARE(Picture()->Selection(), QRect(QPoint(6, 6), QPoint(6, 6)));
    Picture()->setFocus();
    Key(Qt::Key_Delete);
    QCOMPARE(Output()->Text(), std::string("TILEW 7 3 1 2 3 3 0\r\n"));
    QCOMPARE(CellColour(6, 6), kRed);
    Key(Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(Output()->Text(), both);
    QCOMPARE(CellColour(6, 6), kBlue);
    // A record of another layer shows that layer.
    Output()->SetText(both + "TILEW 7 3 -2 -2 -2 -2 2\r\n");
    QTextCursor last(Output()->document()->lastBlock().previous());
    Output()->setTextCursor(last);
    QCOMPARE(Spinner()->value(), 2);
    QCOMPARE(Picture()->Selection(), QRect(QPoint(1, 1), QPoint(1, 1)));
  }

  void theStatusLineSaysWhereYouAre() {
    QVERIFY(window_->StatusText().contains(QStringLiteral("press go")));
    Press(Qt::LeftButton, 4, 6);
    QVERIFY(Says("no tile type is shown yet; press go first"));
    Go("Map\r\n\r\n7 3 4 6 0\r\n7 3 5 6 0\r\n8 1 1 1 2\r\n");
    QVERIFY(window_->StatusText().contains(QStringLiteral("type 7 3, 1st shown of 2 types")));
    QVERIFY(window_->StatusText().contains(QStringLiteral("layer 0: 2 cells of this type")));
    Point(5, 6);
    QVERIFY(window_->StatusText().contains(QStringLiteral("cell (5, 6), in a record 2 3")));
    Press(Qt::LeftButton, 4, 6);
    Point(5, 6, 5);  // a move to where the pointer was would be dropped
    QVERIFY(window_->StatusText().contains(QStringLiteral(
        "rectangle (4, 6) to (5, 6), 2 x 1: a right press writes TILEW 7 3 1 2 3 3 0")));
    QCOMPARE(Picture()->Preview(), QRect(QPoint(4, 6), QPoint(5, 6)));
    Point(5, 7);
    QVERIFY(window_->StatusText().contains(QStringLiteral("a right press here does nothing")));
    Click("AutoCover");
    QVERIFY(window_->StatusText().contains(
        QStringLiteral("Auto wrote 1 rectangle for 2 cells: the fewest possible")));
    QVERIFY(Picture()->Preview().isEmpty());
    Click("NextTile");
    QVERIFY(window_->StatusText().contains(QStringLiteral("type 8 1, 2nd shown of 2 types")));
    QVERIFY(window_->StatusText().contains(QStringLiteral(
        "layer 0: 0 cells of this type (1 in all); nearest with cells: 2 above, none below")));
    Click("NextTile");
    QVERIFY(window_->StatusText().contains(
        QStringLiteral("all 2 types shown; press go to start again")));
  }

  void anUndoUnderAStillPointerRenewsItsText() {
    Go("Map\r\n\r\n7 3 4 6 0\r\n7 3 5 6 0\r\n7 3 6 6 0\r\n");
    Press(Qt::LeftButton, 4, 6);
    Press(Qt::RightButton, 5, 6);
    Press(Qt::LeftButton, 6, 6);
    Point(5, 6);
    QVERIFY(Says("the second corner must be a red or green square"));
    Key(Qt::Key_Z, Qt::ControlModifier);  // (5, 6) is red again
    QVERIFY(Says("rectangle (5, 6) to (6, 6), 2 x 1: a right press writes TILEW 7 3 2 3 3 3 0"));
  }

  void enterTabAndStartUpFocusWork() {
    QCOMPARE(QApplication::focusWidget(), PathBox());
    PathBox()->setText(WriteTemplate("map.tmp", "Map\r\n\r\n7 3 1 1 0\r\n7 3 2 2 5\r\n"));
    QTest::keyClick(PathBox(), Qt::Key_Return);
    QCOMPARE(window_->program().curtype, std::string("7 3"));
    LayerBox()->setText(QStringLiteral("5"));
    QTest::keyClick(LayerBox(), Qt::Key_Return);
    QCOMPARE(Spinner()->value(), 5);
    QCOMPARE(CellColour(2, 2), kRed);
    LayerBox()->setText(QStringLiteral("3"));  // no cells there: shown as it is
    QTest::keyClick(LayerBox(), Qt::Key_Enter);
    QCOMPARE(Spinner()->value(), 3);
    QCOMPARE(CellColour(2, 2), kBlack);
    LayerBox()->setText(QStringLiteral("400"));
    QTest::keyClick(LayerBox(), Qt::Key_Return);
    QCOMPARE(faults_.size(), 1);
    QCOMPARE(Spinner()->value(), 3);

    // Tab visits every control in the order of the layout, and each shows that it has the focus.
    const char* order[] = {"thefile",  "Command1",  "Command2", "zval",        "zscr",
                           "NextTile", "AutoCover", "Save",     "TypesButton", "AutoMany",
                           "Picture1", "comlist",   "Types",    "Layers",      "thefile"};
    Find<QWidget>(order[0])->setFocus();
    for (const char* name : order) {
      auto* control = Find<QWidget>(name);
      QCOMPARE(QApplication::focusWidget(), control);
      const QImage focused = control->grab().toImage();
      Find<QWidget>(qstrcmp(name, "AutoCover") == 0 ? "thefile" : "AutoCover")->setFocus();
      QVERIFY2(control->grab().toImage() != focused, name);
      control->setFocus();
      QTest::keyClick(control, Qt::Key_Tab);
    }
  }

  void aPathFromHomeStartsWithATilde() {
    const QString home = qEnvironmentVariable("HOME");
    qputenv("HOME", folder_.path().toUtf8());
    WriteTemplate("castle.tmp", "Castle\r\n\r\n7 3 1 1 0\r\n");
    PathBox()->setText(QStringLiteral("~/castle.tmp"));
    Click("Command2");
    qputenv("HOME", home.toUtf8());
    QVERIFY(faults_.isEmpty());
    QCOMPARE(window_->Caption(), std::string("Castle"));
  }

  void everyControlHasANameAndATip() {
    for (const char* name :
         {"Picture1", "thefile", "Command1", "Command2", "zscr", "zval", "comlist", "NextTile",
          "AutoCover", "Save", "TypesButton", "AutoMany", "Types", "Layers"}) {
      auto* control = Find<QWidget>(name);
      QVERIFY2(!control->toolTip().isEmpty(), name);
      QVERIFY2(!control->accessibleName().isEmpty(), name);
    }
  }

  void aDroppedTemplateIsLoaded() {
    const QString path = WriteTemplate("dropped.tmp", "Dropped\r\n\r\n7 3 1 1 0\r\n");
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(path)});
    for (const char* target : {"Picture1", "thefile"}) {
      PathBox()->clear();
      auto* widget = Find<QWidget>(target);
      QDragEnterEvent enter(QPoint(4, 4), Qt::CopyAction, &data, Qt::LeftButton, {});
      QApplication::sendEvent(widget, &enter);
      QVERIFY2(enter.isAccepted(), target);
      QDropEvent drop(QPointF(4, 4), Qt::CopyAction, &data, Qt::LeftButton, {});
      QApplication::sendEvent(widget, &drop);
      QCOMPARE(PathBox()->text(), path);
      QCOMPARE(window_->Caption(), std::string("Dropped"));
    }
  }

  // A name that is not UTF-8 is opened by its bytes, given or dropped, and named with \xFF.
  void aNameThatIsNotUtf8IsOpenedAndNamedByItsBytes() {
    const std::string folder = QFile::encodeName(folder_.path()).toStdString();
    const std::string found = folder + "/caf\xff.tmp";
    std::ofstream(found, std::ios::binary) << "Bytes\r\n\r\n7 3 1 1 0\r\n";
    window_->SetTemplatePath(found);
    Click("Command2");
    QVERIFY(faults_.isEmpty());
    QCOMPARE(window_->Caption(), std::string("Bytes"));
    QCOMPARE(window_->program().read_path, found);

    QMimeData data;
    data.setUrls(
        {QUrl(QStringLiteral("file://") +
              QString::fromLatin1(
                  QByteArray::fromStdString(folder + "/gone\xff.tmp").toPercentEncoding("/")))});
    QDragEnterEvent enter(QPoint(4, 4), Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(Picture(), &enter);
    QDropEvent drop(QPointF(4, 4), Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(Picture(), &drop);
    QCOMPARE(faults_.size(), 1);
    QVERIFY2(faults_.last().contains(QStringLiteral("gone\\xFF.tmp")), qPrintable(faults_.last()));
    QCOMPARE(window_->Caption(), std::string("Bytes"));
  }

  // Long work runs beside the window: its dialog shows after 300 ms, and Cancel stops it.
  void longWorkShowsItsProgressAndCancelStopsIt() {
    AutoProgress progress;
    progress.total = 10;
    bool shown_early = true;
    QTimer::singleShot(100,
                       [&] { shown_early = window_->findChild<QProgressDialog*>()->isVisible(); });
    bool shown_late = false;
    int value = 0;
    QTimer::singleShot(600, [&] {
      auto* dialog = window_->findChild<QProgressDialog*>(QStringLiteral("BusyDialog"));
      if (!dialog) return progress.cancel.store(true);
      shown_late = dialog->isVisible();
      value = dialog->value();
      QTest::mouseClick(dialog->findChild<QPushButton*>(), Qt::LeftButton);
    });
    const bool done = BackgroundWork::Run(window_.get(), QStringLiteral("Working"), progress, [&] {
      progress.done = 3;
      while (!progress.cancel) QThread::msleep(5);
    });
    QVERIFY(!done);
    QVERIFY(!shown_early);
    QVERIFY(shown_late);
    QCOMPARE(value, 3);
    // A fault in the work reaches the caller.
    QVERIFY_THROWS_EXCEPTION(
        std::runtime_error,
        BackgroundWork::Run(window_.get(), {}, progress, [] { throw std::runtime_error("no"); }));
  }

  // Run at 100 %, 150 % and 200 % on a 1920 x 1080 screen (see CMakeLists.txt).
  void theWindowFitsTheScreenAndKeepsItsCells() {
    const QRect screen = window_->screen()->availableGeometry();
    QVERIFY(window_->frameGeometry().width() <= screen.width());
    QVERIFY(window_->height() <= screen.height());
    // Every control in sight at once, the panel's columns too: no scrolling at any scale.
    auto* scroll = window_->findChild<QScrollArea*>();
    QVERIFY(!scroll->horizontalScrollBar()->isVisible());
    QVERIFY(!scroll->verticalScrollBar()->isVisible());
    QVERIFY(Find<QWidget>("TypesPanel")->width() >= FrameLayout::kNarrowPanel);
    QVERIFY(!Find<QTableView>("Types")->horizontalScrollBar()->isVisible());
    QCOMPARE(scroll->horizontalScrollBar()->value(), 0);
    // Without the panel the window is narrower, and the grid keeps its zoom.
    const int pitch = Picture()->Pitch().Pitch();
    QTest::keyClick(window_.get(), Qt::Key_F9);
    QVERIFY(!Find<QWidget>("TypesPanel")->isVisible());
    QVERIFY(window_->frameGeometry().width() <= screen.width());
    QVERIFY(!scroll->horizontalScrollBar()->isVisible());
    QCOMPARE(Picture()->Pitch().Pitch(), pitch);
    QTest::keyClick(window_.get(), Qt::Key_F9);
    QVERIFY(Find<QWidget>("TypesPanel")->isVisible());
    // Squares of one size in device pixels, whatever the scale.
    Go("Map\r\n\r\n7 3 0 0 0\r\n7 3 1 0 0\r\n7 3 2 0 0\r\n7 3 3 0 0\r\n");
    const QImage shown = Picture()->grab().toImage();
    const int y = Picture()->Pitch().SquareOf(0, 0).center().y();
    QSet<int> widths[2];  // of squares and of the gaps between them
    int run = 0;
    int x = 0;
    while (shown.pixelColor(x, y) != QColor(Qt::red)) ++x;
    for (; x < shown.width() / 10; ++x) {
      const bool red = shown.pixelColor(x, y) == QColor(Qt::red);
      ++run;
      if (red != (shown.pixelColor(x + 1, y) == QColor(Qt::red))) {
        widths[red ? 0 : 1].insert(run);
        run = 0;
      }
    }
    QCOMPARE(widths[0].size(), 1);
    QCOMPARE(widths[1].size(), 1);
  }

  // --- what a new user tried ---

  void theOutlineFramesTheCellsTheStatusNames() {
    Go("Map\r\n\r\n7 3 20 15 0\r\n7 3 25 19 0\r\n");
    const struct {
      QPoint corner, pointer;
      QRect cells;
    } cases[] = {
        {{20, 15}, {15, 20}, QRect(QPoint(15, 15), QPoint(20, 20))},
        {{25, 19}, {10, 10}, QRect(QPoint(10, 10), QPoint(25, 19))},
        {{20, 15}, {23, 11}, QRect(QPoint(20, 11), QPoint(23, 15))},
        {{20, 15}, {22, 17}, QRect(QPoint(20, 15), QPoint(22, 17))},
    };
    for (const auto& c : cases) {
      Press(Qt::LeftButton, c.corner.x(), c.corner.y());
      Point(c.pointer.x(), c.pointer.y());
      QCOMPARE(Picture()->Preview(), c.cells);
      Output()->setFocus();  // the keyboard's cell cursor hides part of the outline
      QVERIFY(window_->StatusText().contains(QStringLiteral("rectangle (%1, %2) to (%3, %4)")
                                                 .arg(c.cells.left())
                                                 .arg(c.cells.top())
                                                 .arg(c.cells.right())
                                                 .arg(c.cells.bottom())));
      // White in the gap before the first column and after the last, and not a column further.
      const QImage shown = Picture()->grab().toImage();
      const GridPitch pitch = Picture()->Pitch();
      const int y = pitch.SquareOf(0, c.cells.top()).center().y();
      const QRect square = pitch.SquareOf(c.cells.left(), c.cells.top());
      const int last = pitch.SquareOf(c.cells.right(), 0).right();
      QCOMPARE(shown.pixelColor(square.left() - 1, y), QColor(Qt::white));
      QCOMPARE(shown.pixelColor(last + 1, y), QColor(Qt::white));
      QVERIFY(shown.pixelColor(square.left() - pitch.Pitch() - 1, y) != QColor(Qt::white));
      QVERIFY(shown.pixelColor(last + pitch.Pitch() + 1, y) != QColor(Qt::white));
    }
    QTest::mouseMove(Picture(), QPoint(515, 44));  // column 51, past the grid
    QVERIFY(Picture()->Preview().isEmpty());
  }

  // The zoom and the panel's width that fit a screen: the natural zoom where it fits, the panel
  // narrowed before the grid.
  void theFrameFitsSmallAndScaledScreens() {
    const struct {
      QSize room;
      double ratio;
      bool panel;
      int pitch, panel_width;
    } cases[] = {
        {{1912, 1040}, 1, true, 10, 400},  // 1920 x 1080 at 100 %
        {{952, 500}, 2, true, 14, 363},    // ... at 200 %
        {{1016, 728}, 1, true, 8, 376},    // 1024 x 768
        {{1016, 728}, 1, false, 10, 0},
        {{300, 200}, 1, true, GridPitch::kMinimum, FrameLayout::kNarrowPanel},  // nothing fits
    };
    for (const auto& c : cases) {
      const FrameFit fit = FitFrame(c.room, c.ratio, c.panel, GridPitch::Natural(c.ratio));
      QCOMPARE(fit.pitch, c.pitch);
      QCOMPARE(fit.panel, c.panel_width);
      const FrameLayout at(GridPitch(fit.pitch).LogicalSide(c.ratio), fit.panel);
      if (c.room.width() > 400)
        QVERIFY(QRect(QPoint(), c.room).contains(QRect(QPoint(), at.content)));
      QVERIFY(at.path.right() <= at.browse.left() && at.auto_many.right() < at.content.width());
    }
  }

  void zoomKeysScaleTheGridAndMarkingFollows() {
    Go("Map\r\n\r\n7 3 0 0 0\r\n7 3 1 0 0\r\n7 3 2 2 0\r\n");
    const int natural = Picture()->Pitch().Pitch();
    QTest::keyClick(window_.get(), Qt::Key_Plus, Qt::ControlModifier);
    QTest::keyClick(window_.get(), Qt::Key_Equal, Qt::ControlModifier);
    QCOMPARE(Picture()->Pitch().Pitch(), natural + 2);
    QCOMPARE(Picture()->width(), Picture()->Pitch().LogicalSide(Picture()->devicePixelRatioF()));
    QVERIFY(Says("zoom"));
    QTest::keyClick(window_.get(), Qt::Key_Minus, Qt::ControlModifier);
    QCOMPARE(Picture()->Pitch().Pitch(), natural + 1);
    QWheelEvent wheel(QPointF(5, 5), Picture()->mapToGlobal(QPointF(5, 5)), {}, {0, 240},
                      Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(Picture(), &wheel);
    QCOMPARE(Picture()->Pitch().Pitch(), natural + 3);
    // Presses land on the cells shown at the new zoom.
    Press(Qt::LeftButton, 1, 0);
    Press(Qt::RightButton, 0, 0);
    QCOMPARE(Output()->toPlainText(), QStringLiteral("TILEW 7 3 -3 -2 -3 -3 0\n"));
    QCOMPARE(ShownColour(24, 24), QColor(Qt::red));
    // Fitting the window, sized for the natural zoom: that zoom again, and nothing to scroll.
    QTest::keyClick(window_.get(), Qt::Key_0, Qt::ControlModifier);
    QCOMPARE(Picture()->Pitch().Pitch(), natural);
    auto* scroll = window_->findChild<QScrollArea*>();
    QVERIFY(Find<QWidget>("content")->width() <= scroll->viewport()->width());
    QVERIFY(Find<QWidget>("content")->height() <= scroll->viewport()->height());
  }

  void autoOnEveryLayerAndTypeIsOneStepToUndo() {
    Go("Map\r\n\r\n7 3 0 0 0\r\n7 3 1 0 0\r\n7 3 5 5 4\r\n9 1 2 2 0\r\n");
    auto* menu = Find<QMenu>("AutoManyMenu");
    Find<QAction>("AutoEveryLayer")->trigger();
    QCOMPARE(Output()->toPlainText(),
             QStringLiteral("TILEW 7 3 -3 -2 -3 -3 0\nTILEW 7 3 2 2 2 2 4\n"));
    QCOMPARE(ShownColour(4, 4), QColor(Qt::blue));
    QVERIFY(Says("Auto on every layer wrote 2 rectangles for 3 cells on 2 layers"));
    Find<QAction>("AutoEveryType")->trigger();
    QCOMPARE(Output()->toPlainText(), QStringLiteral("TILEW 7 3 -3 -2 -3 -3 0\nTILEW 7 3 2 2 2 2 "
                                                     "4\nTILEW 9 1 -1 -1 -1 -1 0\n"));
    QVERIFY(Says("of 1 type"));
    Picture()->setFocus();
    Key(Qt::Key_Z, Qt::ControlModifier);
    Key(Qt::Key_Z, Qt::ControlModifier);
    QVERIFY(Output()->toPlainText().isEmpty());
    QCOMPARE(ShownColour(4, 4), QColor(Qt::red));
    QVERIFY(menu->actions().size() == 2);
  }

  void theKeyboardMarksAndEscapeDropsTheCorner() {
    Go("Map\r\n\r\n7 3 0 0 0\r\n7 3 1 0 0\r\n7 3 0 1 0\r\n7 3 1 1 0\r\n7 3 3 3 0\r\n"
       "7 3 4 4 0\r\n7 3 9 9 0\r\n");
    Find<QWidget>("AutoMany")->setFocus();
    Key(Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), Picture());
    Key(Qt::Key_Space);  // the cursor starts at (0, 0)
    QCOMPARE(CellColour(0, 0), kGreen);
    Key(Qt::Key_Right);
    Key(Qt::Key_Down);
    QVERIFY(Says("rectangle (0, 0) to (1, 1), 2 x 2: a right press writes"));
    Key(Qt::Key_Return);
    QCOMPARE(window_->OutputText(), std::string("TILEW 7 3 -3 -2 -3 -2 0\r\n"));
    for (const Qt::Key key : {Qt::Key_Right, Qt::Key_Right, Qt::Key_Down, Qt::Key_Down}) Key(key);
    Key(Qt::Key_Space);
    QCOMPARE(CellColour(3, 3), kGreen);
    Key(Qt::Key_Escape);
    QVERIFY(Says("first corner dropped"));
    QCOMPARE(CellColour(3, 3), kRed);
    QVERIFY(Picture()->Preview().isEmpty());
    Key(Qt::Key_Right);
    Key(Qt::Key_Down);
    Key(Qt::Key_Enter);  // no first corner any more
    QCOMPARE(window_->OutputText(), std::string("TILEW 7 3 -3 -2 -3 -2 0\r\n"));
    QVERIFY(Says("no first corner yet"));
    Key(Qt::Key_Space);  // (4, 4)
    Key(Qt::Key_Left);
    Key(Qt::Key_Left);
    Key(Qt::Key_Enter);  // (2, 4) holds no tile: nothing happens
    Key(Qt::Key_Up);
    Key(Qt::Key_Right);
    Key(Qt::Key_Enter);  // (3, 3): refused, the rectangle has empty cells
    QVERIFY(Says("not marked: 2 cells"));
    Key(Qt::Key_Enter, Qt::ShiftModifier);
    QCOMPARE(window_->OutputText(),
             std::string("TILEW 7 3 -3 -2 -3 -2 0\r\nTILEW 7 3 0 1 0 1 0\r\n"));
    QCOMPARE(CellColour(4, 3), kBlue);
    // Escape drops a corner set with the mouse too, wherever the focus is outside the text boxes.
    Press(Qt::LeftButton, 9, 9);
    Find<QWidget>("NextTile")->setFocus();
    Key(Qt::Key_Escape);
    QCOMPARE(CellColour(9, 9), kRed);
    // The keyboard's cell follows the pointer: Space and Enter act where the status line says.
    Picture()->setFocus();
    Key(Qt::Key_Left);  // the keyboard's cell to (8, 9), then the pointer to (9, 9)
    Point(9, 9, 6);
    Key(Qt::Key_Space);
    QCOMPARE(CellColour(9, 9), kGreen);
    Key(Qt::Key_Return);
    QVERIFY(Says("marked: TILEW 7 3 6 6 6 6 0"));
    QVERIFY(faults_.isEmpty());
  }

  void theOutputBoxUndoesOnlyTyping() {
    Go("Map\r\n\r\n7 3 4 6 0\r\n7 3 5 6 0\r\n");
    Press(Qt::LeftButton, 4, 6);
    Press(Qt::RightButton, 5, 6);
    QTest::mouseClick(Output()->viewport(), Qt::LeftButton);
    QCOMPARE(QApplication::focusWidget(), Output());
    Key(Qt::Key_Z, Qt::ControlModifier);  // nothing typed: the window takes the mark back
    QCOMPARE(window_->OutputText(), std::string());
    QCOMPARE(CellColour(4, 6), kGreen);
    QVERIFY(Says("undone: TILEW 7 3 1 2 3 3 0"));
    Key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(window_->OutputText(), std::string("TILEW 7 3 1 2 3 3 0\r\n"));
    QCOMPARE(CellColour(4, 6), kBlue);
    QTest::keyClicks(Output(), QStringLiteral("x"));
    Key(Qt::Key_Z, Qt::ControlModifier);  // the typing goes, the record stays
    QCOMPARE(window_->OutputText(), std::string("TILEW 7 3 1 2 3 3 0\r\n"));
    QCOMPARE(CellColour(4, 6), kBlue);
  }

  void everyWayOfChangingTheLayerRefusesABadLayerBox() {
    Go("Map\r\n\r\n7 3 1 1 0\r\n7 3 2 2 7\r\n");
    const std::function<void()> ways[] = {
        [this] { QTest::mouseClick(Spinner(), Qt::LeftButton, {}, QPoint(8, 3)); },
        [this] { QTest::mouseClick(Spinner(), Qt::LeftButton, {}, QPoint(8, 14)); },  // at 0
        [this] { QTest::keyClick(LayerBox(), Qt::Key_Return); },
        [this] {
          Picture()->setFocus();
          Key(Qt::Key_PageUp);
        },
        [this] {
          QWheelEvent wheel(QPointF(8, 8), Spinner()->mapToGlobal(QPointF(8, 8)), {}, {0, 120},
                            Qt::NoButton, {}, Qt::NoScrollPhase, false);
          QApplication::sendEvent(Spinner(), &wheel);
        },
    };
    // One message and one outcome for every way: the layer shown stays.
    for (const char* bad : {"abc", "1e9", "-1", "101"}) {
      for (const auto& way : ways) {
        Spinner()->setValue(0);
        LayerBox()->setText(QString::fromLatin1(bad));
        const auto before = faults_.size();
        way();
        QCOMPARE(faults_.size(), before + 1);
        QCOMPARE(faults_.last(), QStringLiteral("The layer box holds \"%1\", which is not a layer "
                                                "from 0 to 100; layer 0 stays shown.")
                                     .arg(QLatin1String(bad)));
        QCOMPARE(Spinner()->value(), 0);
        QCOMPARE(LayerBox()->text(), QStringLiteral("0"));
        QCOMPARE(ShownColour(14, 14), QColor(Qt::red));
      }
    }
  }

  void theStatusLineKeepsItsMessageAndFitsItsRows() {
    const std::string id(300, 'w');
    Go("Map\r\n\r\n" + id + " 3 4 6 0\r\n" + id + " 3 5 6 0\r\n" + id + " 3 9 9 0\r\n");
    Press(Qt::LeftButton, 4, 6);
    Press(Qt::RightButton, 5, 6);
    Point(9, 9);
    QVERIFY(Says("marked: TILEW"));
    QVERIFY(Says("rectangle (4, 6) to (9, 9)"));
    Click("AutoCover");
    Picture()->setFocus();
    Key(Qt::Key_Z, Qt::ControlModifier);
    QVERIFY(Says("undone: TILEW"));
    auto* status = Find<StatusLine>("status");
    for (int i = 0; i < StatusLine::kRows; ++i) {
      const ElidedRow* row = status->Row(i);
      QVERIFY(row->fontMetrics().horizontalAdvance(row->text()) <= row->width());
      QCOMPARE(row->toolTip().isEmpty(), row->text() == row->FullText());
    }
    QVERIFY(status->Row(0)->toolTip().contains(QString::fromStdString(id)));
  }

  void theStatusLineSaysWhatToDoFirst() {
    QVERIFY(Says("choose a template with \"...\" or type its path, then press go"));
    PathBox()->setText(QStringLiteral("castle.tmp"));
    QVERIFY(Says("press go to show the first tile type"));
    Go("Walls\r\n only\r\nTILEW 7 3 0 0 0 0 0\r\n");
    QCOMPARE(window_->windowTitle(), QStringLiteral("Walls only[*]"));
    QVERIFY(Says("this template holds no tile records (1 rectangle record): nothing to show"));
    QVERIFY(faults_.isEmpty());
  }

  void theFocusedControlIsInSight() {
    auto* scroll = window_->findChild<QScrollArea*>();
    const char* order[] = {"thefile", "Command1", "Command2",  "zval",
                           "zscr",    "NextTile", "AutoCover", "comlist"};
    for (const char* name : order) {
      auto* control = Find<QWidget>(name);
      if (qstrcmp(name, "thefile") != 0) control->setFocus();  // at start, the path box has it
      QCOMPARE(QApplication::focusWidget(), control);
      const QRect at(control->mapTo(scroll->viewport(), QPoint(0, 0)), control->size());
      // The output box is taller than a small window: its top shows.
      const QRect seen = scroll->viewport()->rect();
      QVERIFY2(seen.contains(at) || (seen.contains(at.topLeft()) && at.height() > seen.height()),
               name);
    }
  }

  // A whole use of the tool, with the real file dialog, reads the template and writes nothing.
  void aWholeUseWritesNothing() {
    const QString path = WriteTemplate("castle.tmp",
                                       "Map\r\n\r\n7 3 4 6 0\r\n7 3 5 6 0\r\n"
                                       "7 3 5 7 4\r\n8 1 1 1 0\r\n");
    window_ = std::make_unique<MainFrm>([this](QWidget*, const QString& m) { faults_ << m; });
    window_->show();
    QVERIFY(QTest::qWaitForWindowExposed(window_.get()));

    FileWatch watch;
    QVERIFY(watch.Add(path, IN_CLOSE_WRITE | IN_CLOSE_NOWRITE | IN_MODIFY));
    for (const QString& folder :
         {folder_.path(), QStringLiteral(QUARNEL_EXAMPLES_DIR), QDir::currentPath(),
          QDir::homePath(), QDir::homePath() + QStringLiteral("/.config")}) {
      watch.Add(folder, IN_CREATE | IN_MOVED_TO | IN_CLOSE_WRITE);
    }

    PathBox()->setText(path);
    QTimer accept_dialog;  // once the dialog is up, choose the template in it
    connect(&accept_dialog, &QTimer::timeout, this, [&path] {
      auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      if (!dialog || !dialog->isVisible()) return;
      // Type the path into the dialog's file name box, as a user would.
      auto* name_box = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
      if (!name_box) return;
      name_box->setText(path);
      QMetaObject::invokeMethod(dialog, "accept");
    });
    accept_dialog.start(50);
    PathBox()->clear();
    Click("Command1");
    accept_dialog.stop();
    QCOMPARE(PathBox()->text(), path);
    Click("Command2");
    Press(Qt::LeftButton, 4, 6);
    Press(Qt::RightButton, 5, 6);
    QTest::mouseClick(Spinner(), Qt::LeftButton, {}, QPoint(8, 3));
    QCOMPARE(Spinner()->value(), 4);
    Click("NextTile");
    Click("NextTile");
    QCOMPARE(window_->OutputText(), std::string("TILEW 7 3 1 2 3 3 0\r\n"));
    QVERIFY(faults_.isEmpty());
    window_.reset();

    const auto events = watch.Read();
    QVERIFY2(events.contains(IN_CLOSE_NOWRITE), "the template was never read");
    QVERIFY2(!events.contains(IN_CLOSE_WRITE), "a file was opened for writing");
    QVERIFY2(!events.contains(IN_MODIFY), "the template was changed");
    QVERIFY2(!events.contains(IN_CREATE) && !events.contains(IN_MOVED_TO), "a file was made");
  }
};

}  // namespace quarnel

QTEST_MAIN(quarnel::MainFrmTest)
#include "mainfrm_test.moc"
