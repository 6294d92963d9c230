#pragma once

#include <QPlainTextEdit>
#include <QTimer>
#include <string>
#include <string_view>

#include "model/huge_pages.h"

namespace quarnel {

// The output box. Records end in CR LF, as templates want, but the text widget keeps LF only: the
// box turns LF back into CR LF when its text is read and when a selection is copied or dragged out.
// Its own undo covers only the user's typing: records the program adds or takes away belong to the
// window's undo history, so the undo keys go on to the window when no typing is left to undo.
class OutputBox : public QPlainTextEdit {
  Q_OBJECT

 public:
  explicit OutputBox(QWidget* parent);

  // The text with CR LF line ends, as UTF-8: kept here, not read back from the widget, so that
  // reading a box of tens of thousands of records costs nothing.
  std::string_view Text() const { return text_; }
  // Sets the text, outside the box's undo history, which starts afresh, as one change. When the new
  // text only adds to the old or takes from its end, only the end changes, so that the scroll
  // position survives and the lines before are not laid out again. False when it was the text
  // already (as after typing).
  bool SetText(const std::string& text);
  // The widget shows the whole text (it is read-only while it does not).
  bool Shown() const { return !Busy(); }

  // What a copy of the current selection puts on the clipboard.
  QMimeData* SelectionMimeData() const { return createMimeDataFromSelection(); }

 signals:
  // The text changed, by typing or by SetText: once per change, however many lines it took.
  void changed();
  // The user moved the caret; the lines the box shows while it catches up move it too, unsaid.
  void caretMoved();

 protected:
  QMimeData* createMimeDataFromSelection() const override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  static constexpr int kSliceMilliseconds = 40;
  // More lines at once would make the widget lay out long stretches it will not show.
  static constexpr long kMostSliceLines = 8192;
  // Brings the widget a slice closer to the text, and goes on later until it shows all of it:
  // tens of thousands of lines take the widget seconds, and the window answers meanwhile.
  void CatchUp();
  // Works out what differs between the widget and the text.
  void Plan();
  bool Busy() const;
  void ShowSlice(long lines);
  int LineStartPosition(long block) const;

  // On large pages: a copy of a million records into fresh memory of small pages would make the
  // window wait for some six thousand page faults.
  using Large = std::basic_string<char, std::char_traits<char>, LargeAllocator<char>>;
  Large text_;   // the box's text
  Large shown_;  // what the widget showed when the text last changed, in the same form
  // The widget shows shown_[0, first_) + text_[first_, inserted_) + shown_[first_, old_cut_) +
  // shown_[old_end_, end): the old lines between go, then the new ones up to new_end_ come.
  std::size_t first_ = 0, old_cut_ = 0, old_end_ = 0, inserted_ = 0, new_end_ = 0;
  long first_block_ = 0, old_lines_ = 0, inserted_lines_ = 0;
  long slice_lines_ = 4096;
  QTimer catch_up_;
  bool setting_ = false;  // the widget changes for SetText: its text is known already
};

// LF line ends to CR LF; CR LF stays as it is.
QString WithCrLf(QString text);

}  // namespace quarnel
