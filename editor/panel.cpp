#include "editor/panel.h"

#include "model/template_format.h"

#include <algorithm>
#include <numeric>
#include <string_view>
#include <tuple>

namespace quarnel {
namespace {

std::string_view Id(std::string_view key, bool second) {
  const KeyIds ids = SplitKey(key);
  return second ? ids.id2 : ids.id1;
}

}  // namespace

TypeState StateOf(const Program& program, std::size_t table_row) {
  const TypeRow& r = program.types.rows[table_row];
  const std::string_view key = program.types.Key(r);
  if (key == program.curtype) return TypeState::kCurrent;
  if (!program.donelist.Contains(key)) return TypeState::kNotShown;
  return r.covered >= r.cells ? TypeState::kAllCovered : TypeState::kShown;
}

const char* StateText(TypeState state) {
  switch (state) {
    case TypeState::kCurrent:
      return "current";
    case TypeState::kAllCovered:
      return "all covered";
    case TypeState::kShown:
      return "shown";
    case TypeState::kNotShown:
      break;
  }
  return "not shown yet";
}

std::string LayerList(const TypeRow& row) {
  constexpr int kShown = 4;
  std::vector<int> layers;
  for (int z = 0; z < kLayers && static_cast<int>(layers.size()) <= kShown; ++z) {
    if (row.HasLayer(z)) layers.push_back(z);
  }
  const bool more = static_cast<int>(layers.size()) > kShown;
  if (more) layers.pop_back();
  std::string list;
  for (const int z : layers) list += (list.empty() ? "" : ", ") + std::to_string(z);
  return more ? std::to_string(row.LayerCount()) + " (" + list + ", …)" : list;
}

std::string TypeCellText(const Program& program, std::size_t table_row, int column) {
  const TypeRow& r = program.types.rows[table_row];
  switch (column) {
    case kTypeId1:
      return std::string(Id(program.types.Key(r), false));
    case kTypeId2:
      return std::string(Id(program.types.Key(r), true));
    case kTypeCells:
      return std::to_string(r.cells);
    case kTypeLayers:
      return LayerList(r);
    case kTypeCovered:
      return std::to_string(r.covered);
    case kTypeState:
      return StateText(StateOf(program, table_row));
    default:
      return {};
  }
}

void SortTypes(const Program& program, std::vector<std::uint32_t>& order, int column,
               bool ascending) {
  const auto& types = program.types;
  const auto key = [&](std::uint32_t row) {
    const TypeRow& r = types.rows[row];
    switch (column) {
      case kTypeId1:
        return std::tuple(Id(types.Key(r), false), 0LL, 0LL);
      case kTypeId2:
        return std::tuple(Id(types.Key(r), true), 0LL, 0LL);
      case kTypeCells:
        return std::tuple(std::string_view(), static_cast<long long>(r.cells), 0LL);
      case kTypeLayers:
        return std::tuple(std::string_view(), static_cast<long long>(r.LayerCount()),
                          static_cast<long long>(r.FirstLayer()));
      case kTypeCovered:
        return std::tuple(std::string_view(), static_cast<long long>(r.covered), 0LL);
      case kTypeState:
        return std::tuple(std::string_view(), static_cast<long long>(StateOf(program, row)), 0LL);
      default:
        return std::tuple(std::string_view(), 0LL, 0LL);
    }
  };
  std::iota(order.begin(), order.end(), 0u);
  std::stable_sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
    return ascending ? key(a) < key(b) : key(b) < key(a);
  });
}

std::vector<LayerRow> LayerRows(const Program& program) {
  std::vector<LayerRow> rows;
  const TileArray& cells = program.tilearray;
  for (int z = 0; z < kLayers; ++z) {
    if (!cells.LayerHasCells(z)) continue;
    int covered = 0;
    for (int i = 0; i < TileArray::kLayerSize; ++i) {
      const auto at = static_cast<std::size_t>(z * TileArray::kLayerSize + i);
      covered += cells.flags[at] & program.covered.flags[at];
    }
    rows.push_back({z, cells.layer_count[static_cast<std::size_t>(z)], covered});
  }
  return rows;
}

void SortLayers(std::vector<LayerRow>& rows, int column, bool ascending) {
  const auto value = [column](const LayerRow& r) {
    return column == kLayersCells ? r.cells : column == kLayersCovered ? r.covered : r.layer;
  };
  std::stable_sort(rows.begin(), rows.end(), [&](const LayerRow& a, const LayerRow& b) {
    return ascending ? value(a) < value(b) : value(b) < value(a);
  });
}

}  // namespace quarnel
