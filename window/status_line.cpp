#include "window/status_line.h"

#include <QFontMetrics>
#include <QStringList>
#include <QVBoxLayout>

namespace quarnel {

ElidedRow::ElidedRow(QWidget* parent) : QLabel(parent) {
  setTextFormat(Qt::PlainText);
  setWordWrap(false);
  // Its width comes from the status line, never from the text.
  setMinimumWidth(1);
  setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
}

void ElidedRow::SetFullText(const QString& text) {
  if (text == full_) return;
  full_ = text;
  Fit();
}

void ElidedRow::resizeEvent(QResizeEvent* event) {
  QLabel::resizeEvent(event);
  Fit();
}

void ElidedRow::Fit() {
  // Line ends would start rows of their own.
  QString one_line = full_;
  one_line.replace(QLatin1Char('\n'), QLatin1Char(' '));
  const QString shown = fontMetrics().elidedText(one_line, Qt::ElideRight, width());
  setText(shown);
  setToolTip(shown == full_ ? QString() : full_);
}

StatusLine::StatusLine(QWidget* parent) : QWidget(parent) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  for (ElidedRow*& row : rows_) {
    row = new ElidedRow(this);
    layout->addWidget(row);
  }
}

void StatusLine::Show(const QString& where, const QString& pointer, const QString& message) {
  rows_[0]->SetFullText(where);
  rows_[1]->SetFullText(pointer);
  rows_[2]->SetFullText(message);
}

QString StatusLine::Text() const {
  QStringList texts;
  for (const ElidedRow* row : rows_) texts << row->FullText();
  return texts.join(QLatin1Char('\n'));
}

}  // namespace quarnel
