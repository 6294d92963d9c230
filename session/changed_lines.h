#pragma once

#include <cstddef>
#include <string_view>

namespace quarnel {

// Where a text control that shows `shown` must change to show `text`: the two differ between a
// common first part and a common last part, each of whole lines. The lines of `shown` in
// [first, old_end) give way to those of `text` in [first, new_end). A front end that lays out a
// box of a million records a slice at a time changes only these.
struct ChangedLines {
  std::size_t first = 0, old_end = 0, new_end = 0;
};
ChangedLines FindChangedLines(std::string_view shown, std::string_view text);

// Where the line holding byte `at` starts.
std::size_t LineStart(std::string_view text, std::size_t at);

}  // namespace quarnel
