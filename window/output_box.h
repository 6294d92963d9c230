#pragma once

#include <QPlainTextEdit>
#include <string>

namespace quarnel {

// The output box. Records end in CR LF, as templates want, but the text widget keeps LF only: the
// box turns LF back into CR LF when its text is read and when a selection is copied or dragged out.
// Its own undo covers only the user's typing: records the program adds or takes away belong to the
// window's undo history, so the undo keys go on to the window when no typing is left to undo.
class OutputBox : public QPlainTextEdit {
  Q_OBJECT

 public:
  explicit OutputBox(QWidget* parent);

  // The text with CR LF line ends, as UTF-8.
  std::string Text() const;
  // Sets the text, outside the box's undo history, which starts afresh. When the new text only adds
  // to the old, the addition is appended, so that the scroll position survives.
  void SetText(const std::string& text);

  // What a copy of the current selection puts on the clipboard.
  QMimeData* SelectionMimeData() const { return createMimeDataFromSelection(); }

 protected:
  QMimeData* createMimeDataFromSelection() const override;
  void keyPressEvent(QKeyEvent* event) override;
};

// LF line ends to CR LF; CR LF stays as it is.
QString WithCrLf(QString text);

}  // namespace quarnel
