#pragma once

#include <cstdint>
#include <optional>
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
  TypeKey key;  // "id1 id2", as it stands in the line
  bool rectangle;
  std::size_t position;  // where the line starts in the input
  long long line;        // its line number
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

// The key of the next record by the fast reading of a short line, which is kept in `short_line`
// with its key's end; nothing, and no line kept, where the fast reading does not apply.
inline std::optional<RecordKey> ShortRecordKey(const TemplateFile& file,
                                               std::optional<ShortLine>& short_line, int& key_end) {
  if constexpr (ShortLine::kWorksHere) {
    const std::string_view unread = file.Unread();
    if (unread.size() < ShortLine::kReadable) return std::nullopt;
    const ShortLine& line = short_line.emplace(unread.data());
    const bool rectangle = IsRectangleRecord(line.Line());
    int key_begin = 0;
    if (!line.Found() || !line.FindKey(rectangle ? 1 : 0, key_begin, key_end)) {
      short_line.reset();
      return std::nullopt;
    }
    const int key_size = key_end - key_begin;
    const TypeKey key(
        line.Line().substr(static_cast<std::size_t>(key_begin), static_cast<std::size_t>(key_size)),
        key_size <= static_cast<int>(TypeKeys::kShortKeySize) ? line.ShortKey(key_begin, key_size)
                                                              : 0);
    return RecordKey{key, rectangle, file.Position(), file.LineNumber() + 1};
  } else {
    return std::nullopt;
  }
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
    // `want` is called from one place only, so that the compiler takes it in line, whatever its
    // size: it runs for every line.
    std::optional<ShortLine> short_line;
    int key_end = 0;
    std::optional<RecordKey> record = ShortRecordKey(file, short_line, key_end);
    std::string_view line;
    if (!record) {
      if (file.AtEnd()) return true;
      const std::size_t position = file.Position();
      line = file.ReadLine();
      const bool rectangle = IsRectangleRecord(line);
      RequireIds(file, line, rectangle ? 1 : 0);
      record =
          RecordKey{TypeKey(KeyOfLine(line, rectangle)), rectangle, position, file.LineNumber()};
    }
    const int type = want(*record);
    if (type == kStopReading) return false;
    const bool rectangle = record->rectangle;
    const std::size_t position = record->position;
    if (short_line) {
      Box box;
      bool covers = true;
      if (type < 0 || (rectangle ? short_line->LexRectangle(key_end, box, covers)
                                 : short_line->LexPlainTile(key_end, box))) {
        if (type >= 0 && covers) add(type, box, !rectangle, position);
        file.Consume(short_line->SizeWithEnd());
        continue;
      }
      line = file.ReadLine();  // the general reading takes the line, its type known
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
