// libFuzzer target: arbitrary bytes as a template, driven as a user drives the window: "go", then
// "Next Tile Type" until the run ends, each type drawn on several layers, marked and covered with
// Auto, with undo and redo. Checks that a fault changes nothing, that collected records are never
// lost, and that each type loads the cells the shortener's own reader gives it; then shortens the
// same bytes and applies records to them, whose self-checks must never find their output wrong,
// among them records whose ranges are empty, complete and not.
#include <sys/mman.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <numeric>
#include <optional>
#include <string>
#include <vector>

#include "editor/auto_cover.h"
#include "editor/covered.h"
#include "editor/grid_view.h"
#include "editor/layers.h"
#include "editor/marking.h"
#include "editor/steps.h"
#include "editor/undo.h"
#include "model/fault.h"
#include "shorten/apply.h"
#include "shorten/shorten.h"
#include "tests/support/cells.h"
#include "tests/support/window_record.h"

namespace {

using namespace quarnel;

void Check(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "broken: %s\n", what);
    std::abort();
  }
}

// A file in memory, named the same in every run: a path that differed (a process id in it) could
// steer the fuzzer differently from run to run.
const std::string& TemplatePath() {
  static const std::string path = [] {
    const int fd = ::memfd_create("quarnel-fuzz.tmp", 0);
    Check(fd >= 0, "no file in memory for the template");
    return "/proc/self/fd/" + std::to_string(fd);
  }();
  return path;
}

// One step of the run; a fault must leave the program as it was.
template <typename Step>
void RunStep(Program& program, WindowRecord& window, Step step) {
  const std::string curtype = program.curtype;
  const std::string caption = window.caption;
  const std::size_t shown = program.donelist.Shown().size();
  const std::string output = window.output;
  try {
    step(program);
  } catch (const Fault&) {
    Check(program.curtype == curtype, "a fault changed the current type");
    Check(window.caption == caption, "a fault changed the caption");
    Check(program.donelist.Shown().size() == shown, "a fault changed the run");
  }
  Check(window.output == output, "a step changed the output");
}

// Each type's cells as the shortener reads them, or nothing if it refuses the template.
std::optional<std::map<std::string, std::vector<std::uint32_t>>> CellsByType(
    std::string_view text) {
  try {
    std::map<std::string, std::vector<std::uint32_t>> cells;
    for (auto& type : ReadTypeCells("fuzz", text)) cells[type.key] = std::move(type.cells);
    return cells;
  } catch (const Fault&) {
    return std::nullopt;
  }
}

// Whether the loaded array holds exactly `cells`.
bool Holds(const TileArray& tilearray, const std::vector<std::uint32_t>& cells) {
  const int set = std::accumulate(tilearray.layer_count.begin(), tilearray.layer_count.end(), 0);
  return set == static_cast<int>(cells.size()) &&
         std::all_of(cells.begin(), cells.end(),
                     [&](std::uint32_t cell) { return tilearray.flags[cell] != 0; });
}

// Records whose ranges are empty, of a type the input has: a complete one is applied and changes
// no cell, wherever its corners lie; an incomplete one is refused. `--check` of the result against
// the input finds no difference, and agrees with the comparison of each type's listed cells.
template <typename Byte>
void CheckEmptyRanges(std::string_view text,
                      const std::optional<std::map<std::string, std::vector<std::uint32_t>>>& cells,
                      Byte byte) {
  if (!cells || cells->empty()) return;
  const std::string& key = cells->begin()->first;
  const int low = byte() % 50 - 3;
  const int high = low + 1 + byte() % (47 - low);
  const int other = byte() % 51 - 3;
  const std::string bounds = std::to_string(high) + " " + std::to_string(low) + " " +
                             std::to_string(other) + " " + std::to_string(other);
  const std::string complete = "TILEW " + key + " " + bounds + " " + std::to_string(byte() % 101);
  Applied applied;
  try {
    applied = ApplyRecords("records", complete + "\n", "fuzz", text, false);
  } catch (const Fault&) {
    Check(false, "a complete record that covers nothing was refused");
  }
  const std::string_view result(applied.text);
  Check(result.ends_with(complete + "\r\n"), "a record that covers nothing went astray");
  const Comparison same = CompareTemplates("fuzz", text, "applied", result);
  Check(!same.difference, "a record that covers nothing changed the tiles");
  const auto listed =
      FirstDifference(ReadTypeCells("fuzz", text), ReadTypeCells("applied", result));
  Check(!listed, "the two comparisons disagree");
  for (const std::string& incomplete :
       {"TILEW " + key + " " + std::to_string(high) + " " + std::to_string(low),
        "TILEW " + key + " " + bounds + " 101", "TILEW " + key + " " + bounds + " x"}) {
    try {
      ApplyRecords("records", incomplete, "fuzz", text, true);
      Check(false, "an incomplete record was applied");
    } catch (const SelfCheckFailure&) {
      Check(false, "applying an incomplete record lost or gained tiles");
    } catch (const Fault&) {
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  {
    std::ofstream out(TemplatePath(), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  WindowRecord window;
  window.path = TemplatePath();
  Program program(window);
  window.on_output_change = [&] { OutputChanged(program); };
  window.on_layer_change = [&] {
    try {
      ZscrChange(program);
    } catch (const Fault&) {
    }
    Check(window.layer_text == std::to_string(window.layer), "the layer box lags the spinner");
  };

  // Presses come from the input's bytes, so the fuzzer steers them too.
  std::size_t next_byte = 0;
  const auto byte = [&] { return size == 0 ? 0 : data[next_byte++ % size]; };

  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const auto cells = CellsByType(text);
  const auto check_load = [&] {
    if (!cells || program.curtype.empty()) return;
    const auto found = cells->find(program.curtype);
    Check(found != cells->end() && Holds(program.tilearray, found->second),
          "a load and the shortener's reader disagree");
  };

  RunStep(program, window, StartTiles);
  check_load();
  constexpr int kMaxSteps = 32;
  for (int step = 0; step < kMaxSteps; ++step) {
    for (const int layer : {100, 1, 0}) {
      window.SetLayer(layer);
      const std::string on_arrival = window.output;
      std::vector<Addition> added;
      for (int press = 0; press < 3; ++press) {
        const std::string before = window.output;
        const int button = 1 + byte() % 3;
        const auto x = static_cast<float>(byte() * 2 + byte() % 2);
        const auto y = static_cast<float>(byte() * 2);
        PressResult result = PictureMouseDown(program, button, x, y, byte() % 2 == 0);
        Check(window.output.starts_with(before), "a press lost a record");
        if (result.added) added.push_back(std::move(*result.added));
      }
      if (layer == 1) {
        const std::string before = window.output;
        AutoResult result = AutoCover(program);
        Check(window.output.starts_with(before), "Auto lost a record");
        if (result.added) added.push_back(std::move(*result.added));
      }
      // Taking every addition back, then putting them again, gives the same texts.
      const std::string done = window.output;
      for (auto a = added.rbegin(); a != added.rend(); ++a) {
        Check(UndoAddition(program, *a).empty(), "an undo was refused");
      }
      Check(window.output == on_arrival, "undo left records behind");
      for (const Addition& a : added) RedoAddition(program, a);
      Check(window.output == done, "redo lost records");
    }
    const std::size_t shown = program.donelist.Shown().size();
    RunStep(program, window, [&window](Program& p) {
      DoNextTile(p);
      window.SetLayer(0);
    });
    if (program.donelist.Shown().size() == shown) break;  // the run is over, or the step faulted
    check_load();
  }

  try {
    Shorten("fuzz", text);
  } catch (const SelfCheckFailure&) {
    Check(false, "the shortened template lost or gained tiles");
  } catch (const Fault&) {
  }
  // The records the run collected, and the input's own lines, applied to the input: refused or
  // applied, never wrong.
  const std::size_t cut = size == 0 ? 0 : data[0] % (size + 1);
  for (const std::string_view records : {std::string_view(window.output), text.substr(0, cut)}) {
    for (const bool allow_new_cells : {false, true}) {
      try {
        ApplyRecords("records", records, "fuzz", text, allow_new_cells);
      } catch (const SelfCheckFailure&) {
        Check(false, "applying records lost or gained tiles");
      } catch (const Fault&) {
      }
    }
  }
  CheckEmptyRanges(text, cells, byte);
  return 0;
}
