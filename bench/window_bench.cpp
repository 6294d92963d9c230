// Times the window's actions on a large template, from the event to the grid's repaint, beside
// one memchr pass over the same file, and the longest the window goes without answering while it
// saves. Run with QT_QPA_PLATFORM=offscreen; never run as a test.
#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

#include "bench/generated_template.h"
#include "editor/grid_view.h"
#include "window/mainfrm.h"
#include "window/surface_view.h"
#include "window/template_saver.h"

namespace {

using quarnel::MainFrm;

// The median of `runs` timings of `action`, each ending with the grid painted.
double MedianMs(MainFrm& window, int runs, const std::function<void()>& action) {
  auto* picture = window.findChild<quarnel::SurfaceView*>(QStringLiteral("Picture1"));
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    QApplication::processEvents();
    QElapsedTimer timer;
    timer.start();
    action();
    picture->repaint();
    times.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

QPoint CellPoint(int x, int y) {
  return {quarnel::kCellPitch * x + 4, quarnel::kCellPitch * y + 4};
}

}  // namespace

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  const long long lines = argc > 1 ? std::atoll(argv[1]) : 1'000'000;
  const std::string path = quarnel::bench::GeneratedTemplate({.lines = lines});
  MainFrm window([](QWidget*, const QString& message) {
    std::fprintf(stderr, "fault: %s\n", qPrintable(message));
  });
  window.show();
  window.SetTemplatePath(QString::fromStdString(path));
  const auto find = [&](const char* name) {
    return window.findChild<QWidget*>(QString::fromLatin1(name));
  };
  auto* picture = find("Picture1");
  auto* spinner = static_cast<QScrollBar*>(find("zscr"));

  constexpr int kRuns = 7;
  const double baseline = MedianMs(window, kRuns, [&] { quarnel::bench::CountLineEnds(path); });
  const double go =
      MedianMs(window, kRuns, [&] { QTest::mouseClick(find("Command2"), Qt::LeftButton); });
  const double next = MedianMs(window, kRuns,
                               [&] {
                                 QTest::mouseClick(find("Command2"), Qt::LeftButton);
                                 QTest::mouseClick(find("NextTile"), Qt::LeftButton);
                               }) -
                      go;
  auto* types = static_cast<QTableView*>(find("Types"));
  const double jump = MedianMs(window, kRuns, [&] {
    types->setFocus();
    types->selectRow(500);
    QTest::keyClick(types, Qt::Key_Return);
  });
  const double arrow = MedianMs(window, kRuns, [&] {
    spinner->setValue(0);
    spinner->triggerAction(QAbstractSlider::SliderSingleStepAdd);
  });
  // A first corner and a second corner on the layer shown; each mark is taken back after.
  int row = 0;
  const double press = MedianMs(window, kRuns, [&] {
    ++row;
    QTest::mouseClick(picture, Qt::LeftButton, {}, CellPoint(0, row % 50));
    QTest::mouseClick(picture, Qt::RightButton, {}, CellPoint(0, row % 50));
  });
  const double auto_cover = MedianMs(window, kRuns, [&] {
    QTest::mouseClick(find("AutoCover"), Qt::LeftButton);
    QTest::keyClick(picture, Qt::Key_Z, Qt::ControlModifier);
  });

  // Saving with the rest shortened: how long the window goes between two answers to a timer.
  auto* saver = window.findChild<quarnel::TemplateSaver*>(QStringLiteral("saver"));
  const QString target = QString::fromStdString(path + "-saved.tmp");
  saver->SetDialogs(
      [&](QWidget*, const QString&) {
        return std::optional<quarnel::TemplateSaver::Choice>({target, true});
      },
      [](QWidget*, const QString&, const QStringList&) { return 0; });
  QElapsedTimer since_tick;
  qint64 longest = 0;
  QTimer ticker;
  QObject::connect(&ticker, &QTimer::timeout,
                   [&] { longest = std::max(longest, since_tick.restart()); });
  ticker.start(5);
  since_tick.start();
  QElapsedTimer saving;
  saving.start();
  QTest::keyClick(&window, Qt::Key_S, Qt::ControlModifier);
  const qint64 save_ms = saving.elapsed();
  ticker.stop();
  std::remove(qPrintable(target));

  std::printf("| %lld lines | ms | × memchr |\n|---|---:|---:|\n", lines);
  const std::pair<const char*, double> rows[] = {
      {"one memchr pass", baseline},     {"go", go},
      {"Next Tile Type", next},          {"a panel jump", jump},
      {"a spinner arrow", arrow},        {"a press (first and second corner)", press},
      {"Auto, and its undo", auto_cover}};
  for (const auto& [what, ms] : rows)
    std::printf("| %s | %.1f | %.1f× |\n", what, ms, ms / baseline);
  std::printf(
      "\nsave with the rest shortened: %lld ms; the window's longest wait between two answers: "
      "%lld ms\n",
      static_cast<long long>(save_ms), static_cast<long long>(longest));
  return 0;
}
