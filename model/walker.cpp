#include "model/walker.h"

#include <optional>
#include <string>

#include "editor/grid_view.h"
#include "model/loader.h"
#include "model/records.h"
#include "model/template_file.h"

namespace quarnel {
namespace {

// The first tile type in the file that `donelist` does not hold, if any.
std::optional<TileType> FindNextType(const std::string& path, const DoneList& donelist) {
  TemplateFile file(path);
  ReadHeader(file);
  std::string key;
  std::string last_seen_key;  // runs of records of one type need one look-up only
  while (!file.AtEnd()) {
    const std::string_view line = file.ReadLine();
    if (IsRectangleRecord(line)) continue;
    RequireIds(file, line, 0);
    const Fields fields = SplitFields(line, 2);
    const std::string_view id1 = fields[0];
    const std::string_view id2 = fields[1];
    key.assign(id1).append(" ").append(id2);
    if (key == last_seen_key) continue;
    if (!donelist.Contains(key)) return TileType{std::string(id1), std::string(id2)};
    last_seen_key.swap(key);
  }
  return std::nullopt;
}

// The next step of a run recorded in `donelist`, which is updated only when the step succeeds.
void ShowNextType(Program& program, DoneList& donelist) {
  std::optional<TileType> next = FindNextType(program.window.TemplatePath(), donelist);
  if (!next) return;
  LoadToArray(program, next->id1, next->id2);
  donelist.Add(std::move(*next));
  ShowArray(program);
}

}  // namespace

void StartTiles(Program& program) {
  DoneList fresh;
  ShowNextType(program, fresh);
  program.donelist = std::move(fresh);
}

void DoNextTile(Program& program) {
  ShowNextType(program, program.donelist);
}

}  // namespace quarnel
