// The main window: layers, zoom, the layout and the status line.
#include "tests/window/mainfrm_fixture.h"

namespace quarnel {

class LayersAndStatusTest : public MainFrmFixture {
  Q_OBJECT

 private slots:
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
      // Where it shows on the content: the grid lies in a box of its own.
      const QRect shown(control->mapTo(Find<QWidget>("content"), QPoint()), control->size());
      if (natural && !c.rect.isNull()) QCOMPARE(shown, c.rect);
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

  void theCellRowGoesWhenTheKeyboardLeavesTheGrid() {
    Go("Map\r\n\r\n7 3 0 0 0\r\n");
    QCursor::setPos(Picture()->mapToGlobal(QPoint(-4, -4)));  // the pointer beside the grid
    Picture()->setFocus(Qt::TabFocusReason);
    QVERIFY(Says("cell ("));
    Output()->setFocus();
    QVERIFY2(!Says("cell ("), qPrintable(window_->StatusText()));
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

  void everyControlHasANameADescriptionAndATip() {
    const auto spoken = [](QWidget* control, QAccessible::Text text) {
      QAccessibleInterface* interface = QAccessible::queryAccessibleInterface(control);
      return interface ? interface->text(text) : QString();
    };
    for (const char* name : {"Picture1", "GridBox", "thefile", "Command1", "Command2", "zscr",
                             "zval", "comlist", "NextTile", "AutoCover", "Save", "TypesButton",
                             "AutoMany", "TypesPanel", "Types", "Layers", "status"}) {
      auto* control = Find<QWidget>(name);
      QVERIFY2(!spoken(control, QAccessible::Name).isEmpty(), name);
      QVERIFY2(!spoken(control, QAccessible::Description).isEmpty(), name);
      if (control->focusPolicy() != Qt::NoFocus) QVERIFY2(!control->toolTip().isEmpty(), name);
    }
    // The grid tells what the pointer's row of the status line says, and what the square shows.
    Go("Map\r\n\r\n7 3 4 6 0\r\n7 3 5 6 0\r\n");
    const struct {
      Qt::MouseButton press;  // Qt::NoButton: the pointer only moves there
      int x, y;
      const char* square;
    } cells[] = {
        {Qt::NoButton, 4, 6, "red: a tile of type 7 3"},
        {Qt::NoButton, 9, 6, "black: no tile of type 7 3"},
        {Qt::LeftButton, 4, 6, "green: the first corner, a tile of type 7 3"},
        {Qt::RightButton, 5, 6, "blue: a tile of type 7 3, covered by a record"},
    };
    for (const auto& c : cells) {
      if (c.press == Qt::NoButton) Point(c.x, c.y);
      if (c.press != Qt::NoButton) Press(c.press, c.x, c.y);
      const QString row = Find<StatusLine>("status")->Row(1)->FullText();
      QVERIFY(!row.isEmpty());
      QCOMPARE(spoken(Picture(), QAccessible::Description),
               row + QStringLiteral("; ") + QLatin1String(c.square));
    }
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(Picture(), &leave);
    QCOMPARE(spoken(Picture(), QAccessible::Description), Picture()->toolTip());
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

  // The geometry of every control outside the grid's box, and the box's.
  QList<QRect> Places() const {
    QList<QRect> places;
    for (QWidget* control :
         Find<QWidget>("content")->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
      places << control->geometry();
    }
    return places;
  }
  void CtrlWheel(QPoint at, int notches) {
    QWheelEvent wheel(at, Picture()->mapToGlobal(at), {}, {0, 120 * notches}, Qt::NoButton,
                      Qt::ControlModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(Picture(), &wheel);
  }
  // The cell a left press at a point of the box's viewport lands on.
  QPoint CellPressedAt(QPoint in_box) {
    QTest::mouseClick(Picture(), Qt::LeftButton, {}, Picture()->mapFrom(Box()->viewport(), in_box));
    return Picture()->Cursor();
  }

  void zoomKeysScaleTheGridInItsBoxAndMarkingFollows() {
    Go("Map\r\n\r\n7 3 0 0 0\r\n7 3 1 0 0\r\n7 3 2 2 0\r\n");
    const int natural = Box()->FitPitch();
    const QList<QRect> places = Places();
    const struct {
      Qt::Key key;
      int zoom;
    } keys[] = {{Qt::Key_Plus, 2}, {Qt::Key_Equal, 3}, {Qt::Key_Minus, 2}};
    for (const auto& k : keys) {
      QTest::keyClick(window_.get(), k.key, Qt::ControlModifier);
      QCOMPARE(Picture()->Pitch().Pitch(), natural * k.zoom);
      QVERIFY(Says("zoom"));
    }
    CtrlWheel({5, 5}, 2);
    QCOMPARE(Picture()->Pitch().Pitch(), natural * 4);
    // The box and every control stay where they were, the window's content scrolls nowhere.
    QCOMPARE(Places(), places);
    QVERIFY(!window_->findChild<QScrollArea*>()->verticalScrollBar()->isVisible());
    // Presses land on the cells shown at the new zoom.
    Press(Qt::LeftButton, 1, 0);
    Press(Qt::RightButton, 0, 0);
    QCOMPARE(Output()->toPlainText(), QStringLiteral("TILEW 7 3 -3 -2 -3 -3 0\n"));
    QCOMPARE(ShownColour(24, 24), QColor(Qt::red));
    // Fitting the window, sized for the natural zoom: that zoom again, and nothing to scroll.
    QTest::keyClick(window_.get(), Qt::Key_0, Qt::ControlModifier);
    QCOMPARE(Picture()->Pitch().Pitch(), natural);
    QCOMPARE(Places(), places);
    auto* scroll = window_->findChild<QScrollArea*>();
    QVERIFY(Find<QWidget>("content")->width() <= scroll->viewport()->width());
    QVERIFY(Find<QWidget>("content")->height() <= scroll->viewport()->height());
  }

  // Ctrl + wheel keeps the cell under the pointer, the middle button pans, and presses land on the
  // cell shown under them.
  void theGridZoomsAboutThePointerAndPans() {
    Go("Map\r\n\r\n7 3 0 0 0\r\n");
    const struct {
      int x, y, notches, zoom;
    } turns[] = {{30, 40, 1, 2}, {45, 44, 2, 4}, {25, 25, -1, 3}, {20, 22, -1, 2}};
    for (const auto& t : turns) {
      const QPoint at = Picture()->mapTo(Box()->viewport(), CellPoint(t.x, t.y));
      CtrlWheel(Picture()->mapFrom(Box()->viewport(), at), t.notches);
      QCOMPARE(Box()->Zoom(), t.zoom);
      QCOMPARE(CellPressedAt(at), QPoint(t.x, t.y));
    }
    const auto scrolled = [this] {
      return QPoint(Box()->horizontalScrollBar()->value(), Box()->verticalScrollBar()->value());
    };
    const QPoint before = scrolled();
    const QPoint from = Box()->viewport()->mapToGlobal(QPoint(60, 50));
    for (const auto& [type, moved] : {std::pair{QEvent::MouseButtonPress, QPoint(0, 0)},
                                      {QEvent::MouseMove, QPoint(30, 20)},
                                      {QEvent::MouseButtonRelease, QPoint(30, 40)}}) {
      QMouseEvent event(type, Picture()->mapFromGlobal(from - moved), from - moved,
                        Qt::MiddleButton, {}, Qt::NoModifier);
      QApplication::sendEvent(Picture(), &event);
    }
    QCOMPARE(scrolled(), before + QPoint(30, 40));
    const QPoint in_grid = QPoint(100, 70) + scrolled();
    const qreal scale = Picture()->devicePixelRatioF();
    const int pitch = Picture()->Pitch().Pitch();
    QCOMPARE(CellPressedAt({100, 70}),
             QPoint(qFloor(in_grid.x() * scale) / pitch, qFloor(in_grid.y() * scale) / pitch));
    // The keyboard's cell cursor stays in sight as it leaves what the box showed.
    Picture()->setFocus();
    for (int step = 0; step < 100; ++step) Key(step % 2 ? Qt::Key_Right : Qt::Key_Down);
    const QRect square = Picture()->CursorSquare();
    QVERIFY(Box()->viewport()->rect().contains(
        QRect(Picture()->mapTo(Box()->viewport(), square.topLeft()), square.size())));
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
};

QObject* MakeLayersAndStatusTest() {
  return new LayersAndStatusTest;
}

}  // namespace quarnel

#include "layers_and_status_test.moc"
