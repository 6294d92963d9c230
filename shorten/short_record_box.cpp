#include "shorten/short_record_box.h"

#include "model/short_line.h"

namespace quarnel {

std::optional<Box> ShortRecordBox(std::string_view text, std::size_t offset,
                                  std::string_view line) {
  if constexpr (ShortLine::kWorksHere) {
    if (text.size() - offset < ShortLine::kReadable) return std::nullopt;
    const ShortLine short_line(text.data() + offset);
    int key_begin = 0;
    int key_end = 0;
    Box box;
    bool covers = false;
    // An empty range may hide bounds off the grid, which a record to write must not have.
    if (short_line.Found() && short_line.Line().size() == line.size() && IsRectangleRecord(line) &&
        short_line.FindKey(1, key_begin, key_end) &&
        short_line.LexRectangle(key_end, box, covers) && covers) {
      return box;
    }
  }
  return std::nullopt;
}

}  // namespace quarnel
