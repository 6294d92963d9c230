#include "editor/steps.h"

#include <optional>
#include <utility>

#include "editor/grid_view.h"
#include "model/loader.h"
#include "model/walker.h"

namespace quarnel {
namespace {

// Makes a type read in full current; nothing can fail any more.
void MakeCurrent(Program& program, LoadedType&& loaded) {
  program.tilearray = std::move(loaded.tilearray);
  program.curtype = loaded.type.Key();
  program.window.SetCaption(loaded.caption);
}

// The next step of a run recorded in `donelist`, which is updated only when the step succeeds.
// False when no type is left to show.
bool ShowNextType(Program& program, DoneList& donelist) {
  std::optional<LoadedType> next = FindNextType(program.window.TemplatePath(), donelist);
  program.run_over = !next;
  if (!next) return false;
  donelist.Add(next->type);
  MakeCurrent(program, std::move(*next));
  program.rectangles_only = -1;
  ShowArray(program);
  return true;
}

// A run over a template without tile records shows its caption, an empty grid and says why.
void ShowEmptyRun(Program& program) {
  WithoutTypes found = ReadWithoutTypes(program.window.TemplatePath());
  program.tilearray = TileArray();
  program.curtype.clear();
  program.run_over = false;
  program.rectangles_only = found.rectangles;
  program.window.SetCaption(found.caption);
  ShowArray(program);
}

}  // namespace

void LoadToArray(Program& program, std::string_view id1, std::string_view id2) {
  MakeCurrent(program, LoadToArray(program.window.TemplatePath(), id1, id2));
}

void StartTiles(Program& program) {
  DoneList fresh;
  if (!ShowNextType(program, fresh)) ShowEmptyRun(program);
  program.donelist = std::move(fresh);
}

void DoNextTile(Program& program) {
  ShowNextType(program, program.donelist);
}

}  // namespace quarnel
