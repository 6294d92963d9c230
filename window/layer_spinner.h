#pragma once

#include <QScrollBar>

namespace quarnel {

// The layer spinner: a small vertical scroll bar whose arrows ask to step the layer by one, up
// for its up arrow (a vertical scroll bar counts down towards its top arrow). It moves only when
// the layer it is given changes. The style draws no focus on a scroll bar, so it draws its own ring
// while it has the focus. The wheel is handled by MainFrm::eventFilter.
class LayerSpinner : public QScrollBar {
  Q_OBJECT

 public:
  explicit LayerSpinner(QWidget* parent);

 signals:
  // An arrow, an arrow key, Page Up or Down: +1 up, -1 down, at either end of the range too.
  void stepped(int delta);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  // Keeps the value a step or page action (arrows, arrow keys, Page Up and Down) would set, and
  // says which way it went instead.
  void Step(int action);
};

}  // namespace quarnel
