#include "window/surface_view.h"

#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <bit>

#include "editor/grid_view.h"
#include "editor/marking.h"
#include "editor/surface.h"

namespace quarnel {

// Each raster pixel is 0x00'BB'GG'RR, in memory order R, G, B, 0 on a little-endian machine: an
// RGBX8888 image, whose fourth byte Qt ignores, so the raster is shown without a copy.
static_assert(std::endian::native == std::endian::little, "the raster is shown as RGBX8888");

SurfaceView::SurfaceView(const Surface& surface, QWidget* parent)
    : QWidget(parent), surface_(surface) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setFocusPolicy(Qt::StrongFocus);
  setMouseTracking(true);
}

void SurfaceView::SetPreview(const QRect& cells) {
  if (cells == preview_) return;
  preview_ = cells;
  update();
}

void SurfaceView::paintEvent(QPaintEvent*) {
  const QImage image(reinterpret_cast<const uchar*>(surface_.Pixels()), surface_.Width(),
                     surface_.Height(), surface_.Width() * 4, QImage::Format_RGBX8888);
  QPainter painter(this);
  painter.fillRect(rect(), Qt::black);
  // Scaled without smoothing: at 150 % and 200 % every square keeps one size.
  painter.drawImage(0, 0, image);
  if (preview_.isEmpty()) return;
  // A white outline in the gaps around the squares, where it hides no colour.
  painter.setPen(QPen(Qt::white, 1));
  const int left = preview_.left() * kCellPitch - 1;
  const int top = preview_.top() * kCellPitch - 1;
  painter.drawRect(left, top, preview_.width() * kCellPitch, preview_.height() * kCellPitch);
}

void SurfaceView::mousePressEvent(QMouseEvent* event) {
  int button = 0;
  if (event->button() == Qt::LeftButton) button = kLeftButton;
  if (event->button() == Qt::RightButton) button = kRightButton;
  emit pressed(button, event->position(), event->modifiers().testFlag(Qt::ShiftModifier));
}

void SurfaceView::mouseMoveEvent(QMouseEvent* event) {
  emit hovered(event->position());
}

void SurfaceView::leaveEvent(QEvent*) {
  emit left();
}

}  // namespace quarnel
