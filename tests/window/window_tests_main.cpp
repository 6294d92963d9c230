// Runs the main window's tests, one object per concern, as one program under each scale.
#include <QApplication>
#include <QTest>
#include <memory>

namespace quarnel {
QObject* MakeMarkingTest();
QObject* MakeSavingTest();
QObject* MakePanelTest();
QObject* MakeLayersAndStatusTest();
}  // namespace quarnel

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  app.setAttribute(Qt::AA_Use96Dpi, true);
  int failed = 0;
  for (auto* make : {quarnel::MakeMarkingTest, quarnel::MakeSavingTest, quarnel::MakePanelTest,
                     quarnel::MakeLayersAndStatusTest}) {
    const std::unique_ptr<QObject> test(make());
    failed += QTest::qExec(test.get(), argc, argv);
  }
  return failed == 0 ? 0 : 1;
}
