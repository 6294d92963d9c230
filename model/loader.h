#pragma once

#include <string_view>

#include "model/program.h"

namespace quarnel {

// Makes (id1, id2) the current type: reads the template named by the path box, sets the caption
// from its header lines and fills tilearray with every cell the type's tile and rectangle records
// cover. A fault leaves tilearray, curtype and the caption exactly as they were.
void LoadToArray(Program& program, std::string_view id1, std::string_view id2);

}  // namespace quarnel
