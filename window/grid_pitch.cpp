#include "window/grid_pitch.h"

#include <algorithm>
#include <cmath>

#include "editor/grid_view.h"
#include "model/template_format.h"

namespace quarnel {
namespace {

// A square's pixels in the raster: the square itself, then one pixel of gap.
constexpr int kRasterSquare = kSquareSize + 1;

}  // namespace

GridPitch::GridPitch(double scale)
    // Rounded down, so that the grid never outgrows its box.
    : pitch_(std::max(kCellPitch, static_cast<int>(std::floor(kCellPitch * scale + 1e-6)))),
      square_(pitch_ - std::max(1, static_cast<int>(std::lround(scale)))),
      offset_(static_cast<int>(std::lround(kColumns * kCellPitch * scale) - kColumns * pitch_) /
              2) {}

int GridPitch::RasterAt(int device) const {
  const int from_grid = device - offset_;
  if (from_grid < 0) return -1;
  const int cell = from_grid / pitch_;
  const int inside = from_grid % pitch_;
  return cell * kCellPitch + (inside < square_ ? inside * kRasterSquare / square_ : kRasterSquare);
}

QRect GridPitch::SquareOf(int column, int row) const {
  return {offset_ + column * pitch_, offset_ + row * pitch_, square_, square_};
}

QRect GridPitch::GapAround(const QRect& cells) const {
  const int gap = pitch_ - square_;
  return QRect(QPoint(offset_ + cells.left() * pitch_ - gap, offset_ + cells.top() * pitch_ - gap),
               QPoint(offset_ + (cells.right() + 1) * pitch_ - 1,
                      offset_ + (cells.bottom() + 1) * pitch_ - 1));
}

}  // namespace quarnel
