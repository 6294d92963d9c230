#include "window/layer_spinner.h"

#include <QPainter>

namespace quarnel {

LayerSpinner::LayerSpinner(QWidget* parent) : QScrollBar(Qt::Vertical, parent) {
  setFocusPolicy(Qt::StrongFocus);
  setSingleStep(1);
  setPageStep(1);
  setInvertedAppearance(true);
  connect(this, &QAbstractSlider::actionTriggered, this, &LayerSpinner::Step);
}

void LayerSpinner::Step(int action) {
  int delta = 0;
  switch (action) {
    case QAbstractSlider::SliderSingleStepAdd:
    case QAbstractSlider::SliderPageStepAdd:
      delta = -1;
      break;
    case QAbstractSlider::SliderSingleStepSub:
    case QAbstractSlider::SliderPageStepSub:
      delta = 1;
      break;
    default:
      return;
  }
  // The new position is already set; the value stays until the layer changes.
  setSliderPosition(value());
  emit stepped(delta);
}

void LayerSpinner::paintEvent(QPaintEvent* event) {
  QScrollBar::paintEvent(event);
  if (!hasFocus()) return;
  QPainter painter(this);
  painter.setPen(QPen(palette().color(QPalette::Highlight), 2));
  painter.drawRect(rect().adjusted(1, 1, -1, -1));
}

}  // namespace quarnel
