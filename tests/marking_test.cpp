#include "editor/marking.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "editor/auto_cover.h"
#include "editor/grid_view.h"
#include "editor/steps.h"
#include "editor/undo.h"
#include "tests/test_template.h"

namespace quarnel {
namespace {

using testing::Cell;
using testing::SetCells;
using testing::Template;
using testing::TempTemplate;
using testing::TestProgram;

struct Press {
  int button;
  int x, y;  // surface pixels
  bool shift = false;
};

// Type (7, 3) drawn on layer 2, with cells (4, 6), (5, 6), (4, 7), (5, 7) and (8, 8).
class MarkingTest : public ::testing::Test {
 protected:
  TempTemplate file_{
      Template({"7 3 4 6 2", "7 3 5 6 2", "7 3 4 7 2", "7 3 5 7 2", "7 3 8 8 2", "7 3 1 1 3"})};
  TestProgram t_{file_.Path()};

  void SetUp() override {
    t_.window.layer = 2;
    LoadToArray(t_.program, "7", "3");
    ShowArray(t_.program);
  }
  void Run(std::initializer_list<Press> presses) {
    for (const auto& p : presses) {
      PictureMouseDown(t_.program, p.button, static_cast<float>(p.x), static_cast<float>(p.y),
                       p.shift);
    }
  }
  Colour CellColour(int x, int y) const {
    return t_.window.surface.PointColour(x * 10 + 4, y * 10 + 4);
  }
};

constexpr int L = kLeftButton;
constexpr int R = kRightButton;

TEST_F(MarkingTest, MarksRectanglesAndWritesTheirRecords) {
  const struct {
    const char* what;
    std::initializer_list<Press> presses;
    std::string output;
    std::initializer_list<Cell> blue;  // cells that end up blue (layer unused)
  } cases[] = {
      {"corner to corner",
       {{L, 44, 64}, {R, 54, 74}},
       "TILEW 7 3 1 2 3 4 2\r\n",
       {{4, 6, 2}, {5, 6, 2}, {4, 7, 2}, {5, 7, 2}}},
      {"corners in reverse order",
       {{L, 54, 74}, {R, 44, 64}},
       "TILEW 7 3 1 2 3 4 2\r\n",
       {{4, 6, 2}, {5, 6, 2}, {4, 7, 2}, {5, 7, 2}}},
      {"the other diagonal",
       {{L, 54, 64}, {R, 44, 74}},
       "TILEW 7 3 1 2 3 4 2\r\n",
       {{4, 6, 2}, {5, 6, 2}, {4, 7, 2}, {5, 7, 2}}},
      {"one cell on the green corner",
       {{L, 44, 64}, {R, 44, 64}},
       "TILEW 7 3 1 1 3 3 2\r\n",
       {{4, 6, 2}}},
      {"a first pixel column counts for its own cell",
       {{L, 40, 60}, {R, 50, 60}},
       "TILEW 7 3 1 2 3 3 2\r\n",
       {{4, 6, 2}, {5, 6, 2}}},
      {"a rectangle over cells without tiles is refused", {{L, 44, 64}, {R, 84, 84}}, "", {}},
      {"the first corner stays after a refusal",
       {{L, 44, 64}, {R, 84, 84}, {R, 54, 74}},
       "TILEW 7 3 1 2 3 4 2\r\n",
       {{4, 6, 2}, {5, 7, 2}}},
      {"Shift marks it anyway",
       {{L, 44, 64}, {R, 84, 84, true}},
       "TILEW 7 3 1 5 3 5 2\r\n",
       {{4, 6, 2}, {8, 8, 2}}},
      {"a blue square takes no second press",
       {{L, 44, 64}, {R, 54, 74}, {R, 54, 74}},
       "TILEW 7 3 1 2 3 4 2\r\n",
       {{5, 7, 2}}},
      {"two records share one first corner",
       {{L, 44, 64}, {R, 54, 64}, {R, 44, 74}},
       "TILEW 7 3 1 2 3 3 2\r\nTILEW 7 3 1 1 3 4 2\r\n",
       {{4, 6, 2}, {5, 6, 2}, {4, 7, 2}}},
      {"no first corner: a right press does nothing", {{R, 54, 74}}, "", {}},
      {"a left press off a red square does nothing",
       {{L, 49, 64}, {L, 4, 4}, {L, 300, 300}, {R, 54, 74}},
       "",
       {}},
      {"a right press on a gap or the background does nothing",
       {{L, 44, 64}, {R, 59, 74}, {R, 300, 300}, {R, 4, 4}},
       "",
       {}},
      {"other buttons do nothing", {{L, 44, 64}, {4, 54, 74}, {0, 54, 74}}, "", {}},
  };
  for (const auto& c : cases) {
    t_.window.SetOutputText("");
    ShowArray(t_.program);
    Run(c.presses);
    EXPECT_EQ(t_.window.output, c.output) << c.what;
    for (const auto& [x, y, z] : c.blue) EXPECT_EQ(CellColour(x, y), kBlue) << c.what;
  }
}

TEST_F(MarkingTest, SaysWhyARectangleIsRefused) {
  Run({{L, 44, 64}});
  const PressResult refused = PictureMouseDown(t_.program, R, 84, 84);
  EXPECT_FALSE(refused.added);
  EXPECT_EQ(refused.refused,
            "not marked: 10 cells of this rectangle hold no tile of type 7 3 (Shift + right press "
            "marks it anyway)");
  EXPECT_EQ(CellColour(4, 6), kGreen);
  EXPECT_EQ(CellColour(8, 8), kRed);
  const PressResult marked = PictureMouseDown(t_.program, R, 54, 74);
  ASSERT_TRUE(marked.added);
  EXPECT_EQ(marked.added->records, "TILEW 7 3 1 2 3 4 2\r\n");
  EXPECT_EQ(marked.added->squares.size(), 4u);
}

// A single cell without a tile refuses the rectangle, and the message speaks of one cell.
TEST(Marking, RefusesARectangleWithOneCellWithoutATile) {
  TempTemplate file(Template({"7 3 1 1 0", "7 3 2 1 0", "7 3 2 2 0"}));
  TestProgram t(file.Path());
  LoadToArray(t.program, "7", "3");
  ShowArray(t.program);
  PictureMouseDown(t.program, L, 14, 14);
  const PressResult refused = PictureMouseDown(t.program, R, 24, 24);
  EXPECT_FALSE(refused.added);
  EXPECT_EQ(refused.refused,
            "not marked: 1 cell of this rectangle holds no tile of type 7 3 (Shift + right press "
            "marks it anyway)");
  EXPECT_EQ(t.window.output, "");
}

TEST_F(MarkingTest, UndoTakesBackRecordsAndSquaresAndRedoPutsThemAgain) {
  Run({{L, 44, 64}});
  const Addition mark = *PictureMouseDown(t_.program, R, 54, 74).added;
  const Addition autocover = *AutoCover(t_.program).added;
  ASSERT_EQ(t_.window.output, "TILEW 7 3 1 2 3 4 2\r\nTILEW 7 3 5 5 5 5 2\r\n");

  EXPECT_EQ(UndoAddition(t_.program, autocover), "");
  EXPECT_EQ(t_.window.output, mark.records);
  EXPECT_EQ(CellColour(8, 8), kRed);
  EXPECT_EQ(UndoAddition(t_.program, mark), "");
  EXPECT_EQ(t_.window.output, "");
  // The first corner went with Auto: its square comes back red, as any other.
  for (const auto& [x, y] : {std::pair{4, 6}, {5, 6}, {4, 7}, {5, 7}}) {
    EXPECT_EQ(CellColour(x, y), kRed) << x << "," << y;
  }
  RedoAddition(t_.program, mark);
  EXPECT_EQ(t_.window.output, mark.records);
  EXPECT_EQ(CellColour(5, 7), kBlue);

  t_.window.output += "edited";
  EXPECT_NE(UndoAddition(t_.program, mark), "");
  EXPECT_EQ(t_.window.output, mark.records + "edited");
  t_.window.output = mark.records;
  ShowArray(t_.program);  // a redraw: only the record goes
  PutGrid(t_.window.surface, 0, 0, kGreen);
  EXPECT_EQ(UndoAddition(t_.program, mark), "");
  EXPECT_EQ(t_.window.output, "");
  EXPECT_EQ(CellColour(4, 6), kRed);
  EXPECT_EQ(CellColour(0, 0), kGreen);
}

TEST_F(MarkingTest, OnlyOneFirstCornerShows) {
  Run({{L, 44, 64}, {L, 54, 74}});
  EXPECT_EQ(CellColour(4, 6), kRed);
  EXPECT_EQ(CellColour(5, 7), kGreen);
  // A corner a fill turned blue stays blue.
  Run({{R, 54, 64}, {L, 44, 74}});
  EXPECT_EQ(CellColour(5, 7), kBlue);
  EXPECT_EQ(CellColour(4, 7), kGreen);
}

TEST_F(MarkingTest, ARedrawForgetsTheFirstCorner) {
  Run({{L, 44, 64}});
  t_.window.layer = 3;
  ShowArray(t_.program);
  t_.window.layer = 2;
  ShowArray(t_.program);
  Run({{R, 54, 74}});
  EXPECT_EQ(t_.window.output, "");
  EXPECT_EQ(CellColour(5, 7), kRed);
}

TEST_F(MarkingTest, DroppingTheFirstCornerForgetsIt) {
  EXPECT_FALSE(DropFirstCorner(t_.program));
  Run({{L, 44, 64}});
  EXPECT_TRUE(DropFirstCorner(t_.program));
  EXPECT_EQ(CellColour(4, 6), kRed);
  Run({{R, 54, 74}});
  EXPECT_EQ(t_.window.output, "");
}

TEST(Marking, ARecordLoadsBackAsExactlyTheMarkedCells) {
  // A full layer 9, so that any rectangle can be marked on it.
  std::string full = "Map\r\n\r\n";
  for (int x = 0; x < kColumns; ++x) {
    for (int y = 0; y < kRows; ++y) {
      full += "7 3 " + std::to_string(x) + " " + std::to_string(y) + " 9\r\n";
    }
  }
  TempTemplate file(full);
  TestProgram t(file.Path());
  t.window.layer = 9;
  LoadToArray(t.program, "7", "3");

  std::mt19937 random(4);
  std::uniform_int_distribution<int> index(0, 50);
  std::vector<std::array<int, 4>> corners = {
      {0, 0, 0, 0}, {50, 50, 0, 0}, {0, 50, 50, 0}, {2, 2, 3, 3}, {3, 3, 2, 2}};
  for (int i = 0; i < 40; ++i) {
    corners.push_back({index(random), index(random), index(random), index(random)});
  }
  for (const auto& [x1, y1, x2, y2] : corners) {
    ShowArray(t.program);
    t.window.SetOutputText("");
    PictureMouseDown(t.program, kLeftButton, x1 * 10 + 3.f, y1 * 10 + 5.f);
    PictureMouseDown(t.program, kRightButton, x2 * 10 + 8.f, y2 * 10 + 0.f);

    TempTemplate marked(Template({t.window.output.substr(0, t.window.output.size() - 2)}));
    TestProgram reader(marked.Path());
    LoadToArray(reader.program, "7", "3");
    std::set<Cell> expected;
    for (int x = std::min(x1, x2); x <= std::max(x1, x2); ++x) {
      for (int y = std::min(y1, y2); y <= std::max(y1, y2); ++y) expected.emplace(x, y, 9);
    }
    EXPECT_EQ(SetCells(reader.program.tilearray), expected) << t.window.output;
  }
}

// A left press, a move and the release, as a drag to mark.
TEST_F(MarkingTest, ADragFromAFirstCornerMarksAsARightPressAtItsEnd) {
  const struct {
    const char* what;
    Press press;
    int release_x, release_y;
    bool shift;
    std::string output;
  } cases[] = {
      {"to another tile", {L, 44, 64}, 54, 74, false, "TILEW 7 3 1 2 3 4 2\r\n"},
      {"back to the pressed cell", {L, 44, 64}, 46, 66, false, ""},
      {"over a cell without a tile", {L, 44, 64}, 84, 84, false, ""},
      {"with Shift over one", {L, 44, 64}, 84, 84, true, "TILEW 7 3 1 5 3 5 2\r\n"},
      {"from a square without a tile", {L, 14, 14}, 54, 74, false, ""},
      {"after a right press, which marked alone",
       {R, 44, 64},
       54,
       74,
       false,
       "TILEW 7 3 1 1 3 3 2\r\n"},
  };
  for (const auto& c : cases) {
    t_.window.output.clear();
    SetUp();  // reads the box afresh: no square is blue
    Run({{L, 44, 64}});  // a first corner from an earlier click, which a drag must not use
    PictureMouseUp(t_.program, 44, 64);
    Run({c.press});
    PictureMouseUp(t_.program, static_cast<float>(c.release_x), static_cast<float>(c.release_y),
                   c.shift);
    EXPECT_EQ(t_.window.output, c.output) << c.what;
  }
}

}  // namespace
}  // namespace quarnel
