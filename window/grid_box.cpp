#include "window/grid_box.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <cmath>

#include "session/zoom.h"
#include "window/content_scroller.h"
#include "window/grid_pitch.h"
#include "window/surface_view.h"

namespace quarnel {

GridBox::GridBox(SurfaceView* view, QWidget* parent) : QScrollArea(parent), view_(view) {
  setFrameShape(QFrame::NoFrame);
  setFocusPolicy(Qt::NoFocus);  // the grid inside is the Tab stop
  StyleScrollBars(this);
  setWidget(view_);
  view_->installEventFilter(this);
  connect(view_, &SurfaceView::zoomed, this,
          [this](int steps, QPointF at) { ZoomAbout(steps, view_->mapTo(viewport(), at)); });
  connect(view_, &SurfaceView::cursorMoved, this, &GridBox::ShowCursor);
}

void GridBox::SetFitPitch(int pitch) {
  fit_pitch_ = pitch;
  SizeView();
}

int GridBox::FitPitch() const {
  return fit_pitch_ > 0 ? fit_pitch_ : GridPitch::Natural(devicePixelRatioF());
}

int GridBox::Side() const {
  return GridPitch(FitPitch()).LogicalSide(devicePixelRatioF());
}

void GridBox::SizeView() {
  const GridPitch pitch(FitPitch() * zoom_);
  view_->SetPitch(pitch.Pitch());
  const int side = pitch.LogicalSide(devicePixelRatioF());
  view_->setFixedSize(side, side);
}

void GridBox::ZoomAbout(int steps, QPointF about) {
  const Zoomed to =
      quarnel::ZoomAbout(zoom_, steps, about.x(), about.y(), horizontalScrollBar()->value(),
                         verticalScrollBar()->value());
  zoom_ = to.zoom;
  SizeView();  // the scroll bars take their new ranges at once
  horizontalScrollBar()->setValue(static_cast<int>(std::lround(to.scroll_x)));
  verticalScrollBar()->setValue(static_cast<int>(std::lround(to.scroll_y)));
  view_->PointerMoved();
  emit zoomed(zoom_);
}

void GridBox::ZoomAboutMiddle(int steps) {
  ZoomAbout(steps, QPointF(viewport()->width() / 2.0, viewport()->height() / 2.0));
}

void GridBox::ShowCursor() {
  const QRect square = view_->CursorSquare();
  ensureVisible(square.center().x(), square.center().y(), square.width(), square.height());
}

bool GridBox::eventFilter(QObject* watched, QEvent* event) {
  if (watched == view_ && Pan(*event)) return true;
  return QScrollArea::eventFilter(watched, event);
}

void GridBox::keyPressEvent(QKeyEvent* event) {
  event->ignore();
}

bool GridBox::Pan(const QEvent& event) {
  const auto type = event.type();
  if (type != QEvent::MouseButtonPress && type != QEvent::MouseMove &&
      type != QEvent::MouseButtonRelease) {
    return false;
  }
  const auto& mouse = static_cast<const QMouseEvent&>(event);
  // Global positions: the grid moves under the pointer as it pans.
  if (type == QEvent::MouseButtonPress && mouse.button() == Qt::MiddleButton) {
    pan_from_ = mouse.globalPosition();
    pan_scroll_ = {horizontalScrollBar()->value(), verticalScrollBar()->value()};
    view_->setCursor(Qt::ClosedHandCursor);
    return true;
  }
  if (!pan_from_) return false;
  const QPoint moved = (mouse.globalPosition() - *pan_from_).toPoint();
  horizontalScrollBar()->setValue(pan_scroll_.x() - moved.x());
  verticalScrollBar()->setValue(pan_scroll_.y() - moved.y());
  view_->PointerMoved();
  if (type == QEvent::MouseButtonRelease && mouse.button() == Qt::MiddleButton) {
    pan_from_.reset();
    view_->unsetCursor();
  }
  return true;
}

}  // namespace quarnel
