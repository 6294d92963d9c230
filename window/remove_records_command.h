#pragma once

#include <QUndoCommand>
#include <string>

#include "editor/program.h"

namespace quarnel {

// Records taken out of the output box, on the undo stack: undo puts the box's text back as it
// was. Each step acts only on the text it left, so a hand edit in between is never overwritten.
class RemoveRecordsCommand : public QUndoCommand {
 public:
  RemoveRecordsCommand(Program& program, std::string before, std::string after,
                       const QString& text);

  void undo() override;
  void redo() override;

 private:
  Program& program_;
  std::string before_;
  std::string after_;
};

}  // namespace quarnel
