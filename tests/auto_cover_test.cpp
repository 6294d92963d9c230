#include "editor/auto_cover.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "editor/grid_view.h"
#include "editor/marking.h"
#include "editor/steps.h"
#include "tests/test_template.h"

namespace quarnel {
namespace {

using testing::Cell;
using testing::SetCells;
using testing::TempTemplate;
using testing::TestProgram;

Colour ColourOf(const Surface& surface, int x, int y) {
  return surface.PointColour(10 * x, 10 * y);
}

TEST(AutoCover, CoversRedAndGreenSquaresOnlyWhereThereAreTiles) {
  std::mt19937 random(17);
  for (int round = 0; round < 20; ++round) {
    // Type (7, 3) on layer 4 in random noise; some of it marked by hand first.
    std::string text = "Map\r\n\r\n";
    std::bernoulli_distribution on(round % 2 ? 0.5 : 0.85);
    for (int y = 0; y < kRows; ++y) {
      for (int x = 0; x < kColumns; ++x) {
        if (on(random)) text += "7 3 " + std::to_string(x) + " " + std::to_string(y) + " 4\r\n";
      }
    }
    TempTemplate file(text);
    TestProgram t(file.Path());
    t.window.layer = 4;
    LoadToArray(t.program, "7", "3");
    ShowArray(t.program);
    t.window.output = "kept\r\n";
    PictureMouseDown(t.program, kLeftButton, 4, 4);
    PictureMouseDown(t.program, kRightButton, 4, 4);
    PictureMouseDown(t.program, kLeftButton, 104, 104);  // a green first corner
    const Surface before = t.window.surface;

    AutoCover(t.program);
    EXPECT_FALSE(t.program.has_first_corner);
    ASSERT_EQ(t.window.output.substr(0, 6), "kept\r\n");
    for (int y = 0; y < kRows; ++y) {
      for (int x = 0; x < kColumns; ++x) {
        const Colour was = ColourOf(before, x, y);
        const Colour now = ColourOf(t.window.surface, x, y);
        if (was == kRed || was == kGreen || was == kBlue) {
          ASSERT_EQ(now, kBlue) << x << "," << y;
        } else {
          ASSERT_EQ(now, was) << x << "," << y;
        }
      }
    }
    // The records, loaded as a template, hold only cells of the type, and every one not marked.
    TempTemplate records("Map\r\n\r\n" + t.window.output.substr(6));
    TestProgram reader(records.Path());
    LoadToArray(reader.program, "7", "3");
    for (const auto& [x, y, z] : SetCells(reader.program.tilearray)) {
      ASSERT_EQ(z, 4);
      ASSERT_TRUE(t.program.tilearray.At(x, y, z)) << x << "," << y;
    }
    for (int y = 0; y < kRows; ++y) {
      for (int x = 0; x < kColumns; ++x) {
        const Colour was = ColourOf(before, x, y);
        if (was == kRed || was == kGreen) {
          ASSERT_TRUE(reader.program.tilearray.At(x, y, 4)) << x << "," << y;
        }
      }
    }
  }
}

// A 45° corridor five squares wide: one rectangle per row, where taking the largest first
// needs more.
TEST(AutoCover, WritesTheFewestRectanglesAndSaysSo) {
  std::string text = "Map\r\n\r\n";
  for (int y = 0; y < 8; ++y) {
    for (int x = y; x < y + 5; ++x) {
      text += "7 3 " + std::to_string(x) + " " + std::to_string(y) + " 0\r\n";
    }
  }
  TempTemplate file(text);
  TestProgram t(file.Path());
  LoadToArray(t.program, "7", "3");
  ShowArray(t.program);
  const AutoResult result = AutoCover(t.program);
  EXPECT_EQ(result.rectangles, 8);
  EXPECT_EQ(result.lower_bound, 8);
  EXPECT_TRUE(result.proven);
}

TEST(AutoCover, DoesNothingOnAnEmptyOrFullyMarkedLayer) {
  TestProgram t;
  AutoCover(t.program);
  EXPECT_EQ(t.window.output, "");
  PutGrid(t.window.surface, 3, 3, kBlue);
  AutoCover(t.program);
  EXPECT_EQ(t.window.output, "");
}

}  // namespace
}  // namespace quarnel
