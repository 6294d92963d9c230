#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "model/template_format.h"
#include "model/tile_array.h"
#include "model/type_keys.h"
#include "model/window_values.h"

namespace quarnel {

// The tile types shown in the current run, in the order shown, with their keys ("id1 id2") for
// quick look-up straight from a line read. Types compare as exact pairs of ids; ids hold no
// spaces, so a key names one pair only.
class DoneList {
 public:
  const std::vector<TileType>& Shown() const { return shown_; }
  bool Contains(std::string_view key) const { return keys_.Find(key) != TypeKeys::kAbsent; }
  void Add(TileType type) {
    keys_.FindOrAdd(type.Key());
    shown_.push_back(std::move(type));
  }

 private:
  std::vector<TileType> shown_;
  TypeKeys keys_;
};

// Everything the program keeps between user actions, apart from what the window holds. A fresh
// one is the program at start-up.
struct Program {
  explicit Program(WindowValues& window_values) : window(window_values) {}

  WindowValues& window;
  TileArray tilearray;  // cells of the current type
  std::string curtype;  // "id1 id2" of the current type, empty before the first load
  DoneList donelist;    // types shown in this run
  // Corners of the rectangle being marked. The first corner counts only while has_first_corner:
  // it belongs to the drawing it was pressed on, and every redraw forgets it.
  int startx = 0;
  int starty = 0;
  int endx = 0;
  int endy = 0;
  bool has_first_corner = false;
};

}  // namespace quarnel
