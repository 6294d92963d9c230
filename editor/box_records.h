#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "editor/marking.h"

namespace quarnel {

// One rectangle record of the output box, found by its line.
struct BoxRecord {
  std::size_t line = 0;  // counted from 0
  std::string key;       // "id1 id2"
  CellBox cells{};       // the cells it spans, on the grid
  int z = 0;
};

// The rectangle record on line `line` (from 0) of the output text; nothing for any other line,
// or a record a load would refuse.
std::optional<BoxRecord> RecordOnLine(std::string_view text, std::size_t line);

// The lines of the output text's records of type `key` whose rectangle holds cell (x, y) of
// layer z, in order.
std::vector<std::size_t> RecordsHolding(std::string_view text, std::string_view key, int x, int y,
                                        int z);

// The output text without the lines `lines` (from 0, in any order).
std::string WithoutLines(std::string_view text, const std::vector<std::size_t>& lines);

}  // namespace quarnel
