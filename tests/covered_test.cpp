#include "editor/covered.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "editor/auto_cover.h"
#include "editor/grid_view.h"
#include "editor/layers.h"
#include "editor/marking.h"
#include "editor/panel.h"
#include "editor/steps.h"
#include "tests/support/cells.h"
#include "tests/test_template.h"

namespace quarnel {
namespace {

using testing::Cell;
using testing::SetCells;
using testing::Template;
using testing::TempTemplate;
using testing::TestProgram;
using std::string_literals::operator""s;

TEST(CoveredCells, CountsTheTypesRectangleRecordsAndPassesOverEverythingElse) {
  const struct {
    const char* box;
    std::set<Cell> cells;
  } cases[] = {
      {"", {}},
      {"TILEW 7 3 0 1 2 2 4\r\n", {{3, 5, 4}, {4, 5, 4}}},
      {"TILEW 7 3 0 0 0 0 4\nTILEW 8 3 1 1 1 1 4\nTILEW 7 3 0 0 0 0 5", {{3, 3, 4}, {3, 3, 5}}},
      // Lines that are no record, or that no load would take, count for nothing; the rest does.
      {"mine\r\n7 3 1 1 4\r\n\r\nTILEW 7 3 0 0 0 0 999\r\nTILEW 7 3 x 0 0 0 4\r\n"
       "TILEW 7 3 1 1 1 1 4\r\nTILEW 7\r\nTILEW 7 3 1 1 1 1 6",
       {{4, 4, 4}, {4, 4, 6}}},
      {"TILEW 7 3 2 1 0 0 4\r\n", {}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SetCells(CoveredCells(c.box, "7 3")), c.cells) << c.box;
  }
}

// Type (7, 3) with cells (4..6, 6) and (9, 9) on layer 2 and (1, 1) on layer 0, drawn on layer 2.
struct Marked {
  TempTemplate file{Template({"7 3 4 6 2", "7 3 5 6 2", "7 3 6 6 2", "7 3 9 9 2", "7 3 1 1 0"})};
  TestProgram t{file.Path()};
  Marked() {
    t.window.on_layer_change = [this] { ZscrChange(t.program); };
    t.window.layer = 2;
    t.window.layer_text = "2";
    StartTiles(t.program);
  }
  Colour At(int x, int y) const { return t.window.surface.PointColour(10 * x, 10 * y); }
  void Mark(int x1, int y1, int x2, int y2) {
    PictureMouseDown(t.program, kLeftButton, 10 * x1 + 4, 10 * y1 + 4);
    PictureMouseDown(t.program, kRightButton, 10 * x2 + 4, 10 * y2 + 4);
  }
};

TEST(CoveredCells, StayBlueAcrossLayersAndTypesAndFollowHandEdits) {
  Marked m;
  m.Mark(4, 6, 5, 6);
  ASSERT_EQ(m.t.window.output, "TILEW 7 3 1 2 3 3 2\r\n");
  m.t.window.SetLayer(0);
  m.t.window.SetLayer(2);
  EXPECT_EQ(m.At(4, 6), kBlue);
  EXPECT_EQ(m.At(5, 6), kBlue);
  EXPECT_EQ(m.At(6, 6), kRed);
  // Shown again by a new run: still blue, and a blue square starts no rectangle.
  StartTiles(m.t.program);
  EXPECT_EQ(m.At(4, 6), kBlue);
  PictureMouseDown(m.t.program, kLeftButton, 44, 64);
  EXPECT_FALSE(m.t.program.has_first_corner);
  // A hand edit counts at once; a line that is no record is left alone.
  m.t.window.SetOutputText("my notes\r\n");
  EXPECT_EQ(m.At(4, 6), kRed);
  EXPECT_EQ(m.At(1, 1), kBlack);
}

// Cells the template's own rectangle records hold are covered already, whichever way the type is
// read: the run's first type, the next one, or one shown from the panel.
TEST(CoveredCells, TheTemplatesRectangleRecordsCoverTheirCells) {
  TempTemplate file(Template({"7 3 1 1 0", "7 3 2 1 0", "TILEW 7 3 -2 -2 -2 -2 0", "8 1 1 1 0",
                              "8 1 2 1 0", "TILEW 8 1 -2 -1 -2 -2 0", "9 9 5 5 0"}));
  const struct {
    const char* what;
    std::function<void(Program&)> show;
    const char* type;
  } cases[] = {
      {"the first type", [](Program& p) { StartTiles(p); }, "7 3"},
      {"the next type", [](Program& p) { StartTiles(p), DoNextTile(p); }, "8 1"},
      {"a type from the panel", [](Program& p) { StartTiles(p), ShowType(p, 0); }, "7 3"},
  };
  for (const auto& c : cases) {
    TestProgram t(file.Path());
    c.show(t.program);
    ASSERT_EQ(t.program.curtype, c.type) << c.what;
    EXPECT_EQ(t.window.surface.PointColour(14, 14), kBlue) << c.what;
    EXPECT_EQ(t.window.surface.PointColour(24, 14), c.type == std::string("8 1") ? kBlue : kRed)
        << c.what;
    const AutoResult result = AutoCover(t.program);
    EXPECT_EQ(result.cells, c.type == std::string("8 1") ? 0 : 1) << c.what;
  }
  // The panel counts them covered; a type they hold wholly is all covered.
  TestProgram t(file.Path());
  StartTiles(t.program);
  const auto covered = [&](const char* key) {
    const TypeRow& r = t.program.types.rows[static_cast<std::size_t>(t.program.types.RowOf(key))];
    return std::pair(r.covered, r.cells);
  };
  EXPECT_EQ(covered("7 3"), std::pair(1u, 2u));
  EXPECT_EQ(covered("9 9"), std::pair(0u, 1u));
  // Until a type is shown, a cell given twice counts twice; shown, its count is exact.
  EXPECT_EQ(covered("8 1"), std::pair(2u, 4u));
  DoNextTile(t.program);
  EXPECT_EQ(covered("8 1"), std::pair(2u, 2u));
}

// A type shown before counts exactly what it counted while current: its cells that records cover,
// not the empty cells they cover too (a Shift mark's), nor a cell held twice, whichever comes
// first.
TEST(CoveredCells, AShownTypeKeepsItsExactCountWhenAnotherIsCurrent) {
  // 7 3: six cells on layer 0, (30..31, 30) held by the template's record, (30, 30) given twice.
  TempTemplate file(Template({"7 3 3 3 0", "7 3 4 3 0", "7 3 4 4 0", "7 3 20 20 0", "7 3 30 30 0",
                              "TILEW 7 3 27 28 27 27 0", "8 1 1 1 0", "8 1 40 40 0", "9 9 2 2 0"}));
  const struct {
    const char* box;
    std::uint32_t covered;
  } cases[] = {
      {"", 2},
      {"TILEW 7 3 0 1 0 1 0\r\n", 5},
      {"TILEW 7 3 27 28 27 27 0\r\nTILEW 7 3 0 1 0 1 0\r\nTILEW 7 3 0 0 0 0 0\r\n", 5},
      {"TILEW 7 3 -3 47 -3 47 0\r\n", 6},
  };
  for (const auto& c : cases) {
    for (const bool box_first : {true, false}) {
      TestProgram t(file.Path());
      StartTiles(t.program);
      const TypeRow& row = t.program.types.rows[0];
      if (box_first) {
        t.window.SetOutputText(c.box);
        EXPECT_EQ(row.covered, c.covered) << c.box << " while current";
      }
      DoNextTile(t.program);
      if (!box_first) t.window.SetOutputText(c.box);
      EXPECT_EQ(row.covered, c.covered) << c.box << (box_first ? " marked first" : " marked after");
      EXPECT_EQ(StateText(StateOf(t.program, 0)), c.covered == 6 ? "all covered"s : "shown"s);
    }
  }
  // Two types shown before, counted in one read: each counts its own cells only.
  TestProgram t(file.Path());
  StartTiles(t.program);
  DoNextTile(t.program);
  DoNextTile(t.program);
  t.window.SetOutputText("TILEW 7 3 0 1 0 1 0\r\nTILEW 8 1 -3 1 -3 1 0\r\n");
  EXPECT_EQ(t.program.types.rows[0].covered, 5u);
  EXPECT_EQ(t.program.types.rows[1].covered, 1u);
}

// Another type's count: the distinct cells its records in the box cover, up to its cells.
TEST(CoveredCells, CountsEachOtherTypesDistinctCellsOnce) {
  std::string body = "7 3 1 1 0\r\n9 9 5 5 0\r\n";
  for (int cell = 0; cell < 3 * kColumns; ++cell) {  // three rows of 8 1 on layer 0
    body +=
        "8 1 " + std::to_string(cell % kColumns) + " " + std::to_string(cell / kColumns) + " 0\r\n";
  }
  TempTemplate file(Template({}) + body);
  const struct {
    const char* box;
    std::uint32_t covered;
  } cases[] = {
      {"TILEW 8 1 -3 47 -3 -3 0", kColumns},
      {"TILEW 8 1 47 47 -3 -1 0", 3},
      {"TILEW 8 1 -3 -2 -3 -3 0\r\nTILEW 8 1 -2 -1 -3 -2 0", 5},
      {"TILEW 8 1 0 0 0 0 0\r\nTILEW 8 1 0 0 0 0 1", 2},
      {"TILEW 9 9 0 0 0 0 0\r\nTILEW 8 1 0 0 0 0 0", 1},
      {"TILEW 8 1 -3 47 -3 47 0", 3 * kColumns},
      {"TILEW 8 1 -2.5 0.5 -3 -3 0", 3},  // columns 0, 2 and 4: three boxes
  };
  for (const auto& c : cases) {
    TestProgram t(file.Path());
    StartTiles(t.program);
    t.window.SetOutputText(c.box);
    EXPECT_EQ(t.program.types.rows[static_cast<std::size_t>(t.program.types.RowOf("8 1"))].covered,
              c.covered)
        << c.box;
  }
}

// The box read again after each change counts as a read of the whole box does: lines added or
// taken at its end, a line finished, hand edits, another type, the template read again, a new run.
TEST(CoveredCells, EachChangeOfTheBoxCountsAsReadingItWhole) {
  std::string body = "7 3 4 6 2\r\n7 3 6 6 2\r\n7 3 9 9 2\r\n7 3 1 1 0\r\n9 9 2 2 0\r\n";
  for (int x = 0; x < kColumns; ++x) body += "8 1 " + std::to_string(x) + " 0 0\r\n";
  body += "8 1 0 0 1\r\n8 1 0 0 10\r\nTILEW 7 3 -2 -2 -2 -2 0\r\n";
  TempTemplate file(Template({}) + body);
  TestProgram t(file.Path());
  StartTiles(t.program);
  std::string& box = t.window.output;
  const auto add = [&](std::string lines) { t.window.SetOutputText(box + lines); };
  // Added with their records read beside the window, for `curtype` (the current type's if empty).
  const auto add_read = [&](const std::string& lines, std::string curtype) {
    t.program.covered_read.added = ReadAddedLines(
        lines, box.size(), [&](std::string_view key) { return t.program.types.RowOf(key); },
        curtype.empty() ? t.program.curtype : curtype, t.program.runs);
    add(lines);
  };
  const std::string several =
      "TILEW 8 1 -3 -1 -3 -3 0\r\nnotes\r\nTILEW 7 3 0.5 2.5 3 3 2\r\nTILEW 8 1 -2.5 0.5 -3 -3 "
      "0\r\n";
  const auto cut = [&](const char* from) { t.window.SetOutputText(box.substr(0, box.find(from))); };
  const auto show = [&](const char* key) {
    ShowType(t.program, static_cast<std::size_t>(t.program.types.RowOf(key)));
  };
  const struct {
    const char* what;
    std::function<void()> change;
  } steps[] = {
      {"a mark", [&] { add("TILEW 7 3 1 1 3 3 2\r\n"); }},
      // Records of several types, some of several boxes, a type the run lacks, no record.
      {"many lines",
       [&] {
         add("TILEW 8 1 -3 -1 -3 -3 0\r\nnotes\r\nTILEW 7 3 0.5 2.5 3 3 2\r\n"
             "TILEW 8 1 -2.5 0.5 -3 -3 0\r\nTILEW 5 5 -3 -3 -3 -3 0\r\nTILEW 9 9 -1 -1 -1 -1 0\r\n"
             "TILEW 7 3 6 6 6 6 2\r\nTILEW 8 1 -3 -3 -3 -3 1\r\n");
       }},
      {"the last lines taken", [&] { cut("TILEW 7 3 6 6"); }},
      {"lines of several boxes taken", [&] { cut("TILEW 7 3 0.5"); }},
      {"a line without its end", [&] { add("TILEW 7 3 6 6 6 6 "); }},
      {"its end", [&] { add("2\r\nTILEW 8 1 -2.5 0.5 -3 -3 0\r\n"); }},
      {"a hand edit", [&] { t.window.SetOutputText(box.replace(box.find("1 1 3"), 1, "2")); }},
      {"another type", [&] { show("8 1"), add("TILEW 8 1 0 2 -3 -3 0\r\n"); }},
      {"the type read again",
       [&] { file.Write(Template({}) + body + "TILEW 8 1 10 12 -3 -3 0\r\n"), show("8 1"); }},
      {"a new run", [&] { StartTiles(t.program); }},
      {"lines read beside", [&] { add_read(several, ""); }},
      {"lines read beside for another type", [&] { show("8 1"), add_read(several, "7 3"); }},
      {"some of them taken", [&] { cut("TILEW 8 1 -2.5"); }},
      {"the same run again", [&] { StartTiles(t.program); }},
      {"a NUL byte, read beside", [&] { add_read("x\0y\r\nTILEW 9 9 -1 -1 -1 -1 0\r\n"s, ""); }},
      {"a line after it", [&] { add("TILEW 8 1 -3 -3 -3 -3 10\r\n"); }},
      {"all taken", [&] { t.window.SetOutputText(""); }},
  };
  const auto counts = [](const Program& p) {
    std::vector<std::uint32_t> covered;
    for (const TypeRow& r : p.types.rows) covered.push_back(r.covered);
    return covered;
  };
  for (const auto& step : steps) {
    step.change();
    Program whole = t.program;
    whole.covered_read = {};
    ReadCovered(whole);
    EXPECT_EQ(t.program.covered.flags, whole.covered.flags) << step.what;
    EXPECT_EQ(t.program.covered.layer_count, whole.covered.layer_count) << step.what;
    EXPECT_EQ(counts(t.program), counts(whole)) << step.what;
  }
}

TEST(AutoCover, CoversOnlyWhatTheBoxDoesNotAndWritesNothingTheSecondTime) {
  Marked m;
  m.Mark(4, 6, 5, 6);
  m.t.window.SetLayer(0);
  m.t.window.SetLayer(2);
  const std::string marked = m.t.window.output;
  AutoCover(m.t.program);
  // Each new record covers at least one cell no record covered, and only cells of the type.
  const std::set<Cell> covered_before = SetCells(CoveredCells(marked, "7 3"));
  const std::string added = m.t.window.output.substr(marked.size());
  ASSERT_FALSE(added.empty());
  for (std::size_t at = 0; at < added.size();) {
    const std::size_t line_end = added.find("\r\n", at);
    ASSERT_NE(line_end, std::string::npos) << "a record without its CR LF";
    const std::size_t end = line_end + 2;
    const std::set<Cell> cells = SetCells(CoveredCells(added.substr(at, end - at), "7 3"));
    int red = 0;
    for (const auto& [x, y, z] : cells) {
      EXPECT_TRUE(m.t.program.tilearray.At(x, y, z)) << x << "," << y;
      red += covered_before.count(Cell{x, y, z}) ? 0 : 1;
    }
    EXPECT_GT(red, 0) << added.substr(at, end - at);
    at = end;
  }
  for (const auto& [x, y, z] : SetCells(m.t.program.tilearray)) {
    EXPECT_EQ(m.t.program.covered.At(x, y, z), z == 2) << x << "," << y << "," << z;
  }
  const std::string before = m.t.window.output;
  m.t.window.SetLayer(0);
  m.t.window.SetLayer(2);
  const AutoResult again = AutoCover(m.t.program);
  EXPECT_FALSE(again.added);
  EXPECT_EQ(m.t.window.output, before);
}

}  // namespace
}  // namespace quarnel
