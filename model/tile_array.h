#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <numeric>
#include <vector>

#include "model/template_format.h"

namespace quarnel {

// Which cells of which layers hold a tile of the current type. Stored column-fastest, one byte a
// flag, with a count of set flags per layer so that empty layers are known at once.
struct TileArray {
  static constexpr int kLayerSize = kLayerCells;
  static constexpr int kSize = kGridCells;

  std::vector<std::uint8_t> flags = std::vector<std::uint8_t>(kSize, 0);
  std::array<int, kLayers> layer_count{};

  static bool InRange(int x, int y, int z) {
    return x >= 0 && x < kColumns && y >= 0 && y < kRows && z >= 0 && z < kLayers;
  }
  static int Index(int x, int y, int z) { return static_cast<int>(GridCell{x, y, z}.Index()); }

  // Both take indices inside the grid; callers check them first.
  bool At(int x, int y, int z) const { return flags[static_cast<std::size_t>(Index(x, y, z))]; }
  void Set(int x, int y, int z) {
    auto& flag = flags[static_cast<std::size_t>(Index(x, y, z))];
    if (!flag) {
      flag = 1;
      ++layer_count[static_cast<std::size_t>(z)];
    }
  }
  // Sets columns x1..x2 and rows y1..y2 of layer z, all inside the grid.
  // A row at a time: counts the flags it sets, then sets them all.
  void SetBox(const Box& box) {
    const auto width = static_cast<std::size_t>(box.x2 - box.x1 + 1);
    int& count = layer_count[static_cast<std::size_t>(box.z)];
    for (int y = box.y1; y <= box.y2; ++y) {
      std::uint8_t* const row = flags.data() + Index(box.x1, y, box.z);
      count += static_cast<int>(width) - std::accumulate(row, row + width, 0);
      std::memset(row, 1, width);
    }
  }
  bool LayerHasCells(int z) const { return layer_count[static_cast<std::size_t>(z)] > 0; }
};

// Clears every flag a load can set: all columns, rows and layers.
void ClearArray(TileArray& tilearray);

}  // namespace quarnel
