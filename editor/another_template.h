#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "editor/program.h"

namespace quarnel {

// go on `path` while the output box holds records made for the template read before: whether
// that needs asking first. Saved or not, records made for one template never reach another's
// save unasked.
bool RecordsMadeForAnother(const Program& program, const std::string& path, std::string_view box);

// The question then asked, naming the template the records were made for; its answers are
// kAnotherTemplateAnswers, in that order.
std::string AnotherTemplateQuestion(const Program& program, const std::string& path, bool unsaved);
inline constexpr const char* kAnotherTemplateAnswers[] = {"Keep them", "Start afresh", "Cancel"};
enum class AnotherTemplate { kKeep = 0, kAfresh = 1, kStay = 2 };
AnotherTemplate AnotherTemplateAnswer(int answer);

// What the status line says when the user stays with the template read.
std::string StayedWith(const Program& program);

// Throws the Fault a go on `path` would throw for the template itself, so that a template go
// refuses is refused before any question about the box's records.
void RequireStartable(const std::string& path);

}  // namespace quarnel
