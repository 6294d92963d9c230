// Times quarnel.exe's actions on a large template, from the event to the grid's repaint, under
// Wine or on Windows: go, Next Tile Type, a spinner arrow, a press (a first and a second corner),
// an arrow key on the grid, medians of 7, beside one pass reading the file; then Auto on every
// type run as quarnel.exe's message loop runs it, until the output box holds every record, with
// the longest the window went without answering meanwhile. Never run as a test.
//   win32_bench.exe TEMPLATE   (bench/generated_template makes the 1,000,000-line one natively)
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <fstream>
#include <functional>
#include <thread>
#include <vector>

#include "win32/main_window.h"

namespace {

using quarnel::MainWindow;

double Now() {
  LARGE_INTEGER count, frequency;
  QueryPerformanceCounter(&count);
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(count.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

void Drain() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

double MedianMs(HWND grid, const std::function<void()>& action) {
  std::vector<double> times;
  for (int run = 0; run < 7; ++run) {
    Drain();
    const double start = Now();
    action();
    UpdateWindow(grid);  // the grid's paint, now
    times.push_back(Now() - start);
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

// Auto on every type, the window's loop run as main.cpp runs it while another thread sends the
// window a message every millisecond: the longest wait for an answer is the longest the window
// did not answer.
void AutoEveryType(MainWindow& window, const std::function<void(int)>& click) {
  const HWND main = window.Handle();
  std::atomic<bool> done{false}, ended{false};
  std::atomic<double> longest{0};
  std::thread probe([&] {
    while (!done) {
      const double start = Now();
      SendMessageW(main, WM_NULL, 0, 0);
      longest = std::max(longest.load(), Now() - start);
      Sleep(1);
    }
    ended = true;
  });
  const auto pump = [] {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  };
  pump();
  const double start = Now();
  click(MainWindow::kAutoEveryType);
  do {
    pump();
  } while (window.Work());
  const double filled = Now() - start;
  done = true;
  while (!ended) pump();  // its last message answered
  probe.join();
  const HWND box = GetDlgItem(main, MainWindow::kComlist);
  const auto lines = SendMessageW(box, EM_GETLINECOUNT, 0, 0);
  std::printf(
      "| Auto all, every type: the box filled (%lld lines) | %.0f |\n"
      "| the longest the window did not answer meanwhile | %.0f |\n",
      static_cast<long long>(lines), filled, longest.load());
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) return 2;
  const INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);
  MainWindow window;
  const HWND main = window.Handle();
  ShowWindow(main, SW_SHOW);
  const auto item = [&](int id) { return GetDlgItem(main, id); };
  const HWND grid = item(MainWindow::kPicture1);
  const auto click = [&](int id) {
    SendMessageW(main, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(item(id)));
  };
  SetWindowTextW(item(MainWindow::kThefile), argv[1]);

  const double read = MedianMs(grid, [&] {
    std::ifstream file(argv[1], std::ios::binary);
    std::vector<char> block(1 << 20);
    while (file.read(block.data(), static_cast<std::streamsize>(block.size())) || file.gcount()) {
    }
  });
  const double go = MedianMs(grid, [&] { click(MainWindow::kCommand2); });
  const double next = MedianMs(grid,
                               [&] {
                                 click(MainWindow::kCommand2);
                                 click(MainWindow::kNextTile);
                               }) -
                      go;
  const auto step = [&](int delta) {
    NMUPDOWN change{};
    change.hdr = {item(MainWindow::kZscr), MainWindow::kZscr, UDN_DELTAPOS};
    change.iDelta = delta;
    SendMessageW(main, WM_NOTIFY, MainWindow::kZscr, reinterpret_cast<LPARAM>(&change));
  };
  const double arrow = MedianMs(grid,
                                [&] {
                                  step(-1);
                                  step(1);
                                }) /
                       2;
  int row = 0;
  const double press = MedianMs(grid, [&] {
    ++row;
    const LPARAM at = MAKELPARAM(4, (row % 50) * 10 + 4);
    SendMessageW(grid, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(grid, WM_LBUTTONUP, 0, at);
    SendMessageW(grid, WM_RBUTTONDOWN, MK_RBUTTON, at);
    SendMessageW(grid, WM_RBUTTONUP, 0, at);
  });
  SetFocus(grid);
  const double key = MedianMs(grid, [&] {
    MSG message{};
    message.hwnd = grid;
    message.message = WM_KEYDOWN;
    message.wParam = row++ % 2 ? VK_RIGHT : VK_LEFT;
    window.TakeKey(message);
  });
  std::printf(
      "| action | ms |\n|---|---:|\n| reading the file once | %.1f |\n| go | %.1f |\n"
      "| Next Tile Type | %.1f |\n| a spinner arrow | %.1f |\n"
      "| a press (first and second corner) | %.1f |\n| an arrow key on the grid | %.1f |\n",
      read, go, next, arrow, press, key);
  AutoEveryType(window, click);
  return 0;
}
