#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "editor/program.h"

namespace quarnel {

// The types panel's two tables, read from the program, for any front end to show.

// The columns of the types table, and what each row's type is to the run.
enum TypeColumn {
  kTypeId1,
  kTypeId2,
  kTypeCells,
  kTypeLayers,
  kTypeCovered,
  kTypeState,
  kTypeColumns
};
// Each column's heading, the same in every front end.
inline constexpr const char* kTypeHeadings[kTypeColumns] = {"id1",    "id2",     "cells",
                                                            "layers", "covered", "state"};
enum class TypeState { kNotShown, kShown, kAllCovered, kCurrent };

TypeState StateOf(const Program& program, std::size_t table_row);
const char* StateText(TypeState state);
// The layers a type holds cells on: "0, 3, 7", or past four of them "12 (0, 1, 2, 3, …)".
std::string LayerList(const TypeRow& row);
// The text of column `column` of the type table's row `table_row`.
std::string TypeCellText(const Program& program, std::size_t table_row, int column);

// Sorts `order` (rows of the type table) by a column, stably; column -1 is run order.
void SortTypes(const Program& program, std::vector<std::uint32_t>& order, int column,
               bool ascending);

// The current type's layers that hold cells, with its cells and covered cells on each.
enum LayerColumn { kLayersLayer, kLayersCells, kLayersCovered, kLayersColumns };
inline constexpr const char* kLayerHeadings[kLayersColumns] = {"layer", "cells", "covered"};
struct LayerRow {
  int layer, cells, covered;
};
std::vector<LayerRow> LayerRows(const Program& program);
void SortLayers(std::vector<LayerRow>& rows, int column, bool ascending);

}  // namespace quarnel
