#pragma once

#include "model/program.h"

namespace quarnel {

inline constexpr int kLeftButton = 1;
inline constexpr int kRightButton = 2;

// A press on the surface at (x, y), in surface pixels. A left press on a red square makes it the
// first corner (green). A right press on a red or green square, once a first corner is set on this
// drawing, fills the rectangle spanned by the two corners in blue and appends its rectangle record
// to the output text. Other buttons and presses elsewhere do nothing.
void PictureMouseDown(Program& program, int button, float x, float y);

// The rectangle record for the current type and layer covering columns x1..x2 and rows y1..y2,
// ending in CR LF. Its bounds are stored kRectangleOffset below the grid indices.
std::string RectangleRecord(const std::string& curtype, int x1, int x2, int y1, int y2, int z);

}  // namespace quarnel
