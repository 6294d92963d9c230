#include "window/types_model.h"

#include <algorithm>
#include <numeric>
#include <tuple>

#include "model/template_format.h"

namespace quarnel {
namespace {

QString LayerList(const TypeRow& r) {
  constexpr int kShown = 4;
  QStringList layers;
  for (int z = 0; z < kLayers && layers.size() <= kShown; ++z) {
    if (r.HasLayer(z)) layers << QString::number(z);
  }
  if (layers.size() <= kShown) return layers.join(QStringLiteral(", "));
  layers.removeLast();
  return QStringLiteral("%1 (%2, …)").arg(r.LayerCount()).arg(layers.join(QStringLiteral(", ")));
}

const char* StateText(TypesModel::State state) {
  switch (state) {
    case TypesModel::kCurrent:
      return "current";
    case TypesModel::kAllCovered:
      return "all covered";
    case TypesModel::kShown:
      return "shown";
    case TypesModel::kNotShown:
      break;
  }
  return "not shown yet";
}

std::string_view Id(std::string_view key, bool second) {
  const KeyIds ids = SplitKey(key);
  return second ? ids.id2 : ids.id1;
}

QString Text(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

TypesModel::TypesModel(const Program& program, QObject* parent)
    : QAbstractTableModel(parent), program_(program) {}

int TypesModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(order_.size());
}

int TypesModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kColumnCount;
}

TypesModel::State TypesModel::StateOf(std::size_t table_row) const {
  const TypeRow& r = program_.types.rows[table_row];
  const std::string_view key = program_.types.Key(r);
  if (key == program_.curtype) return kCurrent;
  if (!program_.donelist.Contains(key)) return kNotShown;
  return r.covered >= r.cells ? kAllCovered : kShown;
}

QVariant TypesModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || static_cast<std::size_t>(index.row()) >= order_.size()) return {};
  const std::size_t row = TableRow(index.row());
  const TypeRow& r = program_.types.rows[row];
  if (role == Qt::TextAlignmentRole) {
    const bool number = index.column() == kCells || index.column() == kCovered;
    return QVariant::fromValue(Qt::AlignVCenter | (number ? Qt::AlignRight : Qt::AlignLeft));
  }
  if (role != Qt::DisplayRole && role != Qt::ToolTipRole) return {};
  switch (index.column()) {
    case kId1:
      return Text(Id(program_.types.Key(r), false));
    case kId2:
      return Text(Id(program_.types.Key(r), true));
    case kCells:
      return static_cast<qulonglong>(r.cells);
    case kLayersHeld:
      return LayerList(r);
    case kCovered:
      return static_cast<qulonglong>(r.covered);
    case kState:
      return QString::fromLatin1(StateText(StateOf(row)));
    default:
      return {};
  }
}

QVariant TypesModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  static const char* const kNames[] = {"id1", "id2", "cells", "layers", "covered", "state"};
  return section >= 0 && section < kColumnCount ? QString::fromLatin1(kNames[section]) : QVariant();
}

void TypesModel::sort(int column, Qt::SortOrder order) {
  sort_column_ = column;
  sort_order_ = order;
  emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
  const QModelIndexList before = persistentIndexList();
  std::vector<std::uint32_t> old_order;
  if (!before.isEmpty()) old_order = order_;
  const auto& types = program_.types;
  const auto key = [&](std::uint32_t row) {
    const TypeRow& r = types.rows[row];
    switch (column) {
      case kId1:
        return std::tuple(Id(types.Key(r), false), 0LL, 0LL);
      case kId2:
        return std::tuple(Id(types.Key(r), true), 0LL, 0LL);
      case kCells:
        return std::tuple(std::string_view(), static_cast<long long>(r.cells), 0LL);
      case kLayersHeld:
        return std::tuple(std::string_view(), static_cast<long long>(r.LayerCount()),
                          static_cast<long long>(r.FirstLayer()));
      case kCovered:
        return std::tuple(std::string_view(), static_cast<long long>(r.covered), 0LL);
      case kState:
        return std::tuple(std::string_view(), static_cast<long long>(StateOf(row)), 0LL);
      default:
        return std::tuple(std::string_view(), 0LL, 0LL);
    }
  };
  std::iota(order_.begin(), order_.end(), 0u);
  std::stable_sort(order_.begin(), order_.end(), [&](std::uint32_t a, std::uint32_t b) {
    return order == Qt::AscendingOrder ? key(a) < key(b) : key(b) < key(a);
  });
  for (const QModelIndex& index : before) {
    const int moved = ShownAt(old_order[static_cast<std::size_t>(index.row())]);
    changePersistentIndex(index, this->index(moved, index.column()));
  }
  emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

int TypesModel::ShownAt(std::size_t table_row) const {
  const auto found = std::find(order_.begin(), order_.end(), table_row);
  return found == order_.end() ? -1 : static_cast<int>(found - order_.begin());
}

void TypesModel::Refresh() {
  if (runs_ != program_.runs) {
    runs_ = program_.runs;
    beginResetModel();
    order_.resize(program_.types.rows.size());
    std::iota(order_.begin(), order_.end(), 0u);
    endResetModel();
    if (sort_column_ >= 0) sort(sort_column_, sort_order_);
    return;
  }
  if (!order_.empty()) emit dataChanged(index(0, 0), index(rowCount() - 1, kColumnCount - 1));
}

LayersModel::LayersModel(const Program& program, QObject* parent)
    : QAbstractTableModel(parent), program_(program) {}

int LayersModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int LayersModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kColumnCount;
}

QVariant LayersModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || static_cast<std::size_t>(index.row()) >= rows_.size()) return {};
  if (role == Qt::TextAlignmentRole) return QVariant::fromValue(Qt::AlignVCenter | Qt::AlignRight);
  if (role != Qt::DisplayRole) return {};
  const Row& r = rows_[static_cast<std::size_t>(index.row())];
  return index.column() == kLayer ? r.layer : index.column() == kCells ? r.cells : r.covered;
}

QVariant LayersModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  static const char* const kNames[] = {"layer", "cells", "covered"};
  return section >= 0 && section < kColumnCount ? QString::fromLatin1(kNames[section]) : QVariant();
}

void LayersModel::sort(int column, Qt::SortOrder order) {
  sort_column_ = column;
  sort_order_ = order;
  emit layoutAboutToBeChanged();
  const auto value = [column](const Row& r) {
    return column == kCells ? r.cells : column == kCovered ? r.covered : r.layer;
  };
  std::stable_sort(rows_.begin(), rows_.end(), [&](const Row& a, const Row& b) {
    return order == Qt::AscendingOrder ? value(a) < value(b) : value(b) < value(a);
  });
  emit layoutChanged();
}

void LayersModel::Refresh() {
  beginResetModel();
  rows_.clear();
  const TileArray& cells = program_.tilearray;
  for (int z = 0; z < kLayers; ++z) {
    if (!cells.LayerHasCells(z)) continue;
    int covered = 0;
    for (int i = 0; i < TileArray::kLayerSize; ++i) {
      const auto at = static_cast<std::size_t>(z * TileArray::kLayerSize + i);
      covered += cells.flags[at] & program_.covered.flags[at];
    }
    rows_.push_back({z, cells.layer_count[static_cast<std::size_t>(z)], covered});
  }
  endResetModel();
  if (sort_column_ >= 0) sort(sort_column_, sort_order_);
}

}  // namespace quarnel
