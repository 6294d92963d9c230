#pragma once

#include <bit>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/fault.h"
#include "model/loader.h"
#include "model/template_format.h"
#include "model/type_keys.h"

namespace quarnel {

// What one read of a template says of one tile type of its run. Small: a template may hold a
// million types.
struct TypeRow {
  std::int32_t number = 0;  // its number in TypeTable::numbers, which holds its key "id1 id2"
  // Its cells: one per tile record and per cell of its rectangle records, so a cell a template
  // gives twice counts twice until the type is shown and its cells are counted exactly.
  std::uint32_t cells = 0;
  std::uint32_t covered = 0;  // cells held by rectangle records: the box's and the template's
  // Cells the template's own rectangle records hold, counted as `cells` is.
  std::uint32_t held = 0;
  std::uint64_t layers[2] = {0, 0};  // bit z: layer z holds cells

  bool HasLayer(int z) const { return (layers[z / 64] >> (z % 64)) & 1; }
  void SetLayer(int z) { layers[z / 64] |= std::uint64_t{1} << (z % 64); }
  int LayerCount() const { return std::popcount(layers[0]) + std::popcount(layers[1]); }
  int FirstLayer() const {
    return layers[0] != 0   ? std::countr_zero(layers[0])
           : layers[1] != 0 ? 64 + std::countr_zero(layers[1])
                            : 0;
  }
};

// The tile types of a template's run, in run order: the order of their first tile records. Types
// that only rectangle records name are not in it, as no run shows them.
struct TypeTable {
  std::vector<TypeRow> rows;
  TypeKeys numbers;               // key -> number in the order first met
  std::vector<std::int32_t> row;  // number -> row, or -1
  std::optional<Fault> refusal;   // the first line a load of its type would refuse
  // The cells of each type shown and no longer current, by row (none until then), so that its
  // covered count stays exact: their grid indices, kHeldCell set where the template's own
  // rectangle records hold the cell.
  static constexpr std::uint32_t kHeldCell = std::uint32_t{1} << 31;
  std::vector<std::vector<std::uint32_t>> shown_cells;

  std::string_view Key(const TypeRow& r) const { return numbers.Key(r.number); }
  // The row of a type, or -1.
  int RowOf(std::string_view key) const {
    const int number = numbers.Find(key);
    return number < 0 ? -1 : row[static_cast<std::size_t>(number)];
  }
};

// Reads the template at `path` once. A record that a load of its type would refuse counts for
// nothing, and a fault of the file itself ends the table there; the first of these is kept in
// `refusal`. Throws Fault when the file cannot be read or has no header. With `first`, the same
// read also gives the run's first type as FindNextType would load it with nothing shown yet, when
// it can stand for that: no line was refused and no rectangle record of the type came before its
// first tile record. Otherwise `first` is left empty.
TypeTable ReadTypeTable(const std::string& path, std::optional<LoadedType>* first = nullptr);

}  // namespace quarnel
