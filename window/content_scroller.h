#pragma once

class QAbstractScrollArea;
class QScrollArea;
class QWidget;

namespace quarnel {

// A frameless scroll area for content of a fixed size, on a screen too small for it. It is no Tab
// stop of its own, and its handle plainly differs from its track.
QScrollArea* MakeContentScroller(QWidget* parent);

// Gives a scroll area's bars a dark handle on a plain track, which no one takes for the groove.
void StyleScrollBars(QAbstractScrollArea* scroller);

// Scrolls until `control`, inside the scroller's content, shows with `below` pixels under it.
void ShowControl(QScrollArea* scroller, QWidget* control, int below);

// From now on, each control of the scroller's content that takes the focus is scrolled into sight.
void FollowFocus(QScrollArea* scroller, int below);

}  // namespace quarnel
