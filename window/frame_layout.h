#pragma once

#include <QRect>
#include <QSize>

namespace quarnel {

// Where the window's controls lie on its content, in logical pixels: the grid at the top left,
// the output box right of it, the row of buttons below both, the status line below that, and the
// types panel, when shown, right of the output box. Everything follows the grid's size.
struct FrameLayout {
  static constexpr int kPanelWidth = 400;   // the panel's width where there is room
  static constexpr int kNarrowPanel = 340;  // the narrowest that keeps its columns readable

  // `grid`: the grid's side; `panel`: the panel's width, 0 when hidden.
  FrameLayout(int grid, int panel);

  QRect picture, path, browse, go, layer_box, spinner, output, next_tile, auto_cover, save,
      panel_button, auto_many, panel, status;
  QSize content;
};

// The zoom and the panel's width with which the content fits `room` (logical pixels) on a screen
// of this device pixel ratio: the largest pitch up to `from_pitch` that fits, the panel narrowed
// before the grid. The smallest pitch where none fits.
struct FrameFit {
  int pitch;  // device pixels per cell
  int panel;  // 0 when hidden
};
FrameFit FitFrame(QSize room, double device_pixel_ratio, bool panel_shown, int from_pitch);

}  // namespace quarnel
