#pragma once

#include <QScrollBar>

namespace quarnel {

// The layer spinner: a small vertical scroll bar whose arrows step the layer. The style draws no
// focus on a scroll bar, so it draws its own ring while it has the focus.
class LayerSpinner : public QScrollBar {
  Q_OBJECT

 public:
  explicit LayerSpinner(QWidget* parent);

 protected:
  void paintEvent(QPaintEvent* event) override;
};

}  // namespace quarnel
