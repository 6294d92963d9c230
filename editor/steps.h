#pragma once

#include <string_view>

#include "editor/program.h"

namespace quarnel {

// Makes (id1, id2) the current type: reads the template named by the path box, sets the caption
// from its header lines and fills tilearray with every cell the type's tile and rectangle records
// cover. A fault leaves tilearray, curtype and the caption exactly as they were.
void LoadToArray(Program& program, std::string_view id1, std::string_view id2);

// Starts a run over the template's tile types and shows the first; reads the run's types for the
// types panel first, and refuses the template at its first line a load would refuse, of any type. A
// template without tile records gives an empty run: its caption, an empty layer and, in
// `rectangles_only`, how many rectangle records it holds. A fault leaves the previous run as it
// was.
void StartTiles(Program& program);

// Loads and draws the next tile type of the run, in the order in which the types' first tile
// records stand in the file. Rectangle records never start a type. Once every type has been shown
// it changes nothing. A fault changes nothing either, so the same step can be retried. Every step
// reads the template afresh, so that edits between steps take effect.
void DoNextTile(Program& program);

// Shows the type of row `row` of the run's types, from the template as it is now: makes it
// current, counts it as shown in the run and shows its first layer that holds cells. "Next Tile
// Type" then goes on with the types not shown yet, in file order. A fault changes nothing.
void ShowType(Program& program, std::size_t row);

// Shows exactly layer `layer` (0..100), with no search.
void ShowLayer(Program& program, int layer);

}  // namespace quarnel
