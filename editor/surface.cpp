#include "editor/surface.h"

#include <algorithm>

namespace quarnel {

Surface::Surface() : pixels_(static_cast<std::size_t>(kWidth) * kHeight, kBackground) {}

void Surface::Clear() {
  // An empty box has top > bottom, so nothing is touched.
  for (int y = dirty_top_; y <= dirty_bottom_; ++y) {
    auto row = pixels_.begin() + static_cast<std::ptrdiff_t>(y) * kWidth;
    std::fill(row + dirty_left_, row + dirty_right_ + 1, kBackground);
  }
  dirty_left_ = kWidth;
  dirty_top_ = kHeight;
  dirty_right_ = -1;
  dirty_bottom_ = -1;
}

void Surface::FillBox(int x1, int y1, int x2, int y2, Colour colour) {
  const int left = std::max(std::min(x1, x2), 0);
  const int right = std::min(std::max(x1, x2), kWidth - 1);
  const int top = std::max(std::min(y1, y2), 0);
  const int bottom = std::min(std::max(y1, y2), kHeight - 1);
  if (left > right || top > bottom) return;
  dirty_left_ = std::min(dirty_left_, left);
  dirty_top_ = std::min(dirty_top_, top);
  dirty_right_ = std::max(dirty_right_, right);
  dirty_bottom_ = std::max(dirty_bottom_, bottom);
  const std::uint32_t pixel = colour & 0xFFFFFFu;
  for (int y = top; y <= bottom; ++y) {
    auto row = pixels_.begin() + static_cast<std::ptrdiff_t>(y) * kWidth;
    std::fill(row + left, row + right + 1, pixel);
  }
}

Colour Surface::PointColour(int x, int y) const {
  if (x < 0 || x >= kWidth || y < 0 || y >= kHeight) return kBlack;
  return pixels_[static_cast<std::size_t>(y) * kWidth + static_cast<std::size_t>(x)];
}

}  // namespace quarnel
