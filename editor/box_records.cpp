#include "editor/box_records.h"

#include <algorithm>

#include "model/box_read.h"

namespace quarnel {
namespace {

// The lines of `text`, each with its end.
std::vector<std::string_view> Lines(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    const std::size_t size = end == std::string_view::npos ? text.size() : end + 1;
    lines.push_back(text.substr(0, size));
    text.remove_prefix(size);
  }
  return lines;
}

// The record of one line: the span of its boxes (a record whose bounds fall between cells gives
// several).
std::optional<BoxRecord> RecordOf(std::string_view line_text, std::size_t line) {
  std::optional<BoxRecord> record;
  ForEachBoxRecord(line_text, [&](std::string_view key, const Box& box) {
    if (!record) {
      record = BoxRecord{line, std::string(key), {box.x1, box.y1, box.x2, box.y2}, box.z};
      return;
    }
    CellBox& c = record->cells;
    c = {std::min(c.left, box.x1), std::min(c.top, box.y1), std::max(c.right, box.x2),
         std::max(c.bottom, box.y2)};
  });
  return record;
}

}  // namespace

std::optional<BoxRecord> RecordOnLine(std::string_view text, std::size_t line) {
  const std::vector<std::string_view> lines = Lines(text);
  if (line >= lines.size()) return std::nullopt;
  return RecordOf(lines[line], line);
}

std::vector<std::size_t> RecordsHolding(std::string_view text, std::string_view key, int x, int y,
                                        int z) {
  std::vector<std::size_t> holding;
  const std::vector<std::string_view> lines = Lines(text);
  for (std::size_t line = 0; line < lines.size(); ++line) {
    bool holds = false;
    ForEachBoxRecord(lines[line], [&](std::string_view of, const Box& box) {
      holds = holds ||
              (of == key && box.z == z && box.x1 <= x && x <= box.x2 && box.y1 <= y && y <= box.y2);
    });
    if (holds) holding.push_back(line);
  }
  return holding;
}

std::string WithoutLines(std::string_view text, const std::vector<std::size_t>& lines) {
  std::string kept;
  const std::vector<std::string_view> all = Lines(text);
  for (std::size_t line = 0; line < all.size(); ++line) {
    if (std::find(lines.begin(), lines.end(), line) == lines.end()) kept += all[line];
  }
  return kept;
}

}  // namespace quarnel
