#include "editor/steps.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "editor/layers.h"
#include "model/fault.h"
#include "model/walker.h"
#include "tests/test_template.h"

namespace quarnel {
namespace {

using testing::Cell;
using testing::SetCells;
using testing::Template;
using testing::TempTemplate;
using testing::TestProgram;

// The types a whole run shows, in order.
std::vector<std::string> RunTypes(const std::string& content) {
  TempTemplate file(content);
  TestProgram t(file.Path());
  std::vector<std::string> shown;
  StartTiles(t.program);
  while (!t.program.curtype.empty() && (shown.empty() || shown.back() != t.program.curtype)) {
    shown.push_back(t.program.curtype);
    DoNextTile(t.program);
  }
  return shown;
}

TEST(Walker, ShowsEachTypeOnceInFileOrder) {
  const struct {
    const char* what;
    std::string content;
    std::vector<std::string> types;
  } cases[] = {
      {"types in order of first tile record",
       Template({"7 3 1 1 0", "TILEW 7 3 0 0 0 0 0", "8 1 2 2 0", "7 3 4 4 1"}),
       {"7 3", "8 1"}},
      {"header only", Template({}), {}},
      {"rectangle records never start a type",
       Template({"TILEW 9 9 0 0 0 0 0", "8 1 2 2 0", "TILEW 5 5 0 0 0 0 0"}),
       {"8 1"}},
      {"a key inside another key is its own type",
       Template({"11 22 0 0 0", "1 2 0 0 0", "1 22 0 0 0", "11 2 0 0 0"}),
       {"11 22", "1 2", "1 22", "11 2"}},
      {"wildcard characters are plain text",
       Template({"* * 0 0 0", "a b 0 0 0", "[ x 0 0 0", "? # 0 0 0", "a? b 0 0 0"}),
       {"* *", "a b", "[ x", "? #", "a? b"}},
      {"ids compare as exact bytes",
       Template({"7 3 0 0 0", "07 3 0 0 0", "7 3x 0 0 0"}),
       {"7 3", "07 3", "7 3x"}},
      {"empty ids", Template({" 7 0 0 0", "7  0 0 0"}), {" 7", "7 "}},
  };
  for (const auto& c : cases) EXPECT_EQ(RunTypes(c.content), c.types) << c.what;
}

// A step finds the next type and loads it in one read, so rectangle records of the type that
// stand before its first tile record must still count, and the fault reported is the first in
// the file.
TEST(Walker, LoadsRectangleRecordsThatPrecedeTheTypesFirstTile) {
  std::string many_before;  // more early rectangle records than a step keeps places for
  for (int i = 0; i < 70'000; ++i) {
    const std::string x = std::to_string(i % 40);
    many_before += "TILEW 8 1 " + x + " " + x + " -3 -3 1\r\n";
  }
  const struct {
    const char* what;
    std::string content;
    std::set<Cell> cells;  // of "8 1", the second type
    std::string fault;     // empty: none
  } cases[] = {
      {"before and after",
       Template({"TILEW 8 1 0 0 0 0 0", "7 3 1 1 0", "TILEW 8 1 1 1 1 1 0", "TILEW 9 9 2 2 2 2 0",
                 "8 1 2 2 0"}),
       {{3, 3, 0}, {4, 4, 0}, {2, 2, 0}},
       ""},
      {"a bad early rectangle is the first fault",
       Template({"7 3 1 1 0", "TILEW 8 1 0 99 0 0 0", "8 1 2 2 0", "8 1 99 0 0"}),
       {},
       "line 4: x-to (the 5th field) \"99\" puts the column at 102"},
      {"a bad later record",
       Template({"7 3 1 1 0", "TILEW 8 1 0 0 0 0 0", "8 1 2 2 0", "8 1 99 0 0"}),
       {},
       "line 6: x (the 3rd field) \"99\" puts the column at 99"},
      {"more early rectangles than kept", Template({"7 3 1 1 0"}) + many_before + "8 1 2 2 0\r\n",
       [] {
         std::set<Cell> cells{{2, 2, 0}};
         for (int x = 0; x < 40; ++x) cells.insert({x + 3, 0, 1});
         return cells;
       }(),
       ""},
  };
  // The walker's own step, after type 7 3: go refuses such templates before any step.
  DoneList shown;
  shown.Add({"7", "3"});
  for (const auto& c : cases) {
    TempTemplate file(c.content);
    try {
      const std::optional<LoadedType> next = FindNextType(file.Path(), shown);
      ASSERT_TRUE(next) << c.what;
      EXPECT_EQ(next->type.Key(), "8 1") << c.what;
      EXPECT_EQ(SetCells(next->tilearray), c.cells) << c.what;
      EXPECT_EQ(c.fault, "") << c.what;
    } catch (const Fault& fault) {
      EXPECT_NE(std::string(fault.what()).find(c.fault), std::string::npos)
          << c.what << ": " << fault.what();
      EXPECT_FALSE(c.fault.empty()) << c.what;
    }
  }
}

TEST(Walker, EndOfRunChangesNothing) {
  TempTemplate file(Template({"7 3 1 1 0", "8 1 2 2 0", "TILEW 8 1 0 0 0 0 0"}, "Map", " B"));
  TestProgram t(file.Path());
  StartTiles(t.program);
  DoNextTile(t.program);
  const auto cells = SetCells(t.program.tilearray);
  t.window.surface.FillBox(0, 0, 10, 10, kBlue);  // a mark the end of a run must not wipe
  t.window.caption = "changed";
  DoNextTile(t.program);
  DoNextTile(t.program);
  EXPECT_EQ(t.program.curtype, "8 1");
  EXPECT_EQ(SetCells(t.program.tilearray), cells);
  EXPECT_EQ(t.window.caption, "changed");
  EXPECT_EQ(t.window.surface.PointColour(5, 5), kBlue);
  EXPECT_EQ(t.program.donelist.Shown().size(), 2u);
}

TEST(Walker, ASecondStartBeginsAgain) {
  TempTemplate file(Template({"7 3 1 1 0", "8 1 2 2 0"}));
  TestProgram t(file.Path());
  StartTiles(t.program);
  DoNextTile(t.program);
  StartTiles(t.program);
  EXPECT_EQ(t.program.curtype, "7 3");
  EXPECT_EQ(t.program.donelist.Shown(), (std::vector<TileType>{{"7", "3"}}));
}

TEST(Walker, DrawsOnTheSpinnersLayer) {
  TempTemplate file(Template({"7 3 1 1 0", "7 3 2 2 4"}));
  TestProgram t(file.Path());
  t.window.layer = 4;
  StartTiles(t.program);
  EXPECT_EQ(t.window.surface.PointColour(24, 24), kRed);
  EXPECT_EQ(t.window.surface.PointColour(14, 14), kBlack);
  EXPECT_EQ(t.window.layer, 4);
}

TEST(Walker, AFaultyStepChangesNothingAndCanBeRetried) {
  TempTemplate file(Template({"7 3 1 1 0", "8 1 2 2 0"}, "Map", " A"));
  TestProgram t(file.Path());
  StartTiles(t.program);
  const auto cells = SetCells(t.program.tilearray);

  const struct {
    std::string content;
    bool first_type_loads;  // so that a new run could start
  } broken[] = {
      {Template({"7 3 1 1 0", "8 1 2 2 0", "8 1 51 0 0"}, "Map", " B"), true},  // the load faults
      {Template({"7 3 1 1 0", "8"}, "Map", " B"), false},                       // the scan faults
      {"Map", false},                                                           // no header
  };
  for (const auto& [content, first_type_loads] : broken) {
    file.Write(content);
    EXPECT_THROW(DoNextTile(t.program), Fault) << content;
    if (!first_type_loads) {
      EXPECT_THROW(StartTiles(t.program), Fault) << content;
    }
    EXPECT_EQ(t.program.curtype, "7 3");
    EXPECT_EQ(t.window.caption, "Map A");
    EXPECT_EQ(SetCells(t.program.tilearray), cells);
    EXPECT_EQ(t.program.donelist.Shown(), (std::vector<TileType>{{"7", "3"}}));
    EXPECT_EQ(t.window.surface.PointColour(14, 14), kRed);
  }
  file.Write(Template({"7 3 1 1 0", "8 1 2 2 0"}, "Map", " A"));
  DoNextTile(t.program);
  EXPECT_EQ(t.program.curtype, "8 1");
}

TEST(Walker, TheNextTypeButtonsSpinnerResetRedrawsLayerZero) {
  // "Next Tile Type" loads on the current layer, then sets the spinner to 0, whose change
  // redraws layer 0.
  TempTemplate file(Template({"7 3 1 1 0", "8 1 2 2 5", "8 1 3 3 0"}));
  TestProgram t(file.Path());
  t.window.on_layer_change = [&t] { ZscrChange(t.program); };
  StartTiles(t.program);
  t.window.layer = 5;
  t.window.layer_text = "5";
  DoNextTile(t.program);
  EXPECT_EQ(t.window.surface.PointColour(24, 24), kRed);  // (2, 2) on layer 5
  t.window.SetLayer(0);
  EXPECT_EQ(t.window.layer_text, "0");
  EXPECT_EQ(t.window.surface.PointColour(24, 24), kBlack);
  EXPECT_EQ(t.window.surface.PointColour(34, 34), kRed);  // (3, 3) on layer 0
}

}  // namespace
}  // namespace quarnel

namespace quarnel {
namespace {

TEST(DoneList, FindsExactlyTheTypesAdded) {
  // Enough types to grow the table several times, with short and long keys.
  DoneList donelist;
  const auto id = [](int i) { return std::to_string(i * 7919 % 100'003); };
  for (int i = 0; i < 3000; ++i) donelist.Add({id(i), i % 3 == 0 ? "long-second-id" : "x"});
  for (int i = 0; i < 3000; ++i) {
    const std::string second = i % 3 == 0 ? "long-second-id" : "x";
    ASSERT_TRUE(donelist.Contains(id(i) + " " + second)) << i;
    ASSERT_FALSE(donelist.Contains(id(i) + " " + second + "y")) << i;
    ASSERT_FALSE(donelist.Contains(id(i) + " ")) << i;
  }
  EXPECT_EQ(donelist.Shown().size(), 3000u);
  EXPECT_EQ(donelist.Shown()[1], (TileType{id(1), "x"}));
}

}  // namespace
}  // namespace quarnel
