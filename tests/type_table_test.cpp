#include "model/type_table.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "editor/covered.h"
#include "editor/marking.h"
#include "editor/steps.h"
#include "model/fault.h"
#include "tests/test_template.h"

namespace quarnel {
namespace {

using testing::Template;
using testing::TempTemplate;
using testing::TestProgram;

struct Row {
  std::string key;
  std::uint32_t cells;
  std::vector<int> layers;
  bool operator==(const Row&) const = default;
};

std::vector<Row> Rows(const TypeTable& table) {
  std::vector<Row> rows;
  for (const TypeRow& r : table.rows) {
    Row row{std::string(table.Key(r)), r.cells, {}};
    for (int z = 0; z < kLayers; ++z) {
      if (r.HasLayer(z)) row.layers.push_back(z);
    }
    rows.push_back(row);
  }
  return rows;
}

TEST(TypeTable, ListsTheRunsTypesInRunOrderWithTheirCellsAndLayers) {
  const struct {
    const char* what;
    std::string text;
    std::vector<Row> rows;
  } cases[] = {
      {"no records", Template({}), {}},
      {"run order is the order of first tile records",
       Template({"TILEW 8 1 0 1 0 0 100", "7 3 1 1 0", "8 1 2 2 4", "7 3 1 1 64"}),
       {{"7 3", 2, {0, 64}}, {"8 1", 3, {4, 100}}}},
      {"a type only rectangle records name is in no run",
       Template({"TILEW 9 9 0 0 0 0 0", "7 3 1 1 0"}),
       {{"7 3", 1, {0}}}},
      {"ids compare as text",
       Template({"7 3 1 1 0", "07 3 1 1 0", "7 30 1 1 0"}),
       {{"7 3", 1, {0}}, {"07 3", 1, {0}}, {"7 30", 1, {0}}}},
  };
  for (const auto& c : cases) {
    TempTemplate file(c.text);
    EXPECT_EQ(Rows(ReadTypeTable(file.Path())), c.rows) << c.what;
  }
}

// go takes the first type from the panel's read; it must show what the walker would.
TEST(TypeTable, GoShowsTheFirstTypeAsTheWalkerWould) {
  const struct {
    std::string text;
    std::set<testing::Cell> cells;  // or the fault, if `fault` is set
    const char* fault = nullptr;
  } cases[] = {
      {Template({"TILEW 7 3 -3 -2 -3 -3 0", "7 3 5 5 0", "TILEW 7 3 0 0 0 0 1", "8 1 1 1 0"}),
       {{0, 0, 0}, {1, 0, 0}, {5, 5, 0}, {3, 3, 1}}},
      // A bad line of any type refuses the template before the run starts.
      {Template({"7 3 1 1 0", "8 1 99 0 0"}), {}, "line 4: x (the 3rd field) \"99\""},
      {Template({"7 3 1 1 0", "7 3 99 0 0"}), {}, "puts the column at 99"},
  };
  for (const auto& c : cases) {
    TempTemplate file(c.text);
    TestProgram t(file.Path());
    try {
      StartTiles(t.program);
      EXPECT_FALSE(c.fault) << c.text;
      EXPECT_EQ(testing::SetCells(t.program.tilearray), c.cells) << c.text;
      EXPECT_EQ(t.program.curtype, "7 3");
      EXPECT_EQ(t.program.donelist.Shown().size(), 1u);
    } catch (const Fault& fault) {
      ASSERT_TRUE(c.fault) << fault.what();
      EXPECT_NE(std::string(fault.what()).find(c.fault), std::string::npos) << fault.what();
    }
  }
}

TEST(TypeTable, CountsWhatTheBoxCoversAndJumpsToAType) {
  TempTemplate file(
      Template({"7 3 1 1 0", "7 3 1 1 0", "7 3 2 1 0", "8 1 5 5 3", "8 1 6 5 3", "9 2 0 0 0"}));
  TestProgram t(file.Path());
  StartTiles(t.program);
  const auto& rows = t.program.types.rows;
  // Shown, the type's cells are counted exactly; the other types' as their records give them.
  EXPECT_EQ(rows[0].cells, 2u);
  t.window.SetOutputText(
      "TILEW 7 3 -2 -2 -2 -2 0\r\nTILEW 7 3 -2 -2 -2 -2 0\r\n"
      "TILEW 8 1 2 2 2 2 3\r\nTILEW 8 1 2 2 2 2 3\r\nnot a record\r\n"
      "TILEW 9 2 -3 0 -3 -3 0\r\n");
  EXPECT_EQ(rows[0].covered, 1u);
  EXPECT_EQ(rows[1].covered, 1u);  // a cell covered twice counts once
  EXPECT_EQ(rows[2].covered, 1u);  // at most its cells

  ShowType(t.program, 2);
  EXPECT_EQ(t.program.curtype, "9 2");
  ShowType(t.program, 1);
  EXPECT_EQ(t.program.curtype, "8 1");
  EXPECT_EQ(t.window.layer, 3);
  EXPECT_EQ(t.window.layer_text, "3");
  EXPECT_EQ(rows[1].covered, 1u);
  DoNextTile(t.program);  // every type is shown now
  EXPECT_EQ(t.program.curtype, "8 1");
  EXPECT_TRUE(t.program.run_over);
}

// What the types panel shows of a type: its layers, whether it was shown, and how many of its
// cells the box covers, which a Shift mark over cells without tiles does not raise.
TEST(TypeTable, KeepsWhatThePanelShowsOfEachType) {
  TempTemplate file(Template({"7 3 1 1 0", "7 3 2 1 0", "7 3 2 2 0", "7 3 5 5 0", "8 1 1 1 1",
                              "8 1 1 1 2", "8 1 1 1 3", "8 1 1 1 99", "9 2 1 1 64", "9 2 1 1 70",
                              "9 2 1 1 80", "9 2 1 1 90", "9 2 1 1 100"}));
  TestProgram t(file.Path());
  StartTiles(t.program);
  const auto& rows = t.program.types.rows;
  ASSERT_EQ(rows.size(), 3u);
  const struct { int count, first; } layers[] = {{1, 0}, {4, 1}, {5, 64}};
  for (std::size_t i = 0; i < rows.size(); ++i) {
    EXPECT_EQ(rows[i].LayerCount(), layers[i].count) << i;
    EXPECT_EQ(rows[i].FirstLayer(), layers[i].first) << i;
  }
  EXPECT_TRUE(rows[1].HasLayer(99));
  EXPECT_FALSE(rows[2].HasLayer(63));

  PictureMouseDown(t.program, kLeftButton, 14, 14);
  PictureMouseDown(t.program, kRightButton, 24, 24, true);  // (1, 2) holds no tile
  EXPECT_EQ(rows[0].covered, 3u);
  PictureMouseDown(t.program, kLeftButton, 54, 54);
  PictureMouseDown(t.program, kRightButton, 54, 54);
  EXPECT_EQ(rows[0].covered, rows[0].cells);
  DoNextTile(t.program);
  DoNextTile(t.program);
  EXPECT_EQ(t.program.curtype, "9 2");
  EXPECT_EQ(rows[0].covered, rows[0].cells);  // all covered
  EXPECT_TRUE(t.program.donelist.Contains("8 1"));
  EXPECT_EQ(rows[1].covered, 0u);  // shown, not covered
}

}  // namespace
}  // namespace quarnel
