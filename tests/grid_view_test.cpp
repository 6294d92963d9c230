#include "editor/grid_view.h"

#include <gtest/gtest.h>

#include "tests/test_template.h"

namespace quarnel {
namespace {

using testing::TestProgram;

TEST(PutGrid, FillsTheCellsSquareAndLeavesTheGap) {
  Surface surface;
  PutGrid(surface, 0, 0, kRed);
  PutGrid(surface, 49, 3, kBlue);
  PutGrid(surface, 50, 50, kGreen);
  const struct {
    int x, y;
    Colour colour;
  } points[] = {
      {0, 0, kRed},       {8, 8, kRed},       {9, 4, kBlack},     {4, 9, kBlack},
      {490, 30, kBlue},   {498, 38, kBlue},   {499, 38, kBlack},  {500, 500, kGreen},
      {508, 508, kGreen}, {509, 508, kBlack}, {584, 510, kBlack}, {-1, 0, kBlack},
      {585, 0, kBlack},
  };
  for (const auto& p : points) {
    EXPECT_EQ(surface.PointColour(p.x, p.y), p.colour) << p.x << "," << p.y;
  }
  surface.FillBox(-20, 600, 3, 500, kRed);  // clipped
  surface.Clear();
  for (int y = 0; y < surface.Height(); ++y) {
    for (int x = 0; x < surface.Width(); ++x) ASSERT_EQ(surface.PointColour(x, y), kBlack);
  }
}

TEST(GetGrid, MapsAPointToTheSquareThatHoldsIt) {
  const struct {
    float coordinate;
    int cell;
  } cases[] = {{0, 0},  {8, 0},  {9.9f, 0}, {10, 1},    {14, 1},   {18, 1},
               {20, 2}, {30, 3}, {38, 3},   {29.5f, 2}, {500, 50}, {508, 50}};
  for (const auto& c : cases) {
    EXPECT_EQ(GetGridX(c.coordinate), c.cell) << c.coordinate;
    EXPECT_EQ(GetGridY(c.coordinate), c.cell) << c.coordinate;
  }
}

TEST(ShowArray, DrawsTheSpinnersLayerOnly) {
  TestProgram t;
  t.program.tilearray.Set(0, 0, 2);
  t.program.tilearray.Set(50, 50, 100);
  t.program.tilearray.Set(50, 0, 2);
  t.program.tilearray.Set(3, 4, 5);
  t.program.has_first_corner = true;
  t.window.surface.FillBox(0, 0, 584, 510, kBlue);

  const struct {
    int layer;
    int x, y;  // a point inside a square
    Colour colour;
  } cases[] = {
      {2, 4, 4, kRed},       {2, 504, 4, kRed},   {2, 9, 4, kBlack},
      {2, 34, 44, kBlack},   {5, 34, 44, kRed},   {5, 4, 4, kBlack},
      {100, 508, 508, kRed}, {100, 4, 4, kBlack}, {0, 4, 4, kBlack},
  };
  for (const auto& c : cases) {
    t.window.layer = c.layer;
    ShowArray(t.program);
    EXPECT_EQ(t.window.surface.PointColour(c.x, c.y), c.colour)
        << "layer " << c.layer << " at " << c.x << "," << c.y;
    EXPECT_FALSE(t.program.has_first_corner);
  }
}

}  // namespace
}  // namespace quarnel
