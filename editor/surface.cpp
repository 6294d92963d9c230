#include "editor/surface.h"

#include <algorithm>

namespace quarnel {

Surface::Surface() : pixels_(static_cast<std::size_t>(kWidth) * kHeight, kOpaque | kBlack) {}

void Surface::Clear() {
  std::fill(pixels_.begin(), pixels_.end(), kOpaque | kBlack);
}

void Surface::FillBox(int x1, int y1, int x2, int y2, Colour colour) {
  const int left = std::max(std::min(x1, x2), 0);
  const int right = std::min(std::max(x1, x2), kWidth - 1);
  const int top = std::max(std::min(y1, y2), 0);
  const int bottom = std::min(std::max(y1, y2), kHeight - 1);
  if (left > right) return;
  const std::uint32_t pixel = kOpaque | (colour & 0xFFFFFFu);
  for (int y = top; y <= bottom; ++y) {
    auto row = pixels_.begin() + static_cast<std::ptrdiff_t>(y) * kWidth;
    std::fill(row + left, row + right + 1, pixel);
  }
}

Colour Surface::PointColour(int x, int y) const {
  if (x < 0 || x >= kWidth || y < 0 || y >= kHeight) return kBlack;
  return pixels_[static_cast<std::size_t>(y) * kWidth + static_cast<std::size_t>(x)] & 0xFFFFFFu;
}

}  // namespace quarnel
