#include "win32/grid_control.h"

#include <windows.h>

#include <windowsx.h>

#include <algorithm>
#include <utility>

#include "editor/grid_view.h"

namespace quarnel {
namespace {

constexpr wchar_t kClass[] = L"QuarnelGrid";

// The raster keeps red in its low byte; a bitmap's pixel keeps blue there.
std::uint32_t Swapped(std::uint32_t colour) {
  return ((colour & 0xFF) << 16) | (colour & 0xFF00) | ((colour >> 16) & 0xFF);
}

// A ring in the gaps around a box of cells, in raster pixels, as the page draws it.
void Ring(std::vector<std::uint32_t>& pixels, int width, int height, const Session::Box& box,
          int inset, int thickness, std::uint32_t colour) {
  if (box.left < 0) return;
  const int x = box.left * kCellPitch - 2 - inset, y = box.top * kCellPitch - 2 - inset;
  const int w = (box.right - box.left + 1) * kCellPitch + 2 + 2 * inset;
  const int h = (box.bottom - box.top + 1) * kCellPitch + 2 + 2 * inset;
  const auto fill = [&](int left, int top, int right, int bottom) {
    for (int row = std::max(top, 0); row < std::min(bottom, height); ++row) {
      for (int column = std::max(left, 0); column < std::min(right, width); ++column) {
        pixels[static_cast<std::size_t>(row * width + column)] = colour;
      }
    }
  };
  fill(x, y, x + w, y + thickness);
  fill(x, y + h - thickness, x + w, y + h);
  fill(x, y, x + thickness, y + h);
  fill(x + w - thickness, y, x + w, y + h);
}

}  // namespace

GridControl::GridControl(HWND parent, int id, Session& session,
                         std::function<void(bool moved)> changed)
    : session_(session), changed_(std::move(changed)) {
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW type{};
  type.cbSize = sizeof type;
  type.style = CS_DBLCLKS;
  type.lpfnWndProc = &GridControl::Procedure;
  type.hInstance = instance;
  type.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32515));  // IDC_CROSS
  type.lpszClassName = kClass;
  RegisterClassExW(&type);  // once; a second registration fails harmlessly
  window_ =
      CreateWindowExW(0, kClass, L"Picture1", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0, 0, 1, 1,
                      parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, this);
}

void GridControl::SetScale(int scale) {
  scale_ = std::max(1, scale);
  InvalidateRect(window_, nullptr, FALSE);
}

LRESULT CALLBACK GridControl::Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lparam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<GridControl*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (!self || !self->window_) return DefWindowProcW(window, message, wparam, lparam);
  return self->Handle(message, wparam, lparam);
}

double GridControl::RasterX(LPARAM lparam) const {
  return static_cast<double>(GET_X_LPARAM(lparam)) / scale_;
}

double GridControl::RasterY(LPARAM lparam) const {
  return static_cast<double>(GET_Y_LPARAM(lparam)) / scale_;
}

LRESULT GridControl::Handle(UINT message, WPARAM wparam, LPARAM lparam) {
  const bool shift = (wparam & MK_SHIFT) != 0, ctrl = (wparam & MK_CONTROL) != 0;
  switch (message) {
    case WM_GETDLGCODE:
      // Arrows, Space and Enter mark on the grid; Tab still moves on.
      return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN: {
      SetFocus(window_);
      const bool left = message == WM_LBUTTONDOWN || message == WM_LBUTTONDBLCLK;
      const bool right = message == WM_RBUTTONDOWN || message == WM_RBUTTONDBLCLK;
      if (left) SetCapture(window_);
      session_.Press(left    ? kLeftButton
                     : right ? kRightButton
                             : 0,
                     RasterX(lparam), RasterY(lparam), shift, ctrl);
      changed_(false);
      return 0;
    }
    case WM_LBUTTONUP:
      if (GetCapture() == window_) ReleaseCapture();
      session_.Release(RasterX(lparam), RasterY(lparam), shift);
      changed_(false);
      return 0;
    case WM_MOUSEMOVE:
      if (!tracking_) {
        TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, window_, 0};
        tracking_ = TrackMouseEvent(&track) != FALSE;
      }
      session_.Hover(RasterX(lparam), RasterY(lparam));
      changed_(true);
      return 0;
    case WM_MOUSELEAVE:
      tracking_ = false;
      session_.Leave();
      changed_(true);
      return 0;
    case WM_SETFOCUS:
      session_.GridFocus();
      changed_(true);
      return 0;
    case WM_KILLFOCUS:
      session_.GridBlur();
      changed_(true);
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
      Paint();
      return 0;
    default:
      return DefWindowProcW(window_, message, wparam, lparam);
  }
}

void GridControl::Paint() {
  const Surface& raster = session_.Raster();
  const int width = raster.Width(), height = raster.Height();
  shown_.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  std::transform(raster.Pixels(), raster.Pixels() + shown_.size(), shown_.begin(), Swapped);
  Ring(shown_, width, height, session_.Selection(), -1, 1, 0x00FFFF);
  Ring(shown_, width, height, session_.Preview(), -1, 1, 0xFFFFFF);
  if (GetFocus() == window_) {
    const int column = session_.CursorColumn(), row = session_.CursorRow();
    Ring(shown_, width, height, {column, row, column, row}, 0, 2, 0xFFFF00);
  }
  BITMAPINFO bitmap{};
  bitmap.bmiHeader.biSize = sizeof bitmap.bmiHeader;
  bitmap.bmiHeader.biWidth = width;
  bitmap.bmiHeader.biHeight = -height;  // rows from the top
  bitmap.bmiHeader.biPlanes = 1;
  bitmap.bmiHeader.biBitCount = 32;
  bitmap.bmiHeader.biCompression = BI_RGB;
  PAINTSTRUCT paint;
  const HDC device = BeginPaint(window_, &paint);
  // Whole screen pixels for each raster pixel, copied, never blended.
  SetStretchBltMode(device, COLORONCOLOR);
  StretchDIBits(device, 0, 0, width * scale_, height * scale_, 0, 0, width, height, shown_.data(),
                &bitmap, DIB_RGB_COLORS, SRCCOPY);
  EndPaint(window_, &paint);
}

}  // namespace quarnel
