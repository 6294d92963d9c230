#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "model/template_format.h"
#include "model/tile_array.h"
#include "model/window_values.h"

namespace quarnel {

// The tile types shown in the current run, in the order shown, with their keys ("id1 id2") kept
// for quick look-up straight from a line read. Types compare as exact pairs of ids; ids hold no
// spaces, so a key names one pair only.
class DoneList {
 public:
  const std::vector<TileType>& Shown() const { return shown_; }
  void Add(TileType type);

  // Called for nearly every line of a scan, so it is inline and cheap. A key of up to eight
  // bytes, zero-padded, is itself a number: such keys are found in a table of numbers without any
  // text comparison (lines hold no NUL bytes, so the padding cannot be mistaken for key bytes).
  bool Contains(std::string_view key) const {
    if (key.size() <= 8) return Find(short_slots_, ShortKey(key));
    return long_keys_.contains(key);
  }

  static std::uint64_t ShortKey(std::string_view key) {
    std::uint64_t word = 0;
    std::memcpy(&word, key.data(), key.size());
    return word;
  }

 private:
  static std::size_t Slot(std::uint64_t word, std::size_t mask) {
    return static_cast<std::size_t>((word * 0x9E3779B97F4A7C15u) >> 32) & mask;
  }
  // Open addressing in a power-of-two table at most half full; 0 marks an empty slot.
  static bool Find(const std::vector<std::uint64_t>& table, std::uint64_t word) {
    if (table.empty()) return false;
    const std::size_t mask = table.size() - 1;
    for (std::size_t slot = Slot(word, mask);; slot = (slot + 1) & mask) {
      if (table[slot] == word) return true;
      if (table[slot] == 0) return false;
    }
  }
  void InsertShort(std::uint64_t word);

  std::vector<TileType> shown_;
  std::vector<std::uint64_t> short_slots_;
  std::size_t short_count_ = 0;
  struct LongKeyHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view key) const {
      return std::hash<std::string_view>{}(key);
    }
  };
  std::unordered_set<std::string, LongKeyHash, std::equal_to<>> long_keys_;
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
