#include "session/changed_lines.h"

#include <algorithm>

namespace quarnel {

std::size_t LineStart(std::string_view text, std::size_t at) {
  if (at == 0) return 0;
  const std::size_t line_end = text.rfind('\n', at - 1);
  return line_end == std::string_view::npos ? 0 : line_end + 1;
}

ChangedLines FindChangedLines(std::string_view shown, std::string_view text) {
  ChangedLines lines;
  const auto common = std::mismatch(shown.begin(), shown.end(), text.begin(), text.end());
  lines.first = LineStart(shown, static_cast<std::size_t>(common.first - shown.begin()));
  std::size_t last = 0;
  const std::size_t most = std::min(shown.size(), text.size()) - lines.first;
  while (last < most && shown[shown.size() - 1 - last] == text[text.size() - 1 - last]) ++last;
  lines.old_end = shown.size() - last;
  if (lines.old_end != lines.first && shown[lines.old_end - 1] != '\n') {
    const std::size_t line_end = shown.find('\n', lines.old_end);
    lines.old_end = line_end == std::string_view::npos ? shown.size() : line_end + 1;
  }
  lines.new_end = text.size() - (shown.size() - lines.old_end);
  return lines;
}

}  // namespace quarnel
