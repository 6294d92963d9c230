#include "window/types_model.h"

#include <algorithm>
#include <numeric>

#include "editor/panel.h"

namespace quarnel {
namespace {

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

QVariant TypesModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || static_cast<std::size_t>(index.row()) >= order_.size()) return {};
  const std::size_t row = TableRow(index.row());
  const TypeRow& r = program_.types.rows[row];
  if (role == Qt::TextAlignmentRole) {
    const bool number = index.column() == kCells || index.column() == kCovered;
    return QVariant::fromValue(Qt::AlignVCenter | (number ? Qt::AlignRight : Qt::AlignLeft));
  }
  if (role != Qt::DisplayRole && role != Qt::ToolTipRole) return {};
  if (index.column() == kCells) return static_cast<qulonglong>(r.cells);
  if (index.column() == kCovered) return static_cast<qulonglong>(r.covered);
  return Text(TypeCellText(program_, row, index.column()));
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
  SortTypes(program_, order_, column, order == Qt::AscendingOrder);
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
  const LayerRow& r = rows_[static_cast<std::size_t>(index.row())];
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
  SortLayers(rows_, column, order == Qt::AscendingOrder);
  emit layoutChanged();
}

void LayersModel::Refresh() {
  beginResetModel();
  rows_ = quarnel::LayerRows(program_);
  endResetModel();
  if (sort_column_ >= 0) sort(sort_column_, sort_order_);
}

}  // namespace quarnel
