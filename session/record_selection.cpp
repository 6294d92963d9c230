#include "session/record_selection.h"

#include <algorithm>

#include "editor/box_records.h"

namespace quarnel {
namespace {

std::string Records(std::size_t count) {
  return std::to_string(count) + (count == 1 ? " record" : " records");
}

}  // namespace

std::string RecordSelection::SelectAt(const Program& program, int column, int row) {
  lines_ = RecordsHolding(program.window.OutputText(), program.curtype, column, row,
                          program.window.Layer());
  if (lines_.empty()) {
    caret_record_.reset();
    return "no record of the box covers this square";
  }
  caret_record_ = lines_.front();
  return Records(lines_.size()) + " selected (Delete removes " +
         (lines_.size() == 1 ? "it" : "them") + ")";
}

void RecordSelection::SetCaret(const Program& program, std::size_t line) {
  if (std::find(lines_.begin(), lines_.end(), line) == lines_.end()) lines_.clear();
  caret_record_.reset();
  if (RecordOnLine(program.window.OutputText(), line)) caret_record_ = line;
}

void RecordSelection::Clear() {
  lines_.clear();
  caret_record_.reset();
}

std::string RecordSelection::Delete(Program& program, UndoHistory& history) {
  std::vector<std::size_t> lines = lines_;
  if (lines.empty() && caret_record_) lines.push_back(*caret_record_);
  if (lines.empty()) {
    return "no record selected: Ctrl + press a blue square, or put the output box's caret on a "
           "record";
  }
  const std::string before = program.window.OutputText();
  const std::string after = WithoutLines(before, lines);
  history.Remove(before, after, "removing " + Records(lines.size()));
  Clear();
  program.window.SetOutputText(after);
  return "removed " + Records(lines.size()) + " (Ctrl+Z puts " +
         (lines.size() == 1 ? "it" : "them") + " back)";
}

}  // namespace quarnel
