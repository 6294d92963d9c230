#include "editor/undo.h"

#include "editor/grid_view.h"

namespace quarnel {

std::string WhyNotUndone(const Program& program, const Addition& addition) {
  if (program.window.OutputText().ends_with(addition.records)) return {};
  return "not undone: the output box no longer ends with the records of the last mark or Auto";
}

std::string UndoAddition(Program& program, const Addition& addition) {
  std::string why = WhyNotUndone(program, addition);
  if (!why.empty()) return why;
  program.window.CutOutputText(program.window.OutputText().size() - addition.records.size());
  if (addition.drawing != program.drawing) return {};
  Surface& surface = program.window.Picture();
  for (auto square = addition.squares.rbegin(); square != addition.squares.rend(); ++square) {
    // A first corner pressed since is the only one that shows green.
    const bool stale_corner =
        square->before == kGreen &&
        !(program.has_first_corner && program.startx == square->x && program.starty == square->y);
    PutGrid(surface, square->x, square->y, stale_corner ? kRed : square->before);
  }
  return {};
}

void RedoAddition(Program& program, const Addition& addition) {
  program.window.AppendOutputText(addition.records);
  if (addition.drawing != program.drawing) return;
  for (const SquareChange& square : addition.squares) {
    PutGrid(program.window.Picture(), square.x, square.y, square.after);
  }
}

}  // namespace quarnel
