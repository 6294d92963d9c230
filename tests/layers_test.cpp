#include "editor/layers.h"

#include <gtest/gtest.h>

#include <string>

#include "editor/grid_view.h"
#include "model/fault.h"
#include "tests/test_template.h"

namespace quarnel {
namespace {

using testing::TestProgram;

// A program whose spinner runs layer navigation on every change, as the window wires it.
struct Navigator {
  TestProgram t;
  int passes = 0;

  explicit Navigator(std::initializer_list<int> layers_with_cells) {
    for (const int z : layers_with_cells) t.program.tilearray.Set(z % kColumns, 1, z);
    t.window.on_layer_change = [this] {
      ++passes;
      ZscrChange(t.program);
    };
  }
  // The spinner at `layer`, with the layer box and drawing following it.
  void StandAt(int layer) {
    t.window.layer = layer;
    t.window.layer_text = std::to_string(layer);
    ShowArray(t.program);
  }
  bool Drawn(int z) const {
    return t.window.surface.PointColour(z % kColumns * 10 + 4, 14) == kRed;
  }
};

TEST(ZscrChange, JumpsToTheNearestLayerWithCellsInTheDirectionOfTheChange) {
  const struct {
    const char* what;
    std::initializer_list<int> layers;
    int from;
    int to;
    int lands;
  } cases[] = {
      {"up to the next layer with cells", {0, 7}, 0, 1, 7},
      {"down to the next layer with cells", {0, 7}, 7, 6, 0},
      {"up past the last layer with cells", {0}, 0, 1, 1},
      {"down with nothing below", {7}, 7, 6, 6},
      {"up to layer 100 from below", {100}, 50, 51, 100},
      {"up to layer 100 by the arrow", {100}, 99, 100, 100},
      {"down from 100", {3, 100}, 100, 99, 3},
      {"a layer with cells at the new value", {4, 9}, 2, 4, 4},
      {"a jump of more than one step", {20, 30}, 0, 25, 30},
  };
  for (const auto& c : cases) {
    Navigator n(c.layers);
    n.StandAt(c.from);
    n.t.window.SetLayer(c.to);
    EXPECT_EQ(n.t.window.layer, c.lands) << c.what;
    EXPECT_EQ(n.t.window.layer_text, std::to_string(c.lands)) << c.what;
    for (const int z : c.layers) EXPECT_EQ(n.Drawn(z), z == c.lands) << c.what << ", layer " << z;
  }
}

TEST(ZscrChange, TheNestedChangeEndsInTheSameState) {
  Navigator n({0, 7});
  n.StandAt(0);
  n.t.window.SetLayer(1);
  EXPECT_EQ(n.passes, 2);  // the jump to 7 raised a second, nested change
  EXPECT_EQ(n.t.window.layer, 7);
  EXPECT_EQ(n.t.window.layer_text, "7");
  EXPECT_TRUE(n.Drawn(7));
}

TEST(ZscrChange, ComparesWithWhatTheLayerBoxHolds) {
  Navigator n({0, 7});
  n.StandAt(2);
  n.t.window.layer_text = "5";  // typed by the user
  n.t.window.SetLayer(3);       // 5 > 3: the search runs downward
  EXPECT_EQ(n.t.window.layer, 0);

  n.StandAt(4);
  n.t.window.layer = 7;
  n.t.window.layer_text = "7";
  ZscrChange(n.t.program);  // no change of direction: only a redraw
  EXPECT_EQ(n.t.window.layer, 7);
  EXPECT_TRUE(n.Drawn(7));
}

TEST(ZscrChange, ALayerBoxWithoutALayerIsAFaultAndTheShownLayerStays) {
  for (const char* bad : {"abc", "1e9", "-1", "101", "100.6"}) {
    Navigator n({0, 7});
    n.StandAt(0);
    n.t.window.layer_text = bad;
    n.t.window.layer = 1;
    try {
      ZscrChange(n.t.program);
      ADD_FAILURE() << "no fault for " << bad;
    } catch (const Fault& fault) {
      EXPECT_EQ(std::string(fault.what()), "The layer box holds \"" + std::string(bad) +
                                               "\", which is not a layer from 0 to 100; layer 0 "
                                               "stays shown.");
    }
    EXPECT_EQ(n.t.window.layer, 0) << bad;
    EXPECT_EQ(n.t.window.layer_text, "0") << bad;
    EXPECT_TRUE(n.Drawn(0));
  }
}

}  // namespace
}  // namespace quarnel
