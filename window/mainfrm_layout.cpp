// The main window's layout: where the controls lie for the grid's box, fitting the screen, and
// the zoom keys.
#include <QKeySequence>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QShortcut>
#include <QStyle>
#include <utility>

#include "window/frame_layout.h"
#include "window/grid_box.h"
#include "window/grid_pitch.h"
#include "window/layer_spinner.h"
#include "window/mainfrm.h"
#include "window/output_box.h"
#include "window/status_line.h"
#include "window/surface_view.h"
#include "window/types_panel.h"

namespace quarnel {

void MainFrm::AddZoomKeys() {
  const std::pair<QKeySequence, int> keys[] = {{QKeySequence::ZoomIn, 1},
                                               {QKeySequence(Qt::CTRL | Qt::Key_Equal), 1},
                                               {QKeySequence::ZoomOut, -1},
                                               {QKeySequence(Qt::CTRL | Qt::Key_0), 0}};
  for (const auto& [sequence, steps] : keys) {
    auto* shortcut = new QShortcut(sequence, this);
    connect(shortcut, &QShortcut::activated, this, [this, steps = steps] { Zoom(steps); });
  }
  connect(grid_box_, &GridBox::zoomed, this,
          [this](int zoom) { Call([this, zoom] { session_.Zoomed(zoom); }); });
}

QSize MainFrm::ScreenRoom() const {
  const QScreen* shown_on = screen();
  // Room for the window's frame and title, which the window manager adds around it.
  return shown_on ? shown_on->availableGeometry().adjusted(0, 0, -8, -40).size() : QSize();
}

void MainFrm::LayOut() {
  const FrameLayout at(grid_box_->Side(), panel_ && panel_->isVisibleTo(this) ? panel_width_ : 0);
  const std::pair<QWidget*, QRect> places[] = {{grid_box_, at.picture},
                                               {thefile_, at.path},
                                               {command1_, at.browse},
                                               {command2_, at.go},
                                               {zval_, at.layer_box},
                                               {zscr_, at.spinner},
                                               {comlist_, at.output},
                                               {next_tile_, at.next_tile},
                                               {auto_cover_, at.auto_cover},
                                               {save_, at.save},
                                               {panel_button_, at.panel_button},
                                               {auto_many_, at.auto_many},
                                               {panel_, at.panel},
                                               {status_, at.status}};
  for (const auto& [control, rect] : places) {
    if (control) control->setGeometry(rect);
  }
  content_->setFixedSize(at.content);
}

void MainFrm::FitToScreen() {
  const QSize room = ScreenRoom();
  const bool panel_shown = panel_ && panel_->isVisibleTo(this);
  if (room.isValid()) {
    // Never zooms in: a zoom the user chose stays where it fits.
    const FrameFit fit = FitFrame(room, devicePixelRatioF(), panel_shown, grid_box_->FitPitch());
    grid_box_->SetFitPitch(fit.pitch);
    if (panel_shown) panel_width_ = fit.panel;
  }
  LayOut();
  QSize wanted = content_->size();
  if (!room.isValid()) {
    resize(wanted);
    return;
  }
  // Where one way is too short, its scroll bar takes room the other way.
  const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
  if (wanted.height() > room.height()) wanted.rwidth() += bar;
  if (wanted.width() > room.width()) wanted.rheight() += bar;
  resize(wanted.boundedTo(room));
  scroll_->horizontalScrollBar()->setValue(0);
  scroll_->verticalScrollBar()->setValue(0);
}

void MainFrm::Zoom(int steps) {
  if (steps != 0) return grid_box_->ZoomAboutMiddle(steps);
  // Fit the window: the largest box whose content the window shows whole, the grid filling it.
  const double ratio = devicePixelRatioF();
  const FrameFit fit = FitFrame(scroll_->maximumViewportSize(), ratio,
                                panel_ && panel_->isVisibleTo(this), GridPitch::Maximum(ratio));
  if (fit.panel > 0) panel_width_ = fit.panel;
  grid_box_->SetFitPitch(fit.pitch);
  LayOut();
  grid_box_->ZoomAbout(0, {});
}

}  // namespace quarnel
