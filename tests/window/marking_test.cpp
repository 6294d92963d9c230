// The main window: marking, Auto, undo and the keyboard.
#include "tests/window/mainfrm_fixture.h"

namespace quarnel {

class MarkingTest : public MainFrmFixture {
  Q_OBJECT

 private slots:
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
    // The box shows the byte as \xFF and reads it back: an edit of the box keeps the record's type.
    Press(Qt::LeftButton, 1, 1);
    Press(Qt::RightButton, 1, 1);
    QCOMPARE(Output()->toPlainText(), QStringLiteral("TILEW \x1B]0;x\x07 \\xFF -2 -2 -2 -2 0\n"));
    Output()->setFocus();
    Key(Qt::Key_Space);
    Key(Qt::Key_Backspace);
    QCOMPARE(window_->OutputText(), std::string("TILEW \x1b]0;x\x07 \xff -2 -2 -2 -2 0\r\n"));
    QCOMPARE(CellColour(1, 1), kBlue);
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

    // Another file named in the path box: Next Tile Type reads the template go read, still.
    PathBox()->setText(folder_.filePath(QStringLiteral("missing.tmp")));
    Click("NextTile");
    QCOMPARE(faults_.size(), 3);
    QCOMPARE(faults_.at(2), faults_.at(1));

    WriteTemplate("map.tmp", "Map\r\n B\r\n7 3 1 1 0\r\n8 1 2 2 0\r\n");
    Click("NextTile");  // mended, the same step goes through
    QCOMPARE(faults_.size(), 3);
    QCOMPARE(window_->program().curtype, std::string("8 1"));
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

    // Typing leaves the caret where the user types: each key lands after the one before.
    QTextCursor start = Output()->textCursor();
    start.setPosition(0);
    Output()->setTextCursor(start);
    Output()->setFocus();
    QTest::keyClicks(Output(), QStringLiteral("xy"));
    QCOMPARE(Output()->textCursor().position(), 2);
    QCOMPARE(window_->OutputText(), std::string("xyTILEW 7 3 1 2 3 4 2\r\nTILEW 8 1 0 0 0 0 0\r\n"));
  }

  void aLargeChangeReachesTheBoxInSlicesWhileTheWindowAnswers() {
    const auto lines = [](int from, int to, const char* type) {
      std::string text;
      for (int n = from; n < to; ++n) {
        text += std::string("TILEW ") + type + " " + std::to_string(n % 50) + " 0 0 0 " +
                std::to_string(n % 10) + "\r\n";
      }
      return text;
    };
    const std::string many = lines(0, 60'000, "7 3");
    // Each step's text, from the one before: added at the end, taken from the end, changed in the
    // middle, a last line without its end, emptied.
    const std::string steps[] = {
        "TILEW 7 3 1 1 1 1 0\r\n",
        "TILEW 7 3 1 1 1 1 0\r\n" + many,
        lines(0, 20'000, "7 3") + lines(0, 30'000, "8 1") + lines(50'000, 60'000, "7 3"),
        many.substr(0, 200'000) + "TILEW 9 9 0 0 0 0 0",
        "",
    };
    for (const std::string& step : steps) {
      window_->SetOutputText(step);
      QCOMPARE(window_->OutputText(), step);  // the program has it at once
      const bool slices = !Output()->Shown();
      QCOMPARE(Output()->isReadOnly(), slices);
      while (!Output()->Shown()) QApplication::processEvents();
      QCOMPARE(Output()->isReadOnly(), false);
      QCOMPARE(WithCrLf(Output()->toPlainText()).toStdString(), step);
    }
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
    QCOMPARE(CellColour(6, 6), kNoTile);  // a cell the record adds
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

  void aDragMarksWithItsOutlineShowing() {
    Go("Map\r\n\r\n7 3 4 6 0\r\n7 3 5 6 0\r\n7 3 6 6 0\r\n");
    QTest::mousePress(Picture(), Qt::LeftButton, {}, CellPoint(4, 6));
    QTest::mouseMove(Picture(), CellPoint(5, 6));
    QCOMPARE(Picture()->Preview(), QRect(QPoint(4, 6), QPoint(5, 6)));
    QTest::mouseRelease(Picture(), Qt::LeftButton, {}, CellPoint(5, 6));
    QCOMPARE(std::string(Output()->Text()), std::string("TILEW 7 3 1 2 3 3 0\r\n"));
    QCOMPARE(CellColour(5, 6), kBlue);
    QCOMPARE(CellColour(6, 6), kRed);
    Key(Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(std::string(Output()->Text()), std::string());
  }

  void aMarkIsFoundFromItsRecordAndRemoved() {
    Go("Map\r\n\r\n7 3 4 6 0\r\n7 3 5 6 0\r\n7 3 6 6 0\r\n7 3 1 1 2\r\n");
    Press(Qt::LeftButton, 4, 6);
    Press(Qt::RightButton, 5, 6);
    Press(Qt::LeftButton, 6, 6);
    Press(Qt::RightButton, 6, 6);
    const std::string both = "TILEW 7 3 1 2 3 3 0\r\nTILEW 7 3 3 3 3 3 0\r\n";
    QCOMPARE(std::string(Output()->Text()), both);
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
    QCOMPARE(std::string(Output()->Text()), std::string("TILEW 7 3 1 2 3 3 0\r\n"));
    QCOMPARE(CellColour(6, 6), kRed);
    Key(Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(std::string(Output()->Text()), both);
    QCOMPARE(CellColour(6, 6), kBlue);
    // A Ctrl + press that finds no record leaves nothing selected, out of sight, for Delete.
    QTest::mouseClick(Picture(), Qt::LeftButton, Qt::ControlModifier, CellPoint(6, 6));
    QTest::mouseClick(Picture(), Qt::LeftButton, Qt::ControlModifier, CellPoint(8, 8));
    QVERIFY(Says("no record of the box covers this square"));
    QCOMPARE(Picture()->Selection(), QRect());
    Picture()->setFocus();
    Key(Qt::Key_Delete);
    QCOMPARE(std::string(Output()->Text()), both);
    // A record of another layer shows that layer.
    Output()->SetText(both + "TILEW 7 3 -2 -2 -2 -2 2\r\n");
    QTextCursor last(Output()->document()->lastBlock().previous());
    Output()->setTextCursor(last);
    QCOMPARE(Spinner()->value(), 2);
    QCOMPARE(Picture()->Selection(), QRect(QPoint(1, 1), QPoint(1, 1)));
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
    QCOMPARE(CellColour(4, 3), kNoTile);
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
};

QObject* MakeMarkingTest() {
  return new MarkingTest;
}

}  // namespace quarnel

#include "marking_test.moc"
