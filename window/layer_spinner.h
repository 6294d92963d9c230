#pragma once

#include <QScrollBar>

namespace quarnel {

// The layer spinner: a small vertical scroll bar whose arrows step the layer by one. A vertical
// scroll bar counts down towards its top arrow; this one counts up, so that its up arrow raises
// the layer. The style draws no focus on a scroll bar, so it draws its own ring while it has the
// focus. The wheel is handled by MainFrm::eventFilter.
class LayerSpinner : public QScrollBar {
  Q_OBJECT

 public:
  explicit LayerSpinner(QWidget* parent);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  // Turns every step and page action (arrows, arrow keys, Page Up and Down) around before the new
  // value takes effect.
  void TurnAround(int action);
};

}  // namespace quarnel
