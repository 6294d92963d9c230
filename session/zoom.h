#pragma once

#include <string>

namespace quarnel {

// The grid's zoom: a whole number of screen pixels for each of the raster's, from 1 (the grid
// fits its box) to kMaxZoom.
inline constexpr int kMaxZoom = 4;

struct Zoomed {
  int zoom = 1;
  double scroll_x = 0, scroll_y = 0;
};

// Zooming `steps` from `zoom` (0 steps: back to 1) about a point of the grid's box, `pointer`
// from its top-left corner, while the box is scrolled by `scroll`: the new zoom, and the scroll
// that keeps the point of the grid under the pointer where it was. In the front end's units (CSS
// pixels in the page); never below 0, and the front end keeps it within its scroll range.
Zoomed ZoomAbout(int zoom, int steps, double pointer_x, double pointer_y, double scroll_x,
                 double scroll_y);

// The status line's word on a new zoom.
std::string ZoomStatus(int zoom);

}  // namespace quarnel
