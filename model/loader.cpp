#include "model/loader.h"

#include <utility>

#include "model/records.h"
#include "model/template_file.h"

namespace quarnel {

void LoadToArray(Program& program, std::string_view id1, std::string_view id2) {
  // Fill a fresh array and commit it only once the whole file has been read, so that a fault
  // leaves the previous type in place.
  TemplateFile file(program.window.TemplatePath());
  const std::string caption = ReadHeader(file);
  TileArray loaded;
  // Most lines belong to other types. Compare a line's ids with the wanted ones as one prefix, and
  // split a line into fields only when it matches or when its ids turn out to be missing.
  const std::string type = std::string(id1) + " " + std::string(id2);
  const auto starts_with_type = [&type](std::string_view text) {
    // The first byte settles most lines without a call to memcmp.
    return !text.empty() && text[0] == type[0] && text.starts_with(type) &&
           (text.size() == type.size() || text[type.size()] == ' ');
  };
  while (!file.AtEnd()) {
    const std::string_view line = file.ReadLine();
    if (IsRectangleRecord(line)) {
      const std::size_t keyword_end = line.find(' ');
      if (keyword_end != std::string_view::npos && starts_with_type(line.substr(keyword_end + 1))) {
        AddRectangleRecord(file, SplitFields(line), loaded);
      } else {
        RequireIds(file, line, 1);
      }
    } else if (starts_with_type(line)) {
      AddTileRecord(file, SplitFields(line), loaded);
    } else {
      RequireIds(file, line, 0);
    }
  }
  program.tilearray = std::move(loaded);
  program.curtype = std::string(id1) + " " + std::string(id2);
  program.window.SetCaption(caption);
}

}  // namespace quarnel
