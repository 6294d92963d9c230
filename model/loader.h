#pragma once

#include <string>
#include <string_view>

#include "model/template_format.h"
#include "model/tile_array.h"

namespace quarnel {

// One tile type as a load reads it from a template: what the load makes current.
struct LoadedType {
  TileType type;
  TileArray tilearray;  // every cell the type's tile and rectangle records cover
  std::string caption;  // header line 1 followed directly by line 2
  TileArray held;       // the cells of those that the type's rectangle records cover
};

// Reads type (id1, id2) from the template at `path`. Throws Fault at the first line that a load
// of the type cannot read: a line without its ids, or a record of the type with a bad cell.
LoadedType LoadToArray(const std::string& path, std::string_view id1, std::string_view id2);

}  // namespace quarnel
