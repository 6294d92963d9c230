#include "model/tile_array.h"

#include <algorithm>

namespace quarnel {

void ClearArray(TileArray& tilearray) {
  std::fill(tilearray.flags.begin(), tilearray.flags.end(), std::uint8_t{0});
  tilearray.layer_count.fill(0);
}

}  // namespace quarnel
