#pragma once

#include <cstddef>
#include <string>
#include <variant>
#include <vector>

#include "editor/marking.h"
#include "editor/program.h"

namespace quarnel {

// The one undo history of a window: marks, Auto presses and records taken out of the output box,
// one step each, across changes of layer and type. Undo and redo say what they did, for the status
// line.
class UndoHistory {
 public:
  explicit UndoHistory(Program& program) : program_(program) {}

  // A mark or an Auto press, done already.
  void Add(Addition addition);
  // Records taken out: the output text `before` became `after`, done already.
  void Remove(std::string before, std::string after, std::string what);
  // Takes back the last step done, or says why not ("nothing to undo", or the box was edited).
  std::string Undo();
  std::string Redo();
  void Clear();

 private:
  struct Removal {
    std::string before, after, what;
  };
  using Step = std::variant<Addition, Removal>;
  void Push(Step step);

  Program& program_;
  std::vector<Step> steps_;
  std::size_t done_ = 0;  // steps_[0..done_) are done, the rest undone
};

}  // namespace quarnel
