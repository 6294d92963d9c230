#include "editor/another_template.h"

#include "model/fault.h"
#include "model/type_table.h"

namespace quarnel {

bool RecordsMadeForAnother(const Program& program, const std::string& path, std::string_view box) {
  return !program.read_path.empty() && path != program.read_path &&
         box.find("TILEW") != std::string_view::npos;
}

std::string AnotherTemplateQuestion(const Program& program, const std::string& path, bool unsaved) {
  return "The output box holds records made for " + Printable(program.read_path) +
         (unsaved ? " that are not saved" : ", saved") + ". Keep them for " + Printable(path) +
         ", or start afresh with an empty box?";
}

AnotherTemplate AnotherTemplateAnswer(int answer) {
  if (answer == 0) return AnotherTemplate::kKeep;
  if (answer == 1) return AnotherTemplate::kAfresh;
  return AnotherTemplate::kStay;
}

std::string StayedWith(const Program& program) {
  return "go cancelled: the records stay with " + Printable(program.read_path);
}

void RequireStartable(const std::string& path) {
  const TypeTable types = ReadTypeTable(path);
  if (types.refusal) throw *types.refusal;
}

}  // namespace quarnel
