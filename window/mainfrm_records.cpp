// The parts of the main window that find the output box's records on the grid and remove them.
#include <QTextBlock>
#include <QTextDocument>

#include "editor/box_records.h"
#include "editor/grid_view.h"
#include "editor/steps.h"
#include "window/mainfrm.h"
#include "window/output_box.h"
#include "window/surface_view.h"

namespace quarnel {

void MainFrm::SelectRecordsAt(QPointF point) {
  const std::string said = records_.SelectAt(program_, GetGridX(static_cast<float>(point.x())),
                                             GetGridY(static_cast<float>(point.y())));
  QList<QTextEdit::ExtraSelection> marks;
  for (const std::size_t line : records_.Lines()) {
    QTextEdit::ExtraSelection mark;
    mark.cursor = QTextCursor(comlist_->document()->findBlockByNumber(static_cast<int>(line)));
    mark.cursor.select(QTextCursor::LineUnderCursor);
    mark.format.setBackground(comlist_->palette().highlight());
    mark.format.setForeground(comlist_->palette().highlightedText());
    marks << mark;
  }
  comlist_->setExtraSelections(marks);
  message_.clear();
  if (marks.isEmpty()) {
    // The caret leaves the record it was on, as the selection did.
    comlist_->moveCursor(QTextCursor::End);
    picture1_->SetSelection({});
  } else {
    comlist_->setTextCursor(marks.constFirst().cursor);  // outlines the first
  }
  Say(said);
}

void MainFrm::OutlineCaretRecord() {
  const auto line = static_cast<std::size_t>(comlist_->textCursor().blockNumber());
  records_.SetCaret(program_, line);
  if (records_.Lines().empty()) comlist_->setExtraSelections({});
  const auto record = RecordOnLine(OutputText(), line);
  if (!record) return picture1_->SetSelection({});
  // A record of another type or layer shows that type or layer first.
  if (record->key != program_.curtype && program_.types.RowOf(record->key) >= 0) {
    Run([&] { ShowType(program_, static_cast<std::size_t>(program_.types.RowOf(record->key))); });
  }
  if (record->key == program_.curtype && record->z != Layer()) {
    Run([&] { ShowLayer(program_, record->z); });
  }
  picture1_->SetSelection(record->key == program_.curtype
                              ? QRect(QPoint(record->cells.left, record->cells.top),
                                      QPoint(record->cells.right, record->cells.bottom))
                              : QRect());
}

void MainFrm::RemoveSelectedRecords() {
  Say(records_.Delete(program_, history_));
}

}  // namespace quarnel
