#pragma once

#include <string>

#include "editor/auto_cover.h"
#include "editor/marking.h"
#include "editor/program.h"

namespace quarnel {

// The texts of the status line below the controls. Each is one short line; an empty text means
// there is nothing to say yet.

// The current type and its place in the run: "type 14 0, 3rd shown of 5 types", or, once "Next Tile
// Type" found nothing more, "all 9 types shown; press go to start again". `path_box`: the front
// end takes a typed path (the window); otherwise a template is chosen or dropped (the page).
std::string RunStatus(const Program& program, bool path_box = true);

// The layer shown and the current type's cells on it and in all; on an empty layer, the nearest
// layers above and below that hold cells.
std::string LayerStatus(const Program& program);

// The cell under the pointer, as column and row and as a record's coordinates; while a first
// corner is set, the rectangle from it to that cell, its size, and the record a right press there
// would write, or why it would be refused.
std::string PointerStatus(const Program& program, int column, int row);

// What the square of cell (column, row) shows, for a screen reader, which cannot see its colour:
// "red: a tile of type 7 3", the first corner, covered, or no tile. Empty off the grid.
std::string CellStateStatus(const Program& program, int column, int row);

// What a press said: the record it marked, what it refused, or why it did nothing; empty when it
// set a first corner. `had_corner`: a first corner was set before it.
std::string PressStatus(const Program& program, int button, bool had_corner,
                        const PressResult& result);

// Escape's word on the first corner it dropped, or found none to drop.
std::string DropCornerStatus(bool dropped);

// The fault shown when memory ran out: the action stopped, and nothing collected is lost.
inline constexpr const char* kOutOfMemory =
    "Quarnel ran out of memory for this; nothing you have collected is lost.";

// A fault no check foresaw, in the words it came with (a page's browser or the core).
std::string UnforeseenFault(const std::string& what);

// Why Auto on many layers wrote nothing before it started: no type is shown. Empty when one is.
std::string AutoManyRefusal(const Program& program);

// The names of long work, as a progress bar shows them.
inline constexpr const char* kAutoEveryTypeWork = "Auto on every type";
inline constexpr const char* kSaveWork = "Saving the shorter template";

// Why a control does nothing while long work runs.
std::string BusyStatus(const std::string& work);

// What an Auto press wrote, or why it wrote nothing.
std::string AutoStatus(const Program& program, const AutoResult& result);

// What Auto on every layer of the current type (`every_type` false) or on every type wrote.
std::string AutoManyStatus(const AutoManyResult& result, bool every_type);

}  // namespace quarnel
