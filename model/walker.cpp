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
  while (!file.AtEnd()) {
    const std::string_view line = file.ReadLine();
    if (IsRectangleRecord(line)) continue;
    // The key "id1 id2" is the line up to its second space. Ids are short: plain loops beat find.
    std::size_t first_space = 0;
    while (first_space < line.size() && line[first_space] != ' ') ++first_space;
    if (first_space == line.size()) RequireIds(file, line, 0);
    std::size_t key_end = first_space + 1;
    while (key_end < line.size() && line[key_end] != ' ') ++key_end;
    const std::string_view key = line.substr(0, key_end);
    if (!donelist.Contains(key)) {
      return TileType{std::string(line.substr(0, first_space)),
                      std::string(key.substr(first_space + 1))};
    }
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
