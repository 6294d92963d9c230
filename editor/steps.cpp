#include "editor/steps.h"

#include <optional>
#include <string>
#include <utility>

#include "editor/covered.h"
#include "editor/grid_view.h"
#include "model/loader.h"
#include "model/template_format.h"
#include "model/walker.h"

namespace quarnel {
namespace {

// Makes a type read in full current; nothing can fail any more.
void MakeCurrent(Program& program, LoadedType&& loaded, std::string path,
                 std::optional<FileStamp> stamp) {
  program.read_path = std::move(path);
  program.read_stamp = stamp;
  program.tilearray = std::move(loaded.tilearray);
  program.held = std::move(loaded.held);
  program.curtype = loaded.type.Key();
  program.window.SetCaption(loaded.caption);
  // The type's row counts its cells exactly now.
  const int row = program.types.RowOf(program.curtype);
  if (row >= 0) {
    TypeRow& r = program.types.rows[static_cast<std::size_t>(row)];
    r.cells = 0;
    r.layers[0] = r.layers[1] = 0;
    for (int z = 0; z < kLayers; ++z) {
      r.cells +=
          static_cast<std::uint32_t>(program.tilearray.layer_count[static_cast<std::size_t>(z)]);
      if (program.tilearray.LayerHasCells(z)) r.SetLayer(z);
    }
  }
  ReadCovered(program);
}

// The template the run reads: the one go read, whatever the path box says since (another one is
// read by go, which asks first what becomes of the records); before any go, the one chosen.
std::string RunTemplate(const Program& program) {
  return program.read_path.empty() ? program.window.TemplatePath() : program.read_path;
}

// The next step of a run recorded in `donelist`, which is updated only when the step succeeds.
// False when no type is left to show.
bool ShowNextType(Program& program, DoneList& donelist, std::string path) {
  const std::optional<FileStamp> stamp = StampOf(path);
  std::optional<LoadedType> next = FindNextType(path, donelist);
  program.run_over = !next;
  if (!next) return false;
  donelist.Add(next->type);
  MakeCurrent(program, std::move(*next), std::move(path), stamp);
  program.rectangles_only = -1;
  ShowArray(program);
  return true;
}

// A run over a template without tile records shows its caption, an empty grid and says why. The
// template counts as read, so that the box's records can still be saved into it.
void ShowEmptyRun(Program& program, std::string path, std::optional<FileStamp> stamp) {
  WithoutTypes found = ReadWithoutTypes(path);
  program.read_path = std::move(path);
  program.read_stamp = stamp;
  program.tilearray = TileArray();
  program.covered = TileArray();
  program.held = TileArray();
  program.curtype.clear();
  program.run_over = false;
  program.rectangles_only = found.rectangles;
  program.window.SetCaption(found.caption);
  ShowArray(program);
}

}  // namespace

void LoadToArray(Program& program, std::string_view id1, std::string_view id2) {
  std::string path = RunTemplate(program);
  const std::optional<FileStamp> stamp = StampOf(path);
  KeepCurrentCells(program);  // of this run's table, which a new run's replaces
  LoadedType loaded = LoadToArray(path, id1, id2);
  MakeCurrent(program, std::move(loaded), std::move(path), stamp);
}

void StartTiles(Program& program) {
  std::string path = program.window.TemplatePath();
  const std::optional<FileStamp> stamp = StampOf(path);
  std::optional<LoadedType> first;
  TypeTable types = ReadTypeTable(path, &first);
  // A template the loader would refuse anywhere is reported before any marking starts.
  if (types.refusal) throw *types.refusal;
  std::swap(program.types, types);
  // Before the type is made current: its read of the box then counts for the new table.
  ++program.runs;
  DoneList fresh;
  if (first) {
    // The panel's read gave the first type too: no second read.
    fresh.Add(first->type);
    program.run_over = false;
    MakeCurrent(program, std::move(*first), std::move(path), stamp);
    program.rectangles_only = -1;
    ShowArray(program);
  } else {
    try {
      if (!ShowNextType(program, fresh, path)) ShowEmptyRun(program, std::move(path), stamp);
    } catch (...) {
      std::swap(program.types, types);
      throw;
    }
  }
  program.donelist = std::move(fresh);
}

void ShowType(Program& program, std::size_t row) {
  const std::string key(program.types.Key(program.types.rows.at(row)));
  TileType type = TileType::OfKey(key);
  LoadToArray(program, type.id1, type.id2);
  if (!program.donelist.Contains(key)) program.donelist.Add(std::move(type));
  program.run_over = false;
  ShowLayer(program, program.types.rows[row].FirstLayer());
}

void ShowLayer(Program& program, int layer) {
  // The layer box first: the spinner's change then finds it already there and searches nowhere.
  program.window.SetLayerText(std::to_string(layer));
  program.window.SetLayer(layer);
  ShowArray(program);
}

void DoNextTile(Program& program) {
  KeepCurrentCells(program);
  ShowNextType(program, program.donelist, RunTemplate(program));
}

}  // namespace quarnel
