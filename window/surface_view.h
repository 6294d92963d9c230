#pragma once

#include <QPointF>
#include <QRect>
#include <QWidget>

namespace quarnel {

class Surface;

// Shows the program's raster as it is and reports presses and pointer moves on it, in raster
// pixels. Its only drawing of its own is the outline of the rectangle being marked, over the
// raster: marking reads the raster's colours, so it must stay as the core drew it.
class SurfaceView : public QWidget {
  Q_OBJECT

 public:
  SurfaceView(const Surface& surface, QWidget* parent);

  // Outlines the squares of columns and rows `cells` spans; an empty rectangle outlines nothing.
  void SetPreview(const QRect& cells);
  const QRect& Preview() const { return preview_; }

 signals:
  // button: 1 left, 2 right, 0 any other.
  void pressed(int button, QPointF point, bool shift);
  void hovered(QPointF point);
  void left();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  const Surface& surface_;
  QRect preview_;
};

}  // namespace quarnel
