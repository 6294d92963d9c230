#pragma once

#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "model/tile_array.h"
#include "shorten/shorten.h"

namespace quarnel {

// The cells of one tile type: GridCell indices, sorted, each once.
struct TypeCells {
  std::string key;  // "id1 id2"
  std::vector<std::uint32_t> cells;
};

// Every type of a template with its cells, each record read as the shortener reads it, in order
// of each type's first record. Throws Fault where any load would.
std::vector<TypeCells> ReadTypeCells(const std::string& name, std::string_view text);

// Whether two templates have the same types, each with exactly the same cells: the check a
// shortened template passes before Shorten returns it. Throws Fault where a load of the first
// would, and where one of the second would, unless the second is found to differ first.
bool SameTiles(const std::string& first_name, std::string_view first,
               const std::string& second_name, std::string_view second);

// Where two lists of types' cells first differ, by type in order (the first list's types, then
// the second's), then by layer, row and column: what CompareTemplates must find, worked out
// another way.
std::optional<Difference> FirstDifference(const std::vector<TypeCells>& first,
                                          const std::vector<TypeCells>& second);

// The cells of type `key` ("id1 id2") that the rectangle records in the output box's `text` cover.
TileArray CoveredCells(std::string_view text, std::string_view key);

// `records` records of five types on the first 13 columns and rows of four layers: mostly plain
// tile records, many on the same cells; some rectangle records and tile records that are not plain.
std::string GeneratedTemplate(std::mt19937& random, int records);

}  // namespace quarnel
