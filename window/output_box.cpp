#include "window/output_box.h"

#include <QKeyEvent>
#include <QMimeData>
#include <QTextCursor>
#include <QTextDocumentFragment>

#include "model/box_text.h"

namespace quarnel {
namespace {

QString WithLf(QString text) {
  return text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
}

}  // namespace

QString WithCrLf(QString text) {
  return WithLf(std::move(text)).replace(QLatin1Char('\n'), QLatin1String("\r\n"));
}

OutputBox::OutputBox(QWidget* parent) : QPlainTextEdit(parent) {
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  setLineWrapMode(QPlainTextEdit::NoWrap);
  setTabChangesFocus(true);  // records hold no tabs; Tab moves on to the next control
}

std::string OutputBox::Text() const {
  return FromBoxText(WithCrLf(toPlainText()).toStdString());
}

void OutputBox::SetText(const std::string& text) {
  const QString wanted = WithLf(QString::fromStdString(ToBoxText(text)));
  const QString current = toPlainText();
  if (wanted == current) return;
  // The typing before this change no longer lies where its undo steps say.
  document()->setUndoRedoEnabled(false);
  // Records come and go at the end (a mark, an Auto, their undo): only the end changes, so that
  // tens of thousands of lines are not laid out again.
  if (wanted.startsWith(current)) {
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(wanted.mid(current.size()));
  } else if (current.startsWith(wanted)) {
    QTextCursor cursor(document());
    cursor.setPosition(static_cast<int>(wanted.size()));
    cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
  } else {
    setPlainText(wanted);
  }
  document()->setUndoRedoEnabled(true);
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
