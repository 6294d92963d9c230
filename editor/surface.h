#pragma once

#include <cstdint>
#include <vector>

namespace quarnel {

// 24-bit colours: red in the low byte, green in the middle, blue in the high byte.
using Colour = std::uint32_t;
inline constexpr Colour kBlack = 0;        // the background
inline constexpr Colour kRed = 255;        // a cell of the current type
inline constexpr Colour kGreen = 65280;    // the first corner of a rectangle
inline constexpr Colour kBlue = 16711680;  // a marked rectangle
// A cell that a record of the output box covers although the type has no tile there: saving it
// would add a tile. Violet, so that it stands apart from blue and from the background.
inline constexpr Colour kNoTile = 0xFF0080;

// An off-screen raster that the grid is drawn on and read back from. Each pixel is stored as its
// colour, so that on a little-endian machine the memory reads R, G, B, 0: an RGBX image the window
// can show as it is.
class Surface {
 public:
  static constexpr int kWidth = 585;
  static constexpr int kHeight = 511;

  Surface();

  // Fills the whole surface with the background colour. Only the part drawn on since the last
  // clear is touched, so redrawing a sparse layer costs little.
  void Clear();
  // Fills the box between two corner points, both included, clipped to the surface.
  void FillBox(int x1, int y1, int x2, int y2, Colour colour);
  // The colour last drawn at (x, y); the background outside the surface.
  Colour PointColour(int x, int y) const;

  int Width() const { return kWidth; }
  int Height() const { return kHeight; }
  // Pixel rows, kWidth pixels each, for showing the raster.
  const std::uint32_t* Pixels() const { return pixels_.data(); }

 private:
  // Zero bytes: clearing is a plain memset.
  static constexpr std::uint32_t kBackground = kBlack;
  std::vector<std::uint32_t> pixels_;
  // The box drawn on since the last clear; empty while left > right.
  int dirty_left_ = kWidth;
  int dirty_top_ = kHeight;
  int dirty_right_ = -1;
  int dirty_bottom_ = -1;
};

}  // namespace quarnel
