#pragma once

#include "editor/program.h"

namespace quarnel {

// Covers the drawn layer's cells that no marked rectangle covers yet with few rectangles: every
// red or green square is covered, blue squares may be covered again, nothing else is. Each
// rectangle is filled blue and its record appended to the output text, as if marked by hand. The
// first corner is forgotten.
void AutoCover(Program& program);

}  // namespace quarnel
