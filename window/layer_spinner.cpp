#include "window/layer_spinner.h"

#include <QPainter>

namespace quarnel {

LayerSpinner::LayerSpinner(QWidget* parent) : QScrollBar(Qt::Vertical, parent) {
  setFocusPolicy(Qt::StrongFocus);
  setSingleStep(1);
  setPageStep(1);
  setInvertedAppearance(true);
  connect(this, &QAbstractSlider::actionTriggered, this, &LayerSpinner::TurnAround);
}

void LayerSpinner::TurnAround(int action) {
  // The new position is already set, clamped to the range; work from the unchanged value.
  switch (action) {
    case QAbstractSlider::SliderSingleStepAdd:
      setSliderPosition(value() - singleStep());
      break;
    case QAbstractSlider::SliderSingleStepSub:
      setSliderPosition(value() + singleStep());
      break;
    case QAbstractSlider::SliderPageStepAdd:
      setSliderPosition(value() - pageStep());
      break;
    case QAbstractSlider::SliderPageStepSub:
      setSliderPosition(value() + pageStep());
      break;
    default:
      break;
  }
}

void LayerSpinner::paintEvent(QPaintEvent* event) {
  QScrollBar::paintEvent(event);
  if (!hasFocus()) return;
  QPainter painter(this);
  painter.setPen(QPen(palette().color(QPalette::Highlight), 2));
  painter.drawRect(rect().adjusted(1, 1, -1, -1));
}

}  // namespace quarnel
