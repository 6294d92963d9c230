#pragma once

#include "model/program.h"

namespace quarnel {

// Starts a run over the template's tile types and shows the first. A fault leaves the previous
// run as it was.
void StartTiles(Program& program);

// Loads and draws the next tile type of the run, in the order in which the types' first tile
// records stand in the file. Rectangle records never start a type. Once every type has been shown
// it changes nothing. A fault changes nothing either, so the same step can be retried.
void DoNextTile(Program& program);

}  // namespace quarnel
