#pragma once

#include <QLabel>
#include <QString>
#include <QWidget>

namespace quarnel {

// One row of text that never runs past its width: a text too long for it is cut short with an
// ellipsis, and the whole text becomes the row's tooltip.
class ElidedRow : public QLabel {
  Q_OBJECT

 public:
  explicit ElidedRow(QWidget* parent);

  void SetFullText(const QString& text);
  const QString& FullText() const { return full_; }

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void Fit();

  QString full_;
};

// The status line below the controls: where the run and the layer stand, the cell under the
// pointer or the rectangle being marked, and the last message, each on a row of its own.
class StatusLine : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kRows = 3;

  explicit StatusLine(QWidget* parent);

  void Show(const QString& where, const QString& pointer, const QString& message);
  // The rows' whole texts, one per line.
  QString Text() const;
  const ElidedRow* Row(int index) const { return rows_[index]; }

 private:
  ElidedRow* rows_[kRows];
};

}  // namespace quarnel
