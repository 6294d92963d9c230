#pragma once

#include <random>

#include "cover/cover.h"

namespace quarnel::bench {

// The kinds of layer the cover is measured on.
enum Shape { kRectangles, kBlobs, kNoise50, kNoise80, kRooms };

// One generated layer of the given kind; the same generator state gives the same layer.
LayerCells MakeLayer(Shape shape, std::mt19937& random);

}  // namespace quarnel::bench
