#include "window/surface_view.h"

#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <bit>

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
}

void SurfaceView::paintEvent(QPaintEvent*) {
  const QImage image(reinterpret_cast<const uchar*>(surface_.Pixels()), surface_.Width(),
                     surface_.Height(), surface_.Width() * 4, QImage::Format_RGBX8888);
  QPainter painter(this);
  painter.fillRect(rect(), Qt::black);
  painter.drawImage(0, 0, image);
}

void SurfaceView::mousePressEvent(QMouseEvent* event) {
  int button = 0;
  if (event->button() == Qt::LeftButton) button = kLeftButton;
  if (event->button() == Qt::RightButton) button = kRightButton;
  emit pressed(button, event->position());
}

}  // namespace quarnel
