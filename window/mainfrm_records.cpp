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
  const int column = GetGridX(static_cast<float>(point.x()));
  const int row = GetGridY(static_cast<float>(point.y()));
  selected_lines_ = RecordsHolding(OutputText(), program_.curtype, column, row, Layer());
  QList<QTextEdit::ExtraSelection> marks;
  for (const std::size_t line : selected_lines_) {
    QTextEdit::ExtraSelection mark;
    mark.cursor = QTextCursor(comlist_->document()->findBlockByNumber(static_cast<int>(line)));
    mark.cursor.select(QTextCursor::LineUnderCursor);
    mark.format.setBackground(comlist_->palette().highlight());
    mark.format.setForeground(comlist_->palette().highlightedText());
    marks << mark;
  }
  comlist_->setExtraSelections(marks);
  message_.clear();
  if (selected_lines_.empty()) {
    // Nothing stays selected that the user no longer sees: the caret leaves the record it was on,
    // so Delete removes nothing.
    comlist_->moveCursor(QTextCursor::End);
    picture1_->SetSelection({});
    Say("no record of the box covers this square");
  } else {
    const std::vector<std::size_t> lines = selected_lines_;
    comlist_->setTextCursor(marks.constFirst().cursor);  // outlines the first
    selected_lines_ = lines;
    Say(std::to_string(lines.size()) + (lines.size() == 1 ? " record" : " records") +
        " selected (Delete removes " + (lines.size() == 1 ? "it" : "them") + ")");
  }
  ShowStatus();
}

void MainFrm::OutlineCaretRecord() {
  selected_lines_.clear();
  comlist_->setExtraSelections({});
  const auto record =
      RecordOnLine(OutputText(), static_cast<std::size_t>(comlist_->textCursor().blockNumber()));
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
  std::vector<std::size_t> lines = selected_lines_;
  if (lines.empty()) {
    const auto line = static_cast<std::size_t>(comlist_->textCursor().blockNumber());
    if (RecordOnLine(OutputText(), line)) lines.push_back(line);
  }
  if (lines.empty())
    return Say(
        "no record selected: Ctrl + press a blue square, or put the "
        "output box's caret on a record");
  const std::string before = OutputText();
  const std::string after = WithoutLines(before, lines);
  const std::string count = std::to_string(lines.size());
  history_.Remove(before, after,
                  "removing " + count + (lines.size() == 1 ? " record" : " records"));
  SetOutputText(after);
  Say("removed " + std::to_string(lines.size()) + (lines.size() == 1 ? " record" : " records") +
      " (Ctrl+Z puts " + (lines.size() == 1 ? "it" : "them") + " back)");
}

}  // namespace quarnel
