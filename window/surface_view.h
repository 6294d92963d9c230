#pragma once

#include <QPoint>
#include <QPointF>
#include <QRect>
#include <QWidget>

#include "window/grid_pitch.h"

namespace quarnel {

class Surface;

// Shows the program's raster as it is and reports presses and pointer moves on it, in raster
// pixels. Its only drawing of its own is over the raster: the outline of the rectangle being
// marked and, while it has the focus, the keyboard's cell cursor. Marking reads the raster's
// colours, so it must stay as the core drew it.
//
// The grid's keys, while it has the focus (the arrows, Space, Enter and Escape), are passed on by
// name; other keys go on to the window.
class SurfaceView : public QWidget {
  Q_OBJECT

 public:
  SurfaceView(const Surface& surface, QWidget* parent);

  // Outlines the squares of columns and rows `cells` spans; an empty rectangle outlines nothing.
  void SetPreview(const QRect& cells);
  // The outline of the record the output box's caret is on; an empty rectangle for none.
  void SetSelection(const QRect& cells);
  const QRect& Selection() const { return selection_; }
  const QRect& Preview() const { return preview_; }
  // The cell the keyboard presses: column and row.
  QPoint Cursor() const { return cursor_; }
  void SetCursor(QPoint cell);
  // ... its square, in logical pixels of the view.
  QRect CursorSquare() const;
  // The grid moved under a pointer that did not: says again which point is under it.
  void PointerMoved();
  // Device pixels per cell; 0 until set: the natural pitch for the screen.
  void SetPitch(int pitch);
  GridPitch Pitch() const;

 signals:
  // button: 1 left, 2 right, 0 any other.
  void pressed(int button, QPointF point, bool shift);
  void hovered(QPointF point);
  // The left button let go, at a raster point.
  void released(QPointF point, bool shift);
  // A left press with Ctrl: select the records that cover the square.
  void selectPressed(QPointF point);
  void left();
  // One of the grid's keys: "ArrowLeft", "ArrowRight", "ArrowUp", "ArrowDown", " ", "Enter",
  // "Escape".
  void keyed(const QString& key, bool shift);
  // Reached from the keyboard; and the focus gone.
  void focused();
  void blurred();
  // Ctrl + wheel: `steps` notches, up (positive) to zoom in, at a point of the view.
  void zoomed(int steps, QPointF at);
  // The cell cursor moved.
  void cursorMoved();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;

 private:
  // The raster point shown at a point of the widget.
  QPointF RasterPoint(QPointF point) const;

  const Surface& surface_;
  QRect preview_;
  QRect selection_;
  QPoint cursor_{0, 0};
  int pitch_ = 0;
  int wheel_ = 0;  // eighths of a degree turned, not yet a whole notch
};

}  // namespace quarnel
