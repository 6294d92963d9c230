#include "editor/steps.h"

#include <optional>
#include <utility>

#include "editor/covered.h"
#include "editor/grid_view.h"
#include "model/loader.h"
#include "model/walker.h"

namespace quarnel {
namespace {

// Makes a type read in full current; nothing can fail any more.
void MakeCurrent(Program& program, LoadedType&& loaded, std::string path,
                 std::optional<FileStamp> stamp) {
  program.read_path = std::move(path);
  program.read_stamp = stamp;
  program.tilearray = std::move(loaded.tilearray);
  program.curtype = loaded.type.Key();
  program.window.SetCaption(loaded.caption);
  program.covered = CoveredCells(program.window.OutputText(), program.curtype);
}

// The next step of a run recorded in `donelist`, which is updated only when the step succeeds.
void ShowNextType(Program& program, DoneList& donelist) {
  std::string path = program.window.TemplatePath();
  const std::optional<FileStamp> stamp = StampOf(path);
  std::optional<LoadedType> next = FindNextType(path, donelist);
  program.run_over = !next;
  if (!next) return;
  donelist.Add(next->type);
  MakeCurrent(program, std::move(*next), std::move(path), stamp);
  ShowArray(program);
}

}  // namespace

void LoadToArray(Program& program, std::string_view id1, std::string_view id2) {
  std::string path = program.window.TemplatePath();
  const std::optional<FileStamp> stamp = StampOf(path);
  MakeCurrent(program, LoadToArray(path, id1, id2), std::move(path), stamp);
}

void StartTiles(Program& program) {
  DoneList fresh;
  ShowNextType(program, fresh);
  program.donelist = std::move(fresh);
}

void DoNextTile(Program& program) {
  ShowNextType(program, program.donelist);
}

}  // namespace quarnel
