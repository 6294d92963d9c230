// Times the window's actions on a large template, from the event to the grid's repaint, beside
// one memchr pass over the same file, and the longest the window goes without answering while it
// saves. Run with QT_QPA_PLATFORM=offscreen; never run as a test.
#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <tuple>
#include <vector>

#include "bench/generated_template.h"
#include "editor/grid_view.h"
#include "window/mainfrm.h"
#include "window/output_box.h"
#include "window/surface_view.h"

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
  const int type_count = argc > 2 ? std::atoi(argv[2]) : 1'000;
  const std::string path = quarnel::bench::GeneratedTemplate({.lines = lines, .types = type_count});
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
    spinner->triggerAction(QAbstractSlider::SliderSingleStepSub);  // up a layer
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

  // Long work: how long each step takes and the longest the window goes between two answers to
  // a timer meanwhile, beside the command as a process on the same template.
  const QString target = QString::fromStdString(path + "-saved.tmp");
  bool shorten_rest = false;
  window.SetDialogs(
      [&](QWidget*, const QString&, bool) {
        return std::optional<quarnel::MainFrm::SaveChoice>({target, shorten_rest});
      },
      [](QWidget*, const QString&, const QStringList&) { return 0; });
  auto* box = window.findChild<quarnel::OutputBox*>(QStringLiteral("comlist"));
  struct Took {
    double answered = 0;  // the window shows the result, but for the output box's last lines
    double shown = 0;     // and those too
    qint64 longest = 0;   // the longest wait between two answers to a timer
  };
  const auto answering = [&](const std::function<void()>& step) {
    QElapsedTimer since_tick;
    qint64 longest = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout,
                     [&] { longest = std::max(longest, since_tick.restart()); });
    ticker.start(5);
    since_tick.start();
    QElapsedTimer timer;
    timer.start();
    step();
    while (window.Working()) QApplication::processEvents();
    const double answered = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    // Until the output box shows every record, the step has not ended for the user.
    while (!box->Shown()) QApplication::processEvents();
    picture->repaint();
    QApplication::processEvents();
    longest = std::max(longest, since_tick.elapsed());
    return Took{answered, static_cast<double>(timer.nsecsElapsed()) / 1e6, longest};
  };
  QTest::mouseClick(find("Command2"), Qt::LeftButton);
  const auto auto_all =
      answering([&] { window.findChild<QAction*>(QStringLiteral("AutoEveryType"))->trigger(); });
  // The records Auto all wrote, for the command's --apply.
  const std::string records = path + "-records.txt";
  std::FILE* out = std::fopen(records.c_str(), "wb");
  const std::size_t records_bytes = window.OutputText().size();
  std::fputs(window.OutputText().c_str(), out);
  std::fclose(out);
  const auto save = answering([&] { QTest::mouseClick(find("Save"), Qt::LeftButton); });
  shorten_rest = true;
  // Ticked in the dialog, the template is made again with the option; the next save keeps it.
  const auto save_rest = answering([&] { QTest::mouseClick(find("Save"), Qt::LeftButton); });
  const auto save_rest_again = answering([&] { QTest::mouseClick(find("Save"), Qt::LeftButton); });
  const auto undo = answering([&] { QTest::keyClick(picture, Qt::Key_Z, Qt::ControlModifier); });
  // The command's time varies most from run to run: the median of five.
  const auto process = [&](const std::string& command) {
    std::vector<double> runs;
    for (int run = 0; run < 5; ++run) {
      QElapsedTimer timer;
      timer.start();
      if (std::system(command.c_str()) != 0) std::fprintf(stderr, "failed: %s\n", command.c_str());
      runs.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(runs.begin(), runs.end());
    return runs[runs.size() / 2];
  };
  const std::string command = std::string("'") + QUARNEL_SHORTEN + "' ";
  const double shorten = process(command + "'" + path + "' >/dev/null 2>&1");
  const double apply =
      process(command + "--apply '" + records + "' '" + path + "' >/dev/null 2>&1");
  const double apply_rest = process(command + "--apply '" + records + "' '" + path +
                                    "' 2>/dev/null | " + command + "- >/dev/null 2>&1");
  std::remove(qPrintable(target));
  std::remove(records.c_str());

  std::printf("| %lld lines | ms | × memchr |\n|---|---:|---:|\n", lines);
  const std::pair<const char*, double> rows[] = {
      {"one memchr pass", baseline},     {"go", go},
      {"Next Tile Type", next},          {"a panel jump", jump},
      {"a spinner arrow", arrow},        {"a press (first and second corner)", press},
      {"Auto, and its undo", auto_cover}};
  for (const auto& [what, ms] : rows)
    std::printf("| %s | %.1f | %.1f× |\n", what, ms, ms / baseline);
  std::printf(
      "\n| long work | result shown ms | box filled ms | longest wait ms | command ms | "
      "× command |\n|---|---:|---:|---:|---:|---:|\n");
  const std::tuple<const char*, Took, const char*, double> long_rows[] = {
      {"Auto all, every type", auto_all, "quarnel-shorten", shorten},
      {"its undo", undo, "", 0},
      {"Save", save, "--apply", apply},
      {"Save, the rest shortened (ticked in the dialog)", save_rest, "--apply | quarnel-shorten -",
       apply_rest},
      {"Save again, the rest shortened", save_rest_again, "--apply | quarnel-shorten -",
       apply_rest}};
  for (const auto& [what, took, versus, ms] : long_rows) {
    std::printf("| %s | %.0f | %.0f | %lld |", what, took.answered, took.shown,
                static_cast<long long>(took.longest));
    if (ms > 0) {
      std::printf(" %.0f (%s) | %.2f× |\n", ms, versus, took.answered / ms);
    } else {
      std::printf(" | |\n");
    }
  }
  std::printf("\noutput box after Auto all: %zu bytes\n", records_bytes);
  return 0;
}
