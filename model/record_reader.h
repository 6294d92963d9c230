#pragma once

#include <cstdint>
#include <string_view>
#include <type_traits>
#include <vector>

#include "model/records.h"
#include "model/short_line.h"
#include "model/template_file.h"
#include "model/template_format.h"
#include "model/type_keys.h"

namespace quarnel {

// A record line as the reader first sees it: its kind and type, before its cells are read.
struct RecordKey {
  std::string_view key;     // "id1 id2", as it stands in the line
  std::uint64_t short_key;  // TypeKeys::ShortKey(key) for a key of up to 8 bytes, else 0
  bool rectangle;
  std::size_t position;  // where the line starts in the input
  long long line;        // its line number

  // Whether the record is of the type keyed `other`, whose short key is `other_short` (0 for a
  // long key): a short key is the same exactly when its number is, with no text compared.
  bool SameType(std::string_view other, std::uint64_t other_short) const {
    return other_short != 0 ? short_key == other_short : key == other;
  }
};

// What a reader's `want` answers for a record: a type number (0 or more) to have its cells read,
// or one of these.
inline constexpr int kSkipRecord = -1;
inline constexpr int kStopReading = -2;

// Calls `each_run(first, last)` for each run of consecutive indices in `indices`, which never
// decrease.
template <typename EachRun>
void ForEachRun(const std::vector<int>& indices, EachRun each_run) {
  for (std::size_t i = 0; i < indices.size();) {
    std::size_t j = i + 1;
    while (j < indices.size() && indices[j] - indices[j - 1] <= 1) ++j;
    each_run(indices[i], indices[j - 1]);
    i = j;
  }
}

// Gives `add` the boxes of a rectangle record's cells, a box per run of columns and rows; an
// `add` that returns false wants no further boxes of this record.
template <typename Add>
void AddRectangleBoxes(const RectangleCells& covered, int type, std::size_t position, Add& add) {
  bool more = true;
  ForEachRun(covered.columns, [&](int x1, int x2) {
    if (!more) return;
    ForEachRun(covered.rows, [&](int y1, int y2) {
      if (!more) return;
      const Box box{x1, x2, y1, y2, covered.z};
      if constexpr (std::is_same_v<decltype(add(type, box, false, position)), bool>) {
        more = add(type, box, false, position);
      } else {
        add(type, box, false, position);
      }
    });
  });
}

// The one reader of template records: the loader, the walker and the shortener all read through
// it. Reads every line after the header from `file`, which the caller has read past the header.
// Every line must name its type (a Fault otherwise); `want(const RecordKey&)` then says whether to
// read its cells, which are checked as a load of that type checks them, and
// `add(type, box, plain, position)` takes each box of cells a record read gives; where it returns
// a bool, false ends the boxes of that record. `plain` tells a
// tile record "id1 id2 x y z" with exactly five fields of plain decimal integers, which may be
// merged. Returns false if `want` stopped the reading.
template <typename Want, typename Add>
bool ReadRecords(TemplateFile& file, Want want, Add add) {
  for (;;) {
    int type = kSkipRecord;
    bool asked = false;
    if constexpr (ShortLine::kWorksHere) {
      const std::string_view unread = file.Unread();
      if (unread.size() >= ShortLine::kReadable) {
        const ShortLine line(unread.data());
        const bool rectangle = IsRectangleRecord(line.Line());
        int key_begin = 0;
        int key_end = 0;
        if (line.Found() && line.FindKey(rectangle ? 1 : 0, key_begin, key_end)) {
          const int key_size = key_end - key_begin;
          type = want(RecordKey{line.Line().substr(static_cast<std::size_t>(key_begin),
                                                   static_cast<std::size_t>(key_size)),
                                key_size <= static_cast<int>(TypeKeys::kShortKeySize)
                                    ? line.ShortKey(key_begin, key_size)
                                    : 0,
                                rectangle, file.Position(), file.LineNumber() + 1});
          if (type == kStopReading) return false;
          Box box;
          bool covers = true;
          if (type < 0 || (rectangle ? line.LexRectangle(key_end, box, covers)
                                     : line.LexPlainTile(key_end, box))) {
            if (type >= 0 && covers) add(type, box, !rectangle, file.Position());
            file.Consume(line.SizeWithEnd());
            continue;
          }
          asked = true;  // the general reading below takes the line, its type known
        }
      }
    }
    if (file.AtEnd()) return true;
    const std::size_t position = file.Position();
    const std::string_view line = file.ReadLine();
    const bool rectangle = IsRectangleRecord(line);
    const int first = rectangle ? 1 : 0;
    RequireIds(file, line, first);
    if (!asked) {
      const std::string_view key = KeyOfLine(line, rectangle);
      type =
          want(RecordKey{key, TypeKeys::ShortKeyOf(key), rectangle, position, file.LineNumber()});
      if (type == kStopReading) return false;
    }
    if (type < 0) continue;
    if (rectangle) {
      AddRectangleBoxes(RectangleRecordCells(file, SplitFields(line)), type, position, add);
    } else {
      // Six fields tell whether the record has exactly five.
      const Fields fields = SplitFields(line, 6);
      const GridCell cell = TileRecordCell(file, fields);
      const bool plain = fields.count == 5 && IsPlainInteger(fields[2]) &&
                         IsPlainInteger(fields[3]) && IsPlainInteger(fields[4]);
      add(type, Box{cell.x, cell.x, cell.y, cell.y, cell.z}, plain, position);
    }
  }
}

}  // namespace quarnel
