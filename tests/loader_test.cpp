#include "editor/steps.h"

#include <gtest/gtest.h>

#include <numeric>
#include <string>

#include "model/fault.h"
#include "tests/test_template.h"

namespace quarnel {
namespace {

using testing::Cell;
using testing::SetCells;
using testing::Template;
using testing::TempTemplate;
using testing::TestProgram;

TEST(LoadToArray, SetsTheCellsOfTheTypesRecords) {
  const struct {
    const char* what;
    std::string content;
    std::set<Cell> cells;
  } cases[] = {
      {"nothing after the header", Template({}), {}},
      {"one tile", Template({"7 3 10 12 4"}), {{10, 12, 4}}},
      {"extra fields ignored", Template({"7 3 10 12 4 extra"}), {{10, 12, 4}}},
      {"rectangle adds 3 to its bounds",
       Template({"TILEW 7 3 0 2 0 1 5"}),
       {{3, 3, 5}, {4, 3, 5}, {5, 3, 5}, {3, 4, 5}, {4, 4, 5}, {5, 4, 5}}},
      {"rectangle keyword is a prefix", Template({"TILEWALL 7 3 -3 -3 -3 -3 0"}), {{0, 0, 0}}},
      {"empty column range", Template({"TILEW 7 3 2 0 0 1 5"}), {}},
      {"empty row range", Template({"TILEW 7 3 0 1 2 0 5"}), {}},
      {"empty range needs no later fields", Template({"TILEW 7 3 5 0"}), {}},
      {"huge empty range", Template({"TILEW 7 3 0 1e15 5 0 0"}), {}},
      {"tiles and rectangles overlap",
       Template({"7 3 1 1 0", "7 3 1 1 0", "TILEW 7 3 -2 -2 -2 -2 0"}),
       {{1, 1, 0}}},
      {"other types",
       Template({"7 30 1 1 0", "07 3 1 1 0", "TILEW 7 30 0 0 0 0 0", "tilew 3 1 1 0"}),
       {}},
      {"the far corner of the grid", Template({"7 3 50 50 100"}), {{50, 50, 100}}},
      {"fractions round halves to even",
       Template({"7 3 2.5 3.5 0.5", "7 3 1e1 -0.4 4.51"}),
       {{2, 4, 0}, {10, 0, 5}}},
      {"rectangle counters round each",
       Template({"TILEW 7 3 -0.5 1.5 -3 -3 0"}),
       {{2, 0, 0}, {4, 0, 0}}},
      {"another type's fields are not examined", Template({"8 1 x y z", "TILEW 8 1 a", "9 9"}), {}},
      {"LF and CR line ends", "h1\nh2\n7 3 1 2 3\r7 3 4 5 6", {{1, 2, 3}, {4, 5, 6}}},
  };
  for (const auto& c : cases) {
    TempTemplate file(c.content);
    TestProgram t(file.Path());
    LoadToArray(t.program, "7", "3");
    EXPECT_EQ(SetCells(t.program.tilearray), c.cells) << c.what;
    const auto& counts = t.program.tilearray.layer_count;
    EXPECT_EQ(std::accumulate(counts.begin(), counts.end(), std::size_t{0}), c.cells.size())
        << c.what;
    EXPECT_EQ(t.program.curtype, "7 3");
  }
}

TEST(LoadToArray, TakesIdsAsExactBytes) {
  TempTemplate file(Template({"a*b [x 1 1 0", "A*B [x 2 2 0", " 7 1 1 1", "7  3 10 12"}));
  TestProgram t(file.Path());
  LoadToArray(t.program, "a*b", "[x");
  EXPECT_EQ(SetCells(t.program.tilearray), (std::set<Cell>{{1, 1, 0}}));
  LoadToArray(t.program, "", "7");
  EXPECT_EQ(SetCells(t.program.tilearray), (std::set<Cell>{{1, 1, 1}}));
  // Two spaces make an empty second id and shift the coordinates along.
  LoadToArray(t.program, "7", "");
  EXPECT_EQ(SetCells(t.program.tilearray), (std::set<Cell>{{3, 10, 12}}));
  EXPECT_EQ(t.program.curtype, "7 ");
}

TEST(LoadToArray, SetsTheCaptionFromBothHeaderLines) {
  TempTemplate file(Template({"8 1 0 0 0"}, "AB ", "CD"));
  TestProgram t(file.Path());
  LoadToArray(t.program, "7", "3");
  EXPECT_EQ(t.window.caption, "AB CD");
}

TEST(LoadToArray, ReportsEachFaultWithItsPlace) {
  const struct {
    std::string content;
    long long line;
    int field;
    std::string problem;
  } cases[] = {
      {"one line only", 2, -1, "the template ends before its two header lines"},
      {Template({"7 3 1 1 0", ""}), 4, -1, "the line is empty"},
      {Template({"7"}), 3, 1, "is missing"},
      {Template({"TILEW 8"}), 3, 2, "is missing"},
      {Template({"7 3 1 1"}), 3, 4, "is missing"},
      {Template({"TILEW 7 3 0 1 0"}), 3, 6, "is missing"},
      {Template({"TILEW 7 3 0 1 0 1"}), 3, 7, "is missing"},
      {Template({"7 3 x1 1 0"}), 3, 2, "\"x1\" is not a number"},
      {Template({"7 3 1 0x10 0"}), 3, 3, "\"0x10\" is not a number"},
      {Template({"7 3 1 1 1,5"}), 3, 4, "\"1,5\" is not a number"},
      {Template({"7 3 nan 1 0"}), 3, 2, "\"nan\" is not a number"},
      {Template({"7 3 1e400 1 0"}), 3, 2, "\"1e400\" is too large"},
      {Template({"TILEW 7 3 0 inf 0 0 0"}), 3, 4, "\"inf\" is not a number"},
      {Template({"7 3 51 0 0"}), 3, 2, "\"51\" puts the column at 51, outside 0..50"},
      {Template({"7 3 0 -1 0"}), 3, 3, "\"-1\" puts the row at -1, outside 0..50"},
      {Template({"7 3 0 0 101"}), 3, 4, "\"101\" puts the layer at 101, outside 0..100"},
      {Template({"7 3 4294967296 0 0"}), 3, 2, "puts the column at 4294967296"},
      {Template({"7 3 0 0 1e300"}), 3, 4, "puts the layer at a value far, outside 0..100"},
      {Template({"TILEW 7 3 -4 0 0 0 0"}), 3, 3, "puts the column at -1"},
      {Template({"TILEW 7 3 0 48 0 0 0"}), 3, 4, "puts the column at 51"},
      {Template({"TILEW 7 3 0 1e14 0 0 0"}), 3, 4, "puts the column at 100000000000003"},
      {Template({"TILEW 7 3 0 0 -1e16 5 0"}), 3, 5, "puts the row at a value far"},
      {Template({"TILEW 7 3 0 0 0 0 -1"}), 3, 7, "puts the layer at -1"},
      {Template({"TILEW 7 3 0 0 0 0 z"}), 3, 7, "\"z\" is not a number"},
      {Template({"TILEW 7 3 60 61 0 0 z"}), 3, 7, "\"z\" is not a number"},
  };
  for (const auto& c : cases) {
    TempTemplate file(c.content, "level1.tmp");
    TestProgram t(file.Path());
    try {
      LoadToArray(t.program, "7", "3");
      ADD_FAILURE() << "no fault for " << c.content;
    } catch (const Fault& fault) {
      EXPECT_EQ(fault.place().file, file.Path()) << c.content;
      EXPECT_EQ(fault.place().line, c.line) << c.content;
      EXPECT_EQ(fault.place().field, c.field) << c.content;
      EXPECT_NE(fault.problem().find(c.problem), std::string::npos)
          << fault.what() << "\nwanted: " << c.problem;
    }
  }
}

TEST(LoadToArray, AFailedLoadChangesNothing) {
  TempTemplate good(Template({"7 3 1 1 0", "7 3 50 50 100"}, "Good", " map"));
  TestProgram t(good.Path());
  LoadToArray(t.program, "7", "3");
  const auto before = SetCells(t.program.tilearray);

  // The bad record comes after cells of the type, so a partial load would show.
  for (const std::string& bad_content :
       {Template({"8 1 2 2 2", "8 1 3 3 3", "8 1 51 0 0"}, "Bad", " map"),
        std::string("Bad header only")}) {
    good.Write(bad_content);
    EXPECT_THROW(LoadToArray(t.program, "8", "1"), Fault);
    EXPECT_EQ(SetCells(t.program.tilearray), before);
    EXPECT_EQ(t.program.curtype, "7 3");
    EXPECT_EQ(t.window.caption, "Good map");
  }
  t.window.path = good.Folder().string() + "/gone.tmp";
  EXPECT_THROW(LoadToArray(t.program, "8", "1"), Fault);
  EXPECT_EQ(SetCells(t.program.tilearray), before);
}

TEST(LoadToArray, ANewLoadClearsEveryCellOfTheLastType) {
  TempTemplate file(Template({"7 3 50 50 100", "7 3 0 50 0", "7 3 50 0 99", "8 1 5 5 5"}));
  TestProgram t(file.Path());
  LoadToArray(t.program, "7", "3");
  EXPECT_EQ(SetCells(t.program.tilearray).size(), 3u);
  LoadToArray(t.program, "8", "1");
  EXPECT_EQ(SetCells(t.program.tilearray), (std::set<Cell>{{5, 5, 5}}));
}

TEST(ClearArray, ClearsTheWholeGrid) {
  TileArray tilearray;
  tilearray.Set(50, 50, 100);
  tilearray.Set(0, 0, 0);
  ClearArray(tilearray);
  EXPECT_TRUE(SetCells(tilearray).empty());
  EXPECT_FALSE(tilearray.LayerHasCells(100));
}

TEST(LoadToArray, ReadsTheBundledExamples) {
  for (const char* name : {"castle.tmp", "harbour.tmp", "mine.tmp"}) {
    TestProgram t(std::string(QUARNEL_EXAMPLES_DIR) + "/" + name);
    LoadToArray(t.program, "nothing", "here");
    EXPECT_TRUE(SetCells(t.program.tilearray).empty()) << name;
    EXPECT_NE(t.window.caption, "Quarnel") << name;
  }
}

}  // namespace
}  // namespace quarnel
