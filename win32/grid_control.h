#pragma once

#include <functional>
#include <vector>

#include <windows.h>

#include "session/session.h"

namespace quarnel {

// Picture1: the session's raster, each of its pixels a square of whole screen pixels, with the
// selection, the preview and the keyboard's cell outlined in the gaps. Presses, moves, focus and
// the pointer leaving go to the session; `changed` runs after each, told whether only the pointer
// or the focus moved (which changes no record, layer or type).
class GridControl {
 public:
  GridControl(HWND parent, int id, Session& session, std::function<void(bool moved)> changed);
  GridControl(const GridControl&) = delete;
  GridControl& operator=(const GridControl&) = delete;

  HWND Handle() const { return window_; }
  // Screen pixels per raster pixel.
  void SetScale(int scale);
  int Scale() const { return scale_; }

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT Handle(UINT message, WPARAM wparam, LPARAM lparam);
  void Paint();
  double RasterX(LPARAM lparam) const;
  double RasterY(LPARAM lparam) const;

  Session& session_;
  std::function<void(bool moved)> changed_;
  HWND window_ = nullptr;
  int scale_ = 1;
  bool tracking_ = false;
  std::vector<std::uint32_t> shown_;  // the raster as a device-independent bitmap's rows
};

}  // namespace quarnel
