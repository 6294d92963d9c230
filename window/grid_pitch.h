#pragma once

#include <QRect>

namespace quarnel {

// Where the grid's squares fall in device pixels for a cell pitch in whole device pixels: every
// square and every gap has one size at any scale and zoom.
class GridPitch {
 public:
  static constexpr int kMinimum = 4;  // a square of 3 pixels and a gap of 1
  // The pitch at 100 % zoom on a screen of this device pixel ratio, rounded down.
  static int Natural(double device_pixel_ratio);
  // The largest pitch zooming in reaches.
  static int Maximum(double device_pixel_ratio) { return 4 * Natural(device_pixel_ratio); }

  explicit GridPitch(int pitch);

  int Pitch() const { return pitch_; }
  int Square() const { return square_; }
  // The grid's width and height in device pixels.
  int Side() const;
  // ... and in logical pixels, rounded up.
  int LogicalSide(double device_pixel_ratio) const;

  // The raster coordinate shown at a device pixel coordinate: a square's pixels map onto the
  // raster's square, a gap's onto the raster's gap.
  int RasterAt(int device) const;
  // The square of cell (column, row), in device pixels.
  QRect SquareOf(int column, int row) const;
  // The ring of gap around the cells of `cells` (columns and rows), in device pixels.
  QRect GapAround(const QRect& cells) const;

 private:
  int pitch_;
  int square_;
};

}  // namespace quarnel
