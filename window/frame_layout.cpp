#include "window/frame_layout.h"

#include <algorithm>

#include "window/grid_pitch.h"

namespace quarnel {
namespace {

constexpr int kMargin = 8;
constexpr int kSpace = 7;  // between the grid, the output box and the row below
constexpr int kOutputWidth = 201;
constexpr int kRowHeight = 19;
constexpr int kStatusHeight = 45;
// From the output box's left edge: where the row's buttons right of it end.
constexpr int kRowEnd = 401;
constexpr int kPanelFrom = 208;

int ContentHeight(int grid) {
  return kMargin + grid + kSpace + kRowHeight + 5 + kStatusHeight + 5;
}

int ContentWidth(int grid, int panel) {
  const int output = kMargin + grid + kSpace;
  return output + std::max(kRowEnd, panel > 0 ? kPanelFrom + panel : 0) + kMargin;
}

}  // namespace

FrameLayout::FrameLayout(int grid, int panel_width) {
  const int ox = kMargin + grid + kSpace;  // the output box's left edge
  const int row = kMargin + grid + kSpace;
  picture = {kMargin, kMargin, grid, grid};
  output = {ox, kMargin, kOutputWidth, grid};
  path = {kMargin, row, ox - 95, kRowHeight};
  browse = {ox - 88, row, 17, 17};
  go = {ox - 64, row, 57, 17};
  layer_box = {ox, row, 25, kRowHeight};
  spinner = {ox + 24, row, 17, 17};
  next_tile = {ox + 48, row, 89, 17};
  auto_cover = {ox + 144, row, 57, 17};
  save = {ox + kPanelFrom, row, 57, 17};
  panel_button = {ox + 272, row, 57, 17};
  auto_many = {ox + 336, row, 65, 17};
  panel = {ox + kPanelFrom, kMargin, std::max(panel_width, kNarrowPanel), grid};
  content = {ContentWidth(grid, panel_width), ContentHeight(grid)};
  status = {kMargin, row + kRowHeight + 5, content.width() - 2 * kMargin, kStatusHeight};
}

FrameFit FitFrame(QSize room, double device_pixel_ratio, bool panel_shown, int from_pitch) {
  for (int pitch = from_pitch; pitch >= GridPitch::kMinimum; --pitch) {
    const int grid = GridPitch(pitch).LogicalSide(device_pixel_ratio);
    if (ContentHeight(grid) > room.height()) continue;
    if (!panel_shown) {
      if (ContentWidth(grid, 0) <= room.width()) return {pitch, 0};
      continue;
    }
    const int panel = std::min(FrameLayout::kPanelWidth,
                               room.width() - ContentWidth(grid, 0) + kRowEnd - kPanelFrom);
    if (panel >= FrameLayout::kNarrowPanel) return {pitch, panel};
  }
  return {GridPitch::kMinimum, panel_shown ? FrameLayout::kNarrowPanel : 0};
}

}  // namespace quarnel
