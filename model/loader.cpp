#include "model/loader.h"

#include "model/record_reader.h"
#include "model/template_file.h"

namespace quarnel {

LoadedType LoadToArray(const std::string& path, std::string_view id1, std::string_view id2) {
  TemplateFile file(path);
  // The header first: a throw inside a braced initializer list meets a compiler fault in GCC 12.
  std::string caption = ReadHeader(file);
  LoadedType loaded;
  loaded.type = {std::string(id1), std::string(id2)};
  loaded.caption = std::move(caption);
  const std::string key = loaded.type.Key();
  const TypeKey type(key);
  ReadRecords(
      file,
      [&](const RecordKey& record) {
        return record.key == type ? (record.rectangle ? 1 : 0) : kSkipRecord;
      },
      [&](int kind, const Box& box, bool, std::size_t) {
        loaded.tilearray.SetBox(box);
        if (kind == 1) loaded.held.SetBox(box);
      });
  return loaded;
}

}  // namespace quarnel
