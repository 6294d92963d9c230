#include "window/remove_records_command.h"

#include <utility>

namespace quarnel {

RemoveRecordsCommand::RemoveRecordsCommand(Program& program, std::string before, std::string after,
                                           const QString& text)
    : program_(program), before_(std::move(before)), after_(std::move(after)) {
  setText(text);
}

void RemoveRecordsCommand::undo() {
  if (program_.window.OutputText() == after_) program_.window.SetOutputText(before_);
}

void RemoveRecordsCommand::redo() {
  if (program_.window.OutputText() == before_) program_.window.SetOutputText(after_);
}

}  // namespace quarnel
