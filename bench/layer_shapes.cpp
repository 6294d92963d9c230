#include "bench/layer_shapes.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace quarnel::bench {
namespace {

void Fill(LayerCells& layer, int x1, int y1, int x2, int y2, std::uint8_t value) {
  for (int y = std::max(0, y1); y <= std::min(kRows - 1, y2); ++y) {
    for (int x = std::max(0, x1); x <= std::min(kColumns - 1, x2); ++x)
      layer[x + kColumns * y] = value;
  }
}

void Rectangles(LayerCells& layer, std::mt19937& random) {
  std::uniform_int_distribution<int> coordinate(0, kColumns - 1);
  std::uniform_int_distribution<int> size(2, 18);
  for (int n = std::uniform_int_distribution<int>(3, 10)(random); n > 0; --n) {
    const int x = coordinate(random), y = coordinate(random), w = size(random), h = size(random);
    Fill(layer, x, y, x + w - 1, y + h - 1, 1);
  }
}

// A few round hills, cut at a level.
void Blobs(LayerCells& layer, std::mt19937& random) {
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  struct Hill {
    double x, y, r;
  };
  std::vector<Hill> hills;
  for (int n = 0; n < 5; ++n)
    hills.push_back({unit(random) * kColumns, unit(random) * kRows, 4 + unit(random) * 10});
  for (int y = 0; y < kRows; ++y) {
    for (int x = 0; x < kColumns; ++x) {
      double height = 0;
      for (const Hill& h : hills) {
        const double d2 = (x - h.x) * (x - h.x) + (y - h.y) * (y - h.y);
        height += std::exp(-d2 / (2 * h.r * h.r));
      }
      layer[x + kColumns * y] = height > 0.5;
    }
  }
}

// What a dungeon level holds: walls one cell thick with doors in them, floors with pillars left
// out, and corridors that climb in steps.
void Rooms(LayerCells& layer, std::mt19937& random) {
  std::uniform_int_distribution<int> coordinate(0, kColumns - 1);
  std::uniform_int_distribution<int> size(5, 20);
  std::uniform_int_distribution<int> kind(0, 2);
  for (int n = std::uniform_int_distribution<int>(2, 5)(random); n > 0; --n) {
    const int x = coordinate(random), y = coordinate(random);
    const int w = size(random), h = size(random);
    switch (kind(random)) {
      case 0: {  // walls, a door or two in them
        Fill(layer, x, y, x + w - 1, y + h - 1, 1);
        Fill(layer, x + 1, y + 1, x + w - 2, y + h - 2, 0);
        for (int d = std::uniform_int_distribution<int>(1, 3)(random); d > 0; --d) {
          const int at = std::uniform_int_distribution<int>(1, std::min(w, h) - 2)(random);
          const int side = kind(random);
          if (side == 0) Fill(layer, x + at, y, x + at, y, 0);
          if (side == 1) Fill(layer, x, y + at, x, y + at, 0);
          if (side == 2) Fill(layer, x + at, y + h - 1, x + at, y + h - 1, 0);
        }
        break;
      }
      case 1: {  // a floor, pillars every few cells
        Fill(layer, x, y, x + w - 1, y + h - 1, 1);
        const int every = std::uniform_int_distribution<int>(3, 5)(random);
        for (int py = y + 2; py < y + h - 2; py += every) {
          for (int px = x + 2; px < x + w - 2; px += every) Fill(layer, px, py, px, py, 0);
        }
        break;
      }
      default: {  // a corridor climbing in steps
        const int width = std::uniform_int_distribution<int>(2, 5)(random);
        const int step = std::uniform_int_distribution<int>(1, 3)(random);
        for (int row = 0; row < h; ++row) {
          const int shift = row / step * step;
          Fill(layer, x + shift, y + row, x + shift + width - 1, y + row, 1);
        }
        break;
      }
    }
  }
}

}  // namespace

LayerCells MakeLayer(Shape shape, std::mt19937& random) {
  LayerCells layer{};
  switch (shape) {
    case kRectangles:
      Rectangles(layer, random);
      break;
    case kBlobs:
      Blobs(layer, random);
      break;
    case kNoise50:
    case kNoise80: {
      std::uniform_real_distribution<double> unit(0.0, 1.0);
      const double share = shape == kNoise50 ? 0.5 : 0.8;
      for (auto& cell : layer) cell = unit(random) < share;
      break;
    }
    case kRooms:
      Rooms(layer, random);
      break;
  }
  return layer;
}

}  // namespace quarnel::bench
