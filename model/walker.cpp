#include "model/walker.h"

#include <utility>
#include <vector>

#include "model/fault.h"
#include "model/record_reader.h"
#include "model/template_file.h"
#include "model/template_format.h"

namespace quarnel {
namespace {

// Rectangle records met before the next type is known, whose type may turn out to be it: where
// to find them again. Past this many, the type is loaded by a second read instead, so that memory
// stays small whatever the template holds.
constexpr std::size_t kMaxEarlierRectangles = std::size_t{1} << 16;

struct LinePlace {
  std::size_t position;
  long long line;
};

}  // namespace

std::optional<LoadedType> FindNextType(const std::string& path, const DoneList& donelist) {
  TemplateFile file(path);
  LoadedType loaded;
  loaded.caption = ReadHeader(file);
  std::string key;  // of the type found, empty until then: a key always holds a space
  TypeKey found;    // `key`, as each record's is compared with it
  std::vector<LinePlace> earlier;
  bool too_many = false;
  std::optional<Fault> fault;
  try {
    ReadRecords(
        file,
        [&](const RecordKey& record) {
          if (!key.empty()) return record.key == found ? (record.rectangle ? 1 : 0) : kSkipRecord;
          if (donelist.Contains(record.key)) return kSkipRecord;
          if (record.rectangle) {
            too_many = too_many || earlier.size() == kMaxEarlierRectangles;
            if (!too_many) earlier.push_back({record.position, record.line - 1});
            return kSkipRecord;
          }
          key = record.key;
          found = TypeKey(key);
          return 0;
        },
        [&](int kind, const Box& box, bool, std::size_t) {
          loaded.tilearray.SetBox(box);
          if (kind == 1) loaded.held.SetBox(box);
        });
  } catch (const Fault& found) {
    // A fault before the type was found stands first; one after it may follow a fault in an
    // earlier rectangle record of the type, read below.
    if (key.empty()) throw;
    fault = found;
  }
  if (key.empty()) return std::nullopt;
  loaded.type = TileType::OfKey(key);
  if (too_many) return LoadToArray(path, loaded.type.id1, loaded.type.id2);

  for (const LinePlace& place : earlier) {
    file.SeekTo(place.position, place.line);
    const std::string_view line = file.ReadLine();
    if (KeyOfLine(line, true) == key) {
      AddRectangleRecord(file, SplitFields(line), loaded.tilearray);
      AddRectangleRecord(file, SplitFields(line), loaded.held);
    }
  }
  if (fault) throw *fault;
  return loaded;
}

WithoutTypes ReadWithoutTypes(const std::string& path) {
  TemplateFile file(path);
  WithoutTypes found;
  found.caption = ReadHeader(file);
  ReadRecords(
      file,
      [&](const RecordKey& record) {
        found.rectangles += record.rectangle ? 1 : 0;
        return kSkipRecord;
      },
      [](int, const Box&, bool, std::size_t) {});
  return found;
}

}  // namespace quarnel
