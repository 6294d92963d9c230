#include "window/output_box.h"

#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMimeData>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocumentFragment>
#include <algorithm>
#include <utility>

#include "model/box_text.h"
#include "session/changed_lines.h"

namespace quarnel {
namespace {

QString WithLf(QString text) {
  return text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
}

template <typename Text>
long LineEnds(const Text& text, std::size_t from, std::size_t to) {
  return static_cast<long>(std::count(text.begin() + static_cast<std::ptrdiff_t>(from),
                                      text.begin() + static_cast<std::ptrdiff_t>(to), '\n'));
}

}  // namespace

QString WithCrLf(QString text) {
  return WithLf(std::move(text)).replace(QLatin1Char('\n'), QLatin1String("\r\n"));
}

OutputBox::OutputBox(QWidget* parent) : QPlainTextEdit(parent) {
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  setLineWrapMode(QPlainTextEdit::NoWrap);
  setTabChangesFocus(true);  // records hold no tabs; Tab moves on to the next control
  catch_up_.setSingleShot(true);
  connect(&catch_up_, &QTimer::timeout, this, &OutputBox::CatchUp);
  connect(this, &QPlainTextEdit::cursorPositionChanged, this, [this] {
    if (!setting_) emit caretMoved();
  });
  connect(this, &QPlainTextEdit::textChanged, this, [this] {
    if (setting_) return;
    // Typed, or set by a test as if typed: the widget's text is the box's.
    catch_up_.stop();
    setReadOnly(false);
    const std::string typed = FromBoxText(WithCrLf(toPlainText()).toStdString());
    text_.assign(typed.data(), typed.size());
    shown_ = text_;
    Plan();
    emit changed();
  });
}

bool OutputBox::SetText(const std::string& text) {
  if (std::string_view(text) == std::string_view(text_)) return false;
  // What the widget shows now, against which the change is worked out.
  if (Busy()) {
    shown_ = shown_.substr(0, first_) + text_.substr(first_, inserted_ - first_) +
             shown_.substr(first_, old_cut_ - first_) + shown_.substr(old_end_);
  }
  text_.assign(text.data(), text.size());
  Plan();
  emit changed();
  // A large change waits for the events already waiting: the window shows what else changed
  // first, and answers, before the box's first slice.
  constexpr std::size_t kAtOnce = std::size_t{1} << 20;
  if ((new_end_ - inserted_) + (old_cut_ - first_) > kAtOnce) {
    setReadOnly(true);
    catch_up_.start(0);
  } else {
    CatchUp();
  }
  return true;
}

void OutputBox::Plan() {
  // The widget and the box differ between a common first part and a common last part, each of
  // whole lines: a widget's block is a line, so a line's block is the count of line ends before.
  const ChangedLines lines = FindChangedLines(shown_, text_);
  first_ = lines.first;
  old_end_ = lines.old_end;
  new_end_ = lines.new_end;
  first_block_ = LineEnds(shown_, 0, first_);
  old_cut_ = old_end_;
  old_lines_ = LineEnds(shown_, first_, old_end_);
  inserted_ = first_;
  inserted_lines_ = 0;
}

bool OutputBox::Busy() const {
  return old_cut_ > first_ || inserted_ < new_end_;
}

void OutputBox::CatchUp() {
  QElapsedTimer took;
  took.start();
  const bool at_end = textCursor().atEnd();
  setting_ = true;
  // The typing before this change no longer lies where its undo steps say.
  document()->setUndoRedoEnabled(false);
  ShowSlice(slice_lines_);
  document()->setUndoRedoEnabled(true);
  if (at_end) moveCursor(QTextCursor::End);
  setting_ = false;
  const bool behind = Busy();
  if (!behind) shown_ = text_;
  // A slice takes about a frame, whatever this machine's speed; only a full slice tells.
  const qint64 ms = took.elapsed();
  if (ms > kSliceMilliseconds) slice_lines_ = std::max(slice_lines_ / 2, 256L);
  if (behind && ms < kSliceMilliseconds / 2)
    slice_lines_ = std::min(slice_lines_ * 2, kMostSliceLines);
  // Typing into lines still on their way would be typing into the wrong place.
  setReadOnly(behind);
  if (behind) catch_up_.start(0);
}

int OutputBox::LineStartPosition(long block) const {
  const QTextBlock found = document()->findBlockByNumber(static_cast<int>(block));
  return found.isValid() ? found.position() : document()->characterCount() - 1;
}

void OutputBox::ShowSlice(long lines) {
  QTextCursor cursor(document());
  cursor.beginEditBlock();
  if (old_cut_ > first_) {
    // The old lines go first, the last of them first, a slice at a time.
    std::size_t from = first_;
    long removed = old_lines_;
    if (old_lines_ > lines) {
      from = old_cut_;
      for (long n = 0; n <= lines; ++n) from = shown_.rfind('\n', from - 1);
      ++from;
      removed = lines;
    }
    // A last line without a line end ends the document.
    const bool to_end = old_cut_ == shown_.size();
    cursor.setPosition(LineStartPosition(first_block_ + old_lines_ - removed));
    cursor.setPosition(
        to_end ? document()->characterCount() - 1 : LineStartPosition(first_block_ + old_lines_),
        QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
    old_cut_ = from;
    old_lines_ -= removed;
  } else {
    std::size_t end = inserted_;
    long added = 0;
    while (added < lines && end < new_end_) {
      const std::size_t line_end = text_.find('\n', end);
      end = line_end == std::string::npos || line_end >= new_end_ ? new_end_ : line_end + 1;
      ++added;
    }
    cursor.setPosition(LineStartPosition(first_block_ + inserted_lines_));
    cursor.insertText(WithLf(QString::fromStdString(
        ToBoxText(std::string_view(text_).substr(inserted_, end - inserted_)))));
    inserted_lines_ += added;
    inserted_ = end;
  }
  cursor.endEditBlock();
}

void OutputBox::keyPressEvent(QKeyEvent* event) {
  const bool nothing_typed =
      (event->matches(QKeySequence::Undo) && !document()->isUndoAvailable()) ||
      (event->matches(QKeySequence::Redo) && !document()->isRedoAvailable());
  if (nothing_typed) return event->ignore();
  QPlainTextEdit::keyPressEvent(event);
}

QMimeData* OutputBox::createMimeDataFromSelection() const {
  auto* data = new QMimeData;  // the caller (clipboard or drag) takes ownership
  const QString selected = textCursor().selection().toPlainText();
  data->setText(WithCrLf(selected));
  return data;
}

}  // namespace quarnel
