#include "window/add_records_command.h"

#include <QString>
#include <utility>

#include "editor/undo.h"

namespace quarnel {

AddRecordsCommand::AddRecordsCommand(Program& program, Addition addition)
    : program_(program), addition_(std::move(addition)) {
  // One line of the status line names it: the record itself, or how many an Auto press wrote.
  const QString records = QString::fromStdString(addition_.records).trimmed();
  const qsizetype lines = records.count(QLatin1Char('\n')) + 1;
  setText(lines == 1 ? records : QStringLiteral("Auto, %1 records").arg(lines));
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
