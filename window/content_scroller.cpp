#include "window/content_scroller.h"

#include <QApplication>
#include <QScrollArea>
#include <QScrollBar>

namespace quarnel {

QScrollArea* MakeContentScroller(QWidget* parent) {
  auto* scroller = new QScrollArea(parent);
  scroller->setFrameShape(QFrame::NoFrame);
  scroller->setFocusPolicy(Qt::NoFocus);  // a Tab stop that would show nothing
  StyleScrollBars(scroller);
  return scroller;
}

void StyleScrollBars(QAbstractScrollArea* scroller) {
  // The style draws a handle that fills most of the track nearly as light as the groove beside
  // it, so that the groove reads as the handle and scrolling seems to run backwards. A dark handle
  // on a plain track, without arrows, leaves no doubt.
  for (QScrollBar* bar : {scroller->verticalScrollBar(), scroller->horizontalScrollBar()}) {
    bar->setStyleSheet(
        QStringLiteral("QScrollBar { background: palette(base); }"
                       "QScrollBar::handle { background: palette(dark);"
                       " min-width: 20px; min-height: 20px; }"
                       "QScrollBar::add-line, QScrollBar::sub-line { width: 0; height: 0; }"));
  }
}

void ShowControl(QScrollArea* scroller, QWidget* control, int below) {
  if (!control || !scroller->widget()) return;
  // A control inside a scrolling box of the content, such as the zoomed grid, may be far larger
  // than the window: its box is what there is to show.
  for (QWidget* up = control->parentWidget(); up && up != scroller->widget();
       up = up->parentWidget()) {
    if (auto* box = qobject_cast<QAbstractScrollArea*>(up)) control = box;
  }
  if (scroller->widget()->isAncestorOf(control)) {
    scroller->ensureWidgetVisible(control, 8, below);
  }
}

void FollowFocus(QScrollArea* scroller, int below) {
  QObject::connect(
      qApp, &QApplication::focusChanged, scroller,
      [scroller, below](QWidget*, QWidget* now) { ShowControl(scroller, now, below); });
}

}  // namespace quarnel
