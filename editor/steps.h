#pragma once

#include <string_view>

#include "editor/program.h"

namespace quarnel {

// Makes (id1, id2) the current type: reads the template named by the path box, sets the caption
// from its header lines and fills tilearray with every cell the type's tile and rectangle records
// cover. A fault leaves tilearray, curtype and the caption exactly as they were.
void LoadToArray(Program& program, std::string_view id1, std::string_view id2);

// Starts a run over the template's tile types and shows the first. A template without tile
// records gives an empty run: its caption, an empty layer and, in `rectangles_only`, how many
// rectangle records it holds. A fault leaves the previous run as it was.
void StartTiles(Program& program);

// Loads and draws the next tile type of the run, in the order in which the types' first tile
// records stand in the file. Rectangle records never start a type. Once every type has been shown
// it changes nothing. A fault changes nothing either, so the same step can be retried. Every step
// reads the template afresh, so that edits between steps take effect.
void DoNextTile(Program& program);

}  // namespace quarnel
