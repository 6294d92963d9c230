#pragma once

#include <cstdint>

namespace quarnel {

// The grid every template places its tiles on: columns and rows 0..50, layers 0..100. Its sizes
// are written here and nowhere else.
inline constexpr int kColumns = 51;
inline constexpr int kRows = 51;
inline constexpr int kLayers = 101;
inline constexpr int kLayerCells = kColumns * kRows;
inline constexpr int kGridCells = kLayerCells * kLayers;

// A cell of the grid. Cells are kept everywhere by their index x + kColumns * y + kLayerCells * z,
// so that a layer's cells and a row's cells lie together.
struct GridCell {
  int x = 0;
  int y = 0;
  int z = 0;

  static constexpr GridCell FromIndex(std::uint32_t index) {
    return {static_cast<int>(index % kColumns), static_cast<int>(index / kColumns % kRows),
            static_cast<int>(index / kLayerCells)};
  }
  constexpr std::uint32_t Index() const {
    return static_cast<std::uint32_t>(x + kColumns * y + kLayerCells * z);
  }
  // The index within its layer, x + kColumns * y, and back.
  constexpr int LayerIndex() const { return x + kColumns * y; }
  static constexpr GridCell FromLayerIndex(int index, int z = 0) {
    return {index % kColumns, index / kColumns, z};
  }
  bool operator==(const GridCell&) const = default;
};

}  // namespace quarnel
