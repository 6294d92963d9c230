#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "editor/program.h"
#include "session/undo_history.h"

namespace quarnel {

// What Delete takes out of the output box: the records a Ctrl + press selected, or else the record
// the box's caret is on.
class RecordSelection {
 public:
  // A Ctrl + press on cell (column, row) of the shown layer selects the box's records of the
  // current type that cover it, and says so. One that finds none leaves nothing selected, the
  // caret's record included, so that Delete removes nothing the user no longer sees.
  std::string SelectAt(const Program& program, int column, int row);
  // The box's caret moved to `line`: a move off the selected records ends the selection.
  void SetCaret(const Program& program, std::size_t line);
  void Clear();
  const std::vector<std::size_t>& Lines() const { return lines_; }

  // Takes the selected records (or the caret's) out of the box as one step of `history`, and
  // says what it did or why nothing.
  std::string Delete(Program& program, UndoHistory& history);

 private:
  std::vector<std::size_t> lines_;
  std::optional<std::size_t> caret_record_;
};

}  // namespace quarnel
