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

int GridPitch::Natural(double device_pixel_ratio) {
  return std::max(kMinimum, static_cast<int>(std::floor(kCellPitch * device_pixel_ratio + 1e-6)));
}

// The gap grows with the square, a tenth of the pitch, as the raster's is.
GridPitch::GridPitch(int pitch)
    : pitch_(std::max(kMinimum, pitch)),
      square_(pitch_ - std::max(1, static_cast<int>(std::lround(pitch_ / double{kCellPitch})))) {}

// The last square's gap too, as in the raster.
int GridPitch::Side() const {
  return kColumns * pitch_ + pitch_ - square_;
}

int GridPitch::LogicalSide(double device_pixel_ratio) const {
  return static_cast<int>(std::ceil(Side() / device_pixel_ratio - 1e-6));
}

int GridPitch::RasterAt(int device) const {
  if (device < 0) return -1;
  const int cell = device / pitch_;
  const int inside = device % pitch_;
  return cell * kCellPitch + (inside < square_ ? inside * kRasterSquare / square_ : kRasterSquare);
}

QRect GridPitch::SquareOf(int column, int row) const {
  return {column * pitch_, row * pitch_, square_, square_};
}

QRect GridPitch::GapAround(const QRect& cells) const {
  const int gap = pitch_ - square_;
  return QRect(QPoint(cells.left() * pitch_ - gap, cells.top() * pitch_ - gap),
               QPoint((cells.right() + 1) * pitch_ - 1, (cells.bottom() + 1) * pitch_ - 1));
}

}  // namespace quarnel
