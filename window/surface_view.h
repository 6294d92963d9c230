#pragma once

#include <QPointF>
#include <QWidget>

namespace quarnel {

class Surface;

// Shows the program's raster as it is and reports mouse presses on it, in raster pixels. It never
// draws anything of its own.
class SurfaceView : public QWidget {
  Q_OBJECT

 public:
  SurfaceView(const Surface& surface, QWidget* parent);

 signals:
  // button: 1 left, 2 right, 0 any other.
  void pressed(int button, QPointF point);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  const Surface& surface_;
};

}  // namespace quarnel
