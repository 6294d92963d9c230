#pragma once

#include <QPoint>
#include <QPointF>
#include <QScrollArea>
#include <optional>

namespace quarnel {

class SurfaceView;

// The grid's own scrolling box. It keeps its place and size in the window while the grid inside
// it zooms, so that the controls and the status line stay where they are at any zoom. At zoom 1
// the grid fills the box; zoom n gives each cell n times the box's pitch. Ctrl + wheel on the grid
// zooms about the pointer, a drag with the middle button pans, and the keyboard's cell cursor is
// kept in sight.
class GridBox : public QScrollArea {
  Q_OBJECT

 public:
  GridBox(SurfaceView* view, QWidget* parent);

  // Device pixels a cell at zoom 1; the zoom stays. Until set: the screen's natural pitch.
  void SetFitPitch(int pitch);
  int FitPitch() const;
  int Zoom() const { return zoom_; }
  // The box's side in logical pixels: the grid's at zoom 1.
  int Side() const;
  // Zooms by `steps` (0: back to 1) about `about`, a point of the box's viewport: the grid's point
  // under it stays there, as far as the scroll range allows.
  void ZoomAbout(int steps, QPointF about);
  // ... about the middle of what the box shows.
  void ZoomAboutMiddle(int steps);

 signals:
  void zoomed(int zoom);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  // The grid's unused keys (Page Up, Page Down, ...) go on to the window, not to scrolling.
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void SizeView();
  // The middle button's drag: true for the events it takes.
  bool Pan(const QEvent& event);
  void ShowCursor();

  SurfaceView* view_;
  int fit_pitch_ = 0;
  int zoom_ = 1;
  std::optional<QPointF> pan_from_;  // global position of the middle press
  QPoint pan_scroll_;                // the scroll at that press
};

}  // namespace quarnel
