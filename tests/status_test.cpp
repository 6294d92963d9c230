#include "editor/status.h"

#include <gtest/gtest.h>

#include <string>

#include "editor/grid_view.h"
#include "editor/steps.h"
#include "model/ordinal.h"
#include "model/percent.h"
#include "tests/test_template.h"

namespace quarnel {
namespace {

using testing::Template;
using testing::TempTemplate;
using testing::TestProgram;

TEST(Status, SaysWhereTheRunAndTheLayerStand) {
  TempTemplate file(Template({"7 3 4 6 0", "7 3 5 6 0", "8 1 1 1 2", "8 1 1 1 9", "9 9 0 0 0",
                              "a b 0 0 0", "c d 0 0 0", "e f 0 0 0", "g h 0 0 0", "i j 0 0 0",
                              "k l 0 0 0", "m n 0 0 0", "o p 0 0 0"}));
  TestProgram t(file.Path());
  EXPECT_EQ(RunStatus(t.program), "press go to show the first tile type");
  EXPECT_EQ(LayerStatus(t.program), "");
  StartTiles(t.program);
  EXPECT_EQ(RunStatus(t.program), "type 7 3, 1st shown of 11 types");
  EXPECT_EQ(LayerStatus(t.program), "layer 0: 2 cells of this type (2 in all)");
  DoNextTile(t.program);
  EXPECT_EQ(RunStatus(t.program), "type 8 1, 2nd shown of 11 types");
  EXPECT_EQ(LayerStatus(t.program),
            "layer 0: 0 cells of this type (2 in all); nearest with cells: 2 above, none below");
  t.window.layer = 5;
  EXPECT_EQ(LayerStatus(t.program),
            "layer 5: 0 cells of this type (2 in all); nearest with cells: 9 above, 2 below");
  const char* ordinals[] = {"3rd", "4th", "5th", "6th", "7th", "8th", "9th", "10th", "11th"};
  for (const char* ordinal : ordinals) {
    DoNextTile(t.program);
    EXPECT_NE(RunStatus(t.program).find(std::string(ordinal) + " shown of 11 types"),
              std::string::npos)
        << ordinal;
  }
  DoNextTile(t.program);
  EXPECT_EQ(RunStatus(t.program), "all 11 types shown; press go to start again");
}

TEST(Status, NamesTheNearestLayersEitherSideOfAnEmptyOne) {
  TempTemplate file(Template({"7 3 1 1 0", "7 3 2 2 5"}));
  TestProgram t(file.Path());
  StartTiles(t.program);
  t.window.layer = 2;
  EXPECT_EQ(LayerStatus(t.program),
            "layer 2: 0 cells of this type (2 in all); nearest with cells: 5 above, 0 below");
}

TEST(Status, CountsPlacesInWords) {
  const std::pair<std::size_t, const char*> cases[] = {
      {1, "1st"},   {2, "2nd"},   {3, "3rd"},   {4, "4th"},   {11, "11th"},   {12, "12th"},
      {13, "13th"}, {21, "21st"}, {22, "22nd"}, {23, "23rd"}, {111, "111th"}, {101, "101st"}};
  for (const auto& [n, word] : cases) EXPECT_EQ(Ordinal(n), word);
}

TEST(Status, NeverRoundsARealChangeToNoneOrAll) {
  const struct {
    long long before, after;
    const char* said;
  } cases[] = {{612, 21, "96.6%"},
               {1'000'000, 999'827, "0.02%"},
               {1'000'000, 1'000'000, "0.0%"},
               {0, 0, "0.0%"},
               {10'000, 1, "99.99%"},
               {10, 0, "100.0%"},
               {1'000'000, 999'999, "0.0001%"}};
  for (const auto& c : cases) EXPECT_EQ(Percent(c.before, c.after), c.said) << c.before;
  EXPECT_EQ(LinesChange(612, 21), "96.6% fewer");
  EXPECT_EQ(LinesChange(36, 48), "33.3% more");  // never "-33.3% fewer"
}

TEST(Status, SaysWhatToDoFirstAndWhenATemplateHoldsNoTiles) {
  TestProgram t;
  EXPECT_EQ(RunStatus(t.program), "choose a template with \"...\" or type its path, then press go");
  EXPECT_EQ(RunStatus(t.program, false),
            "choose a template with \"...\" or drop one here, then press go");
  TempTemplate file(Template({"TILEW 7 3 0 0 0 0 0"}, "Walls", " only"));
  t.window.path = file.Path();
  EXPECT_EQ(RunStatus(t.program), "press go to show the first tile type");
  StartTiles(t.program);
  EXPECT_EQ(t.window.caption, "Walls only");
  EXPECT_EQ(RunStatus(t.program),
            "this template holds no tile records (1 rectangle record): nothing to show");
  DoNextTile(t.program);
  EXPECT_EQ(RunStatus(t.program),
            "this template holds no tile records (1 rectangle record): nothing to show");
}

TEST(Status, SaysWhatARightPressWouldDo) {
  TempTemplate file(Template({"7 3 4 6 2", "7 3 5 6 2", "7 3 4 7 2", "7 3 5 8 2"}));
  TestProgram t(file.Path());
  t.window.layer = 2;
  LoadToArray(t.program, "7", "3");
  ShowArray(t.program);
  const struct {
    bool corner;
    int column, row;
    std::string text;
  } cases[] = {
      {false, 4, 6, "cell (4, 6), in a record 1 3"},
      {false, 51, 6, ""},
      {true, 51, 6, ""},
      {true, 5, 6, "rectangle (4, 6) to (5, 6), 2 x 1: a right press writes TILEW 7 3 1 2 3 3 2"},
      {true, 5, 8,
       "rectangle (4, 6) to (5, 8), 2 x 3: a right press is refused, 2 cells hold no "
       "tile (Shift + right press marks it anyway)"},
      {true, 3, 5,
       "rectangle (3, 5) to (4, 6), 2 x 2: a right press here does nothing: the second corner "
       "must be a red or green square"},
      // The first corner may lie right of or below the pointer.
      {true, 4, 7, "rectangle (4, 6) to (4, 7), 1 x 2: a right press writes TILEW 7 3 1 1 3 4 2"},
  };
  for (const auto& c : cases) {
    t.program.has_first_corner = c.corner;
    t.program.startx = 4;
    t.program.starty = 6;
    EXPECT_EQ(PointerStatus(t.program, c.column, c.row), c.text);
  }
  // What each square shows, in words.
  PutGrid(t.program.window.Picture(), 5, 6, kGreen);
  PutGrid(t.program.window.Picture(), 5, 8, kBlue);
  PutGrid(t.program.window.Picture(), 6, 8, kNoTile);
  const struct {
    int column, row;
    std::string text;
  } squares[] = {
      {4, 6, "red: a tile of type 7 3"},
      {5, 6, "green: the first corner, a tile of type 7 3"},
      {5, 8, "blue: a tile of type 7 3, covered by a record"},
      {6, 8, "violet: no tile of type 7 3, yet covered by a record"},
      {3, 5, "black: no tile of type 7 3"},
      {51, 5, ""},
  };
  for (const auto& c : squares) EXPECT_EQ(CellStateStatus(t.program, c.column, c.row), c.text);
  AutoResult none;
  EXPECT_EQ(AutoStatus(t.program, none), "Auto: every square of this layer is covered already");
  AutoResult some{Addition{}, 2, 7, 2};
  EXPECT_EQ(AutoStatus(t.program, some),
            "Auto wrote 2 rectangles for 7 cells; any cover needs at least 2");
  some.proven = true;
  EXPECT_EQ(AutoStatus(t.program, some),
            "Auto wrote 2 rectangles for 7 cells: the fewest possible");
  t.program.curtype.clear();  // before go
  EXPECT_EQ(AutoStatus(t.program, none), "Auto: no tile type is shown yet; press go first");
}

}  // namespace
}  // namespace quarnel
