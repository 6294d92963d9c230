#include "session/undo_history.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <utility>

#include "editor/undo.h"

namespace quarnel {
namespace {

// What an undo or redo names: the record itself, or how many an Auto press wrote.
std::string StepText(const Addition& addition) {
  std::string_view records = addition.records;  // a million records are not copied to be named
  while (!records.empty() && (records.back() == '\n' || records.back() == '\r'))
    records.remove_suffix(1);
  const auto lines = std::count(records.begin(), records.end(), '\n') + 1;
  return lines == 1 ? std::string(records) : "Auto, " + std::to_string(lines) + " records";
}

}  // namespace

void UndoHistory::Push(Step step) {
  steps_.resize(done_);
  steps_.push_back(std::move(step));
  done_ = steps_.size();
}

void UndoHistory::Add(Addition addition) {
  Push(std::move(addition));
}

void UndoHistory::Remove(std::string before, std::string after, std::string what) {
  Push(Removal{std::move(before), std::move(after), std::move(what)});
}

void UndoHistory::Clear() {
  steps_.clear();
  done_ = 0;
}

std::string UndoHistory::Undo() {
  if (done_ == 0) return "nothing to undo";
  const Step& step = steps_[done_ - 1];
  std::string what;
  if (const auto* addition = std::get_if<Addition>(&step)) {
    if (std::string why = UndoAddition(program_, *addition); !why.empty()) return why;
    what = StepText(*addition);
  } else {
    const Removal& removal = std::get<Removal>(step);
    if (program_.window.OutputText() == removal.after)
      program_.window.SetOutputText(removal.before);
    what = removal.what;
  }
  --done_;
  return "undone: " + what;
}

std::string UndoHistory::Redo() {
  if (done_ == steps_.size()) return "nothing to redo";
  const Step& step = steps_[done_];
  std::string what;
  if (const auto* addition = std::get_if<Addition>(&step)) {
    RedoAddition(program_, *addition);
    what = StepText(*addition);
  } else {
    const Removal& removal = std::get<Removal>(step);
    if (program_.window.OutputText() == removal.before)
      program_.window.SetOutputText(removal.after);
    what = removal.what;
  }
  ++done_;
  return "redone: " + what;
}

}  // namespace quarnel
