#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "editor/program.h"
#include "model/template_format.h"
#include "model/tile_array.h"

namespace quarnel {

// Reads from the output text which cells of the current type its records cover, and how many
// cells of each type of the run: exactly for the current type, for another type the cells its
// records cover (up to the type's count). Where the text only gained or lost lines at its end since
// the last read, for the same type, run and template read, only those lines are read.
void ReadCovered(Program& program);

// Reads `lines`, about to be put at the end of an output text of `from` bytes, for ReadCovered to
// take (CoveredRead::added): `row_of` gives a type's row of the type table, or -1. Reads nothing
// of the program, so that it may run beside the window.
CoveredRead::Added ReadAddedLines(std::string_view lines, std::size_t from,
                                  const std::function<int(std::string_view key)>& row_of,
                                  const std::string& curtype, long long runs);

// Keeps the current type's cells, and those the template's own records hold, in its row's
// shown_cells, so that its covered count stays exact once another type is current.
void KeepCurrentCells(Program& program);

// The output text changed: ReadCovered, and the shown layer's squares of the current type turn
// blue where a record covers them and red where none does. A first corner stays green.
void OutputChanged(Program& program);

}  // namespace quarnel
