#pragma once

#include "editor/program.h"

namespace quarnel {

inline constexpr int kLeftButton = 1;
inline constexpr int kRightButton = 2;

// A press on the surface at (x, y), in surface pixels. A left press on a red square makes it the
// first corner (green). A right press on a red or green square, once a first corner is set on this
// drawing, fills the rectangle spanned by the two corners in blue and appends its rectangle record
// to the output text. Other buttons and presses elsewhere do nothing.
void PictureMouseDown(Program& program, int button, float x, float y);

}  // namespace quarnel
