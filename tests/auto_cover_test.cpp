#include "editor/auto_cover.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "editor/covered.h"
#include "editor/grid_view.h"
#include "editor/marking.h"
#include "editor/status.h"
#include "editor/steps.h"
#include "editor/undo.h"
#include "model/box_read.h"
#include "model/loader.h"
#include "model/type_table.h"
#include "shorten/auto_types.h"
#include "tests/support/cells.h"
#include "tests/test_template.h"

namespace quarnel {
namespace {

using testing::Cell;
using testing::SetCells;

// Auto on every layer of every type of `keys`, at once.
LayersCovered CoverTypes(const std::string& path, std::vector<std::string> keys,
                         const std::string& box) {
  AutoTypesRun run(path, std::move(keys), std::make_shared<const std::string>(box));
  while (run.Next()) {
  }
  return run.Take();
}
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

// A record of the box that covers cells without tiles (a Shift mark) shows them violet, and Auto
// never covers such a cell itself: once that record goes, Auto's records add no tile.
TEST(AutoCover, NeverCoversACellWithoutATileThatTheBoxCovers) {
  // Two rows of three, with the middle of the lower row missing.
  TempTemplate file("Map\r\n\r\n7 3 0 0 0\r\n7 3 1 0 0\r\n7 3 2 0 0\r\n7 3 0 1 0\r\n7 3 2 1 0\r\n");
  TestProgram t(file.Path());
  LoadToArray(t.program, "7", "3");
  ShowArray(t.program);
  const std::string forced = "TILEW 7 3 -3 -2 -2 -2 0\r\n";  // (0, 1) and the empty (1, 1)
  t.window.SetOutputText(forced);
  EXPECT_EQ(ColourOf(t.window.surface, 1, 1), kNoTile);
  EXPECT_NE(PointerStatus(t.program, 1, 1).find("no tile of this type here"), std::string::npos);
  AutoCover(t.program);
  t.window.SetOutputText(std::string(t.window.output).erase(0, forced.size()));
  EXPECT_EQ(ColourOf(t.window.surface, 1, 1), kBlack);
  ForEachBoxRecord(t.window.output, [&](std::string_view, const Box& box) {
    for (int x = box.x1; x <= box.x2; ++x) {
      for (int y = box.y1; y <= box.y2; ++y)
        EXPECT_TRUE(t.program.tilearray.At(x, y, 0)) << x << "," << y;
    }
  });
}

// Type 7 3 on layers 0 and 2, partly held by its own rectangle record and partly by the box's;
// type 9 1 on layer 1. Auto on every type covers exactly what neither holds, on every layer.
TEST(AutoCoverMany, CoversEveryLayerOfEveryTypeAndNothingBeyondItsCells) {
  std::string text = "Map\r\n\r\nTILEW 7 3 -3 -2 -3 -3 2\r\n";
  for (const auto& [x, y, z] : std::vector<Cell>{
           {0, 0, 0}, {1, 0, 0}, {5, 5, 0}, {0, 0, 2}, {1, 0, 2}, {2, 0, 2}, {50, 50, 2}}) {
    text += "7 3 " + std::to_string(x) + " " + std::to_string(y) + " " + std::to_string(z) + "\r\n";
  }
  text += "9 1 3 4 1\r\n9 1 3 5 1\r\n";
  TempTemplate file(text);
  const std::string box = "TILEW 7 3 -3 -2 -3 -3 0\r\n";
  const LayersCovered all = CoverTypes(file.Path(), {"7 3", "9 1"}, box);
  EXPECT_EQ(all.types, 2);
  EXPECT_EQ(all.layers, 3);
  EXPECT_EQ(all.cells, 5);  // (5, 5, 0), (2, 0, 2), (50, 50, 2) and the two of 9 1
  EXPECT_EQ(all.rectangles, 4);
  EXPECT_EQ(all.proven, 3);
  for (const char* key : {"7 3", "9 1"}) {
    const std::string_view k(key);
    const LoadedType loaded = LoadToArray(file.Path(), k.substr(0, 1), k.substr(2));
    TileArray covered = CoveredCells(box + all.records, key);
    for (const Cell& cell : SetCells(loaded.held)) {
      covered.Set(std::get<0>(cell), std::get<1>(cell), std::get<2>(cell));
    }
    EXPECT_EQ(SetCells(covered), SetCells(loaded.tilearray)) << key;
  }

  // Every layer of the shown type writes that type's part, and goes on the box as one addition.
  TestProgram t(file.Path());
  t.window.output = box;
  LoadToArray(t.program, "7", "3");
  ShowArray(t.program);
  OutputChanged(t.program);
  AutoProgress progress;
  const AutoManyResult layers = AutoCoverLayers(t.program, progress);
  EXPECT_EQ(layers.records, all.records.substr(0, layers.records.size()));
  EXPECT_EQ(layers.types, 1);
  const Addition added = AddAutoRecords(t.program, layers);
  EXPECT_EQ(ColourOf(t.window.surface, 5, 5), kBlue);
  EXPECT_EQ(t.window.output, box + layers.records);
  EXPECT_EQ(UndoAddition(t.program, added), "");
  EXPECT_EQ(t.window.output, box);
  EXPECT_EQ(ColourOf(t.window.surface, 5, 5), kRed);
}

// One read for every type writes what Auto on every layer writes for each type loaded on its own.
TEST(AutoCoverMany, EveryTypeInOneReadWritesWhatEachTypeWrites) {
  std::mt19937 random(7);
  // Enough records for the cover to come in two parts.
  const TempTemplate generated(GeneratedTemplate(random, 100000));
  std::vector<std::string> paths{generated.Path()};
  for (const char* example : {"castle", "harbour", "mine"})
    paths.push_back(std::string(QUARNEL_EXAMPLES_DIR) + "/" + example + ".tmp");
  for (const std::string& path : paths) {
    const TypeTable types = ReadTypeTable(path);
    std::vector<std::string> keys;
    for (const TypeRow& row : types.rows) keys.emplace_back(types.Key(row));
    // A box holding a record of the first type, so that what it covers is left alone too.
    TestProgram t(path);
    const TileType first = TileType::OfKey(keys.front());
    LoadToArray(t.program, first.id1, first.id2);
    AutoProgress progress;
    const std::string first_records = AutoCoverLayers(t.program, progress).records;
    const std::string box = first_records.substr(0, first_records.find('\n') + 1);
    std::string each;
    for (const std::string& key : keys) {
      const TileType type = TileType::OfKey(key);
      t.window.output = box;
      LoadToArray(t.program, type.id1, type.id2);
      each += AutoCoverLayers(t.program, progress).records;
    }
    ASSERT_FALSE(each.empty()) << path;
    EXPECT_EQ(CoverTypes(path, keys, box).records, each) << path;
  }
}

}  // namespace
}  // namespace quarnel
