// The main window: the types panel.
#include "tests/window/mainfrm_fixture.h"

namespace quarnel {

class PanelTest : public MainFrmFixture {
  Q_OBJECT

 private slots:
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
    // The highlight stays on the current type, (7, 3), now further down.
    const int highlighted = view->selectionModel()->selectedRows().value(0).row();
    QVERIFY(highlighted > 0);
    QCOMPARE(cell(highlighted, 5), QStringLiteral("current"));
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
};

QObject* MakePanelTest() {
  return new PanelTest;
}

}  // namespace quarnel

#include "panel_test.moc"
