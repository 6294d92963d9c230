#include "window/layer_spinner.h"

#include <QPainter>

namespace quarnel {

LayerSpinner::LayerSpinner(QWidget* parent) : QScrollBar(Qt::Vertical, parent) {
  setFocusPolicy(Qt::StrongFocus);
}

void LayerSpinner::paintEvent(QPaintEvent* event) {
  QScrollBar::paintEvent(event);
  if (!hasFocus()) return;
  QPainter painter(this);
  painter.setPen(QPen(palette().color(QPalette::Highlight), 2));
  painter.drawRect(rect().adjusted(1, 1, -1, -1));
}

}  // namespace quarnel
