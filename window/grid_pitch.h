#pragma once

#include <QRect>

namespace quarnel {

// Where the grid's squares fall in device pixels at a given scale. A cell's pitch and its square
// are whole device pixels, so every square and every gap has one size at any scale; the grid is
// centred on the place it takes at 100 %, which the rounding may leave a little larger.
class GridPitch {
 public:
  explicit GridPitch(double scale);

  int Pitch() const { return pitch_; }
  int Square() const { return square_; }
  int Offset() const { return offset_; }

  // The raster coordinate shown at a device pixel coordinate: a square's pixels map onto the
  // raster's square, a gap's onto the raster's gap, and the border before the grid to -1.
  int RasterAt(int device) const;
  // The square of cell (column, row), in device pixels.
  QRect SquareOf(int column, int row) const;
  // The ring of gap around the cells of `cells` (columns and rows), in device pixels.
  QRect GapAround(const QRect& cells) const;

 private:
  int pitch_;
  int square_;
  int offset_;
};

}  // namespace quarnel
