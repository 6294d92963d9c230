// Runs the main window's tests, one object per concern, as one program under each scale.
#include <QApplication>
#include <QTest>
#include <algorithm>
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
  // Test functions named on the command line run in the object that has them, alone.
  QList<QByteArray> named;
  for (int i = 1; i < argc; ++i) {
    if (argv[i][0] != '-') named << QByteArray(argv[i]) + "()";
  }
  for (auto* make : {quarnel::MakeMarkingTest, quarnel::MakeSavingTest, quarnel::MakePanelTest,
                     quarnel::MakeLayersAndStatusTest}) {
    const std::unique_ptr<QObject> test(make());
    const auto has = [&](const QByteArray& name) {
      return test->metaObject()->indexOfMethod(name.constData()) >= 0;
    };
    if (!named.isEmpty() && std::none_of(named.begin(), named.end(), has)) continue;
    failed += QTest::qExec(test.get(), argc, argv);
  }
  return failed == 0 ? 0 : 1;
}
