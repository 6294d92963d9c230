#pragma once

#include <optional>
#include <string>

#include "editor/covered_read.h"
#include "editor/window_values.h"
#include "model/done_list.h"
#include "model/file_stamp.h"
#include "model/tile_array.h"
#include "model/type_table.h"

namespace quarnel {

// Everything the program keeps between user actions, apart from what the window holds. A fresh
// one is the program at start-up.
struct Program {
  explicit Program(WindowValues& window_values) : window(window_values) {}

  WindowValues& window;
  TileArray tilearray;    // cells of the current type
  TileArray covered;      // cells of the current type that rectangle records cover: the box's and
                          // the template's own (`held`)
  TileArray held;         // cells of the current type that the template's rectangle records cover
  std::string curtype;    // "id1 id2" of the current type, empty before the first load
  DoneList donelist;      // types shown in this run
  TypeTable types;        // the run's types as "go" read them, with the box's progress on each
  long long runs = 0;     // runs started
  bool run_over = false;  // "Next Tile Type" found no type left to show
  // The template the current type was read from, as it was just before that read.
  std::string read_path;
  std::optional<FileStamp> read_stamp;
  // After go on a template without tile records: how many rectangle records it holds; else -1.
  long long rectangles_only = -1;
  // Corners of the rectangle being marked. The first corner counts only while has_first_corner:
  // it belongs to the drawing it was pressed on, and every redraw forgets it.
  int startx = 0;
  int starty = 0;
  int endx = 0;
  int endy = 0;
  bool has_first_corner = false;
  bool dragging = false;  // the left button is held since its press set the first corner
  // Counts the redraws: marks belong to the drawing they were put on.
  long long drawing = 0;
  int shown_layer = 0;  // the layer the last redraw showed
  // ReadCovered's own: what it last read of the output box.
  CoveredRead covered_read;
};

}  // namespace quarnel
