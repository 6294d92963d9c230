#include "session/zoom.h"

#include <algorithm>

namespace quarnel {

Zoomed ZoomAbout(int zoom, int steps, double pointer_x, double pointer_y, double scroll_x,
                 double scroll_y) {
  const int from = std::clamp(zoom, 1, kMaxZoom);
  const int to = steps == 0 ? 1 : std::clamp(from + steps, 1, kMaxZoom);
  const double ratio = static_cast<double>(to) / from;
  // The grid's point under the pointer is scroll + pointer; it moves with the scale.
  const auto keep = [ratio](double pointer, double scroll) {
    return std::max(0.0, (scroll + pointer) * ratio - pointer);
  };
  return {to, keep(pointer_x, scroll_x), keep(pointer_y, scroll_y)};
}

std::string ZoomStatus(int zoom) {
  return "zoom " + std::to_string(zoom * 100) +
         " % (Ctrl + wheel zooms about the pointer, Ctrl++, Ctrl+-; Ctrl+0 fits the grid's box; "
         "drag with the middle button to pan)";
}

}  // namespace quarnel
