#include "window/surface_view.h"

#include <QCursor>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "editor/grid_view.h"
#include "editor/marking.h"
#include "editor/surface.h"
#include "model/template_format.h"

namespace quarnel {
namespace {

// A ring `rect` of the given thickness, inside its edge.
void FillRing(QPainter& painter, const QRect& rect, int thickness, const QColor& colour) {
  painter.fillRect(rect.left(), rect.top(), rect.width(), thickness, colour);
  painter.fillRect(rect.left(), rect.bottom() - thickness + 1, rect.width(), thickness, colour);
  painter.fillRect(rect.left(), rect.top(), thickness, rect.height(), colour);
  painter.fillRect(rect.right() - thickness + 1, rect.top(), thickness, rect.height(), colour);
}

}  // namespace

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

void SurfaceView::SetSelection(const QRect& cells) {
  if (cells == selection_) return;
  selection_ = cells;
  update();
}

void SurfaceView::SetPitch(int pitch) {
  if (pitch == pitch_) return;
  pitch_ = pitch;
  update();
}

GridPitch SurfaceView::Pitch() const {
  return GridPitch(pitch_ > 0 ? pitch_ : GridPitch::Natural(devicePixelRatioF()));
}

QPointF SurfaceView::RasterPoint(QPointF point) const {
  const GridPitch pitch = Pitch();
  const qreal scale = devicePixelRatioF();
  return {static_cast<qreal>(pitch.RasterAt(static_cast<int>(std::floor(point.x() * scale)))),
          static_cast<qreal>(pitch.RasterAt(static_cast<int>(std::floor(point.y() * scale))))};
}

void SurfaceView::PointerMoved() {
  if (underMouse()) emit hovered(RasterPoint(mapFromGlobal(QCursor::pos()).toPointF()));
}

QRect SurfaceView::CursorSquare() const {
  const QRect square = Pitch().SquareOf(cursor_.x(), cursor_.y());
  const qreal scale = devicePixelRatioF();
  return QRectF(square.x() / scale, square.y() / scale, square.width() / scale,
                square.height() / scale)
      .toAlignedRect();
}

void SurfaceView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), Qt::black);
  // Drawn in device pixels: each square of the raster, one colour as the core fills it, onto a
  // square of whole pixels. Filling is a tenth of the cost of scaling each square's pixels.
  const qreal scale = devicePixelRatioF();
  painter.scale(1 / scale, 1 / scale);
  const GridPitch pitch = Pitch();
  for (int row = 0; row < kRows; ++row) {
    for (int column = 0; column < kColumns; ++column) {
      const Colour colour = surface_.PointColour(column * kCellPitch, row * kCellPitch);
      if (colour == kBlack) continue;
      painter.fillRect(pitch.SquareOf(column, row),
                       QColor(colour & 0xFF, colour >> 8 & 0xFF, colour >> 16 & 0xFF));
    }
  }
  const int gap = pitch.Pitch() - pitch.Square();
  // White in the gaps around the squares, where it hides no colour.
  if (!selection_.isEmpty()) FillRing(painter, pitch.GapAround(selection_), gap, Qt::cyan);
  if (!preview_.isEmpty()) FillRing(painter, pitch.GapAround(preview_), gap, Qt::white);
  if (hasFocus()) {
    // The cell cursor: a yellow ring in the gap, and one as wide again outside it, so that it
    // stands out from the outline.
    const QRect around = pitch.GapAround(QRect(cursor_, cursor_));
    FillRing(painter, around.adjusted(-gap, -gap, gap, gap), 2 * gap, Qt::yellow);
  }
}

void SurfaceView::mousePressEvent(QMouseEvent* event) {
  int button = 0;
  if (event->button() == Qt::LeftButton) button = kLeftButton;
  if (event->button() == Qt::RightButton) button = kRightButton;
  const QPointF point = RasterPoint(event->position());
  if (button == kLeftButton && event->modifiers().testFlag(Qt::ControlModifier)) {
    return emit selectPressed(point);
  }
  emit pressed(button, point, event->modifiers().testFlag(Qt::ShiftModifier));
}

void SurfaceView::mouseMoveEvent(QMouseEvent* event) {
  emit hovered(RasterPoint(event->position()));
}

void SurfaceView::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  emit released(RasterPoint(event->position()), event->modifiers().testFlag(Qt::ShiftModifier));
}

void SurfaceView::leaveEvent(QEvent*) {
  emit left();
}

void SurfaceView::SetCursor(QPoint cell) {
  if (cell == cursor_) return;
  cursor_ = cell;
  update();
  emit cursorMoved();
}

void SurfaceView::keyPressEvent(QKeyEvent* event) {
  // The grid's keys, by the names the session knows them by; what they do is the session's.
  static const std::pair<int, const char*> kNames[] = {
      {Qt::Key_Left, "ArrowLeft"}, {Qt::Key_Right, "ArrowRight"}, {Qt::Key_Up, "ArrowUp"},
      {Qt::Key_Down, "ArrowDown"}, {Qt::Key_Space, " "},          {Qt::Key_Return, "Enter"},
      {Qt::Key_Enter, "Enter"},    {Qt::Key_Escape, "Escape"}};
  const Qt::KeyboardModifiers others =
      event->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier);
  for (const auto& [key, name] : kNames) {
    if (key == event->key() && others == Qt::NoModifier) {
      return emit keyed(QString::fromLatin1(name), event->modifiers().testFlag(Qt::ShiftModifier));
    }
  }
  QWidget::keyPressEvent(event);
}

void SurfaceView::focusInEvent(QFocusEvent* event) {
  QWidget::focusInEvent(event);
  update();
  // Reached from the keyboard, the cursor's cell is where the user is.
  if (event->reason() == Qt::TabFocusReason || event->reason() == Qt::BacktabFocusReason) {
    emit focused();
  }
}

void SurfaceView::wheelEvent(QWheelEvent* event) {
  if (!event->modifiers().testFlag(Qt::ControlModifier)) return QWidget::wheelEvent(event);
  // A notch is 120 eighths of a degree; touchpads send them in small parts.
  wheel_ += event->angleDelta().y();
  const int steps = wheel_ / 120;
  wheel_ %= 120;
  if (steps != 0) emit zoomed(steps, event->position());
  event->accept();
}

void SurfaceView::focusOutEvent(QFocusEvent* event) {
  QWidget::focusOutEvent(event);
  update();
  emit blurred();
}

}  // namespace quarnel
