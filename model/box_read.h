#pragma once

#include <cstddef>
#include <functional>
#include <string_view>

#include "model/fault.h"
#include "model/record_reader.h"
#include "model/template_file.h"
#include "model/template_format.h"

namespace quarnel {

// Reads the rectangle records of text[from, end), an output box's records, by the template's one
// reader: each(key, box, position) for every box of cells of each, where position is that of the
// record's line in `text`. A line that is no rectangle record, or one a load would refuse, is
// passed over: the box is the user's to edit. False where a NUL byte stopped the reading.
template <typename Each>
bool ReadBoxes(std::string_view text, std::size_t from, Each&& each) {
  TemplateFile file("the output box", text.substr(from));
  std::string_view key;  // of the record being read; the text outlives it
  for (;;) {
    const std::size_t start = file.Position();
    try {
      ReadRecords(
          file,
          [&](const RecordKey& record) {
            key = record.key;
            return record.rectangle ? 0 : kSkipRecord;
          },
          [&](int, const Box& box, bool, std::size_t at) { each(key, box, from + at); });
      return true;
    } catch (const Fault&) {
      // The reader has taken the faulty line whole: go on after it, unless the fault stopped the
      // reading itself (a NUL byte).
      if (file.Position() == start) return false;
    }
  }
}

// Calls each(key, box) for every box of cells of every rectangle record in `text`, as ReadBoxes.
void ForEachBoxRecord(std::string_view text,
                      const std::function<void(std::string_view key, const Box& box)>& each);

}  // namespace quarnel
