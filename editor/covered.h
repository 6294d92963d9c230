#pragma once

#include "editor/program.h"
#include "model/template_format.h"
#include "model/tile_array.h"

namespace quarnel {

// Reads from the output text which cells of the current type its records cover, and how many
// cells of each type of the run: exactly for the current type, for another type the cells its
// records cover (up to the type's count). Where the text only gained or lost lines at its end since
// the last read, for the same type, run and template read, only those lines are read.
void ReadCovered(Program& program);

// The output text changed: ReadCovered, and the shown layer's squares of the current type turn
// blue where a record covers them and red where none does. A first corner stays green.
void OutputChanged(Program& program);

}  // namespace quarnel
