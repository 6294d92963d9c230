#include "window/add_records_command.h"

#include <QString>
#include <utility>

#include "editor/undo.h"

namespace quarnel {

AddRecordsCommand::AddRecordsCommand(Program& program, Addition addition)
    : program_(program), addition_(std::move(addition)) {
  setText(QString::fromStdString(addition_.records).trimmed());
}

void AddRecordsCommand::undo() {
  UndoAddition(program_, addition_);
  done_ = false;
}

void AddRecordsCommand::redo() {
  if (!done_) RedoAddition(program_, addition_);
  done_ = true;
}

}  // namespace quarnel
