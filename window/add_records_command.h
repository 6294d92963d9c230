#pragma once

#include <QUndoCommand>

#include "editor/marking.h"
#include "editor/program.h"

namespace quarnel {

// A mark or an Auto press on the undo stack: undoing it takes its records out of the output box
// and its squares back, through the core's own functions.
class AddRecordsCommand : public QUndoCommand {
 public:
  AddRecordsCommand(Program& program, Addition addition);

  const Addition& addition() const { return addition_; }
  void undo() override;
  void redo() override;

 private:
  Program& program_;
  Addition addition_;
  bool done_ = true;  // pushed after the mark was made: the first redo has nothing to do
};

}  // namespace quarnel
