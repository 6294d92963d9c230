#include "window/types_model.h"

#include "editor/panel.h"

namespace quarnel {
namespace {

QVariant Heading(const char* name, Qt::Orientation orientation, int role) {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole || !*name) return {};
  return QString::fromLatin1(name);
}

}  // namespace

TypesModel::TypesModel(Session& session, QObject* parent)
    : QAbstractTableModel(parent), session_(session) {}

int TypesModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(session_.TypeCount());
}

int TypesModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kTypeColumns;
}

QVariant TypesModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || static_cast<std::size_t>(index.row()) >= session_.TypeCount()) return {};
  if (role == Qt::TextAlignmentRole) {
    const bool number = index.column() == kTypeCells || index.column() == kTypeCovered;
    return QVariant::fromValue(Qt::AlignVCenter | (number ? Qt::AlignRight : Qt::AlignLeft));
  }
  if (role != Qt::DisplayRole && role != Qt::ToolTipRole) return {};
  return QString::fromStdString(
      session_.TypeCell(static_cast<std::size_t>(index.row()), index.column()));
}

QVariant TypesModel::headerData(int section, Qt::Orientation orientation, int role) const {
  return Heading(Session::TypeHeading(section), orientation, role);
}

void TypesModel::sort(int column, Qt::SortOrder order) {
  emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
  session_.SortTypes(column, order == Qt::AscendingOrder);
  emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void TypesModel::Refresh() {
  if (runs_ != session_.program().runs) {
    runs_ = session_.program().runs;
    beginResetModel();
    endResetModel();
    return;
  }
  if (rowCount() > 0) emit dataChanged(index(0, 0), index(rowCount() - 1, kTypeColumns - 1));
}

LayersModel::LayersModel(Session& session, QObject* parent)
    : QAbstractTableModel(parent), session_(session) {}

int LayersModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(session_.LayerCount());
}

int LayersModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kLayersColumns;
}

QVariant LayersModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || static_cast<std::size_t>(index.row()) >= session_.LayerCount()) {
    return {};
  }
  if (role == Qt::TextAlignmentRole) return QVariant::fromValue(Qt::AlignVCenter | Qt::AlignRight);
  if (role != Qt::DisplayRole) return {};
  return session_.LayerCell(static_cast<std::size_t>(index.row()), index.column());
}

QVariant LayersModel::headerData(int section, Qt::Orientation orientation, int role) const {
  return Heading(Session::LayerHeading(section), orientation, role);
}

void LayersModel::sort(int column, Qt::SortOrder order) {
  emit layoutAboutToBeChanged();
  session_.SortLayers(column, order == Qt::AscendingOrder);
  emit layoutChanged();
}

void LayersModel::Refresh() {
  beginResetModel();
  endResetModel();
}

int LayersModel::LayerAt(int row) const {
  return session_.LayerCell(static_cast<std::size_t>(row), kLayersLayer);
}

}  // namespace quarnel
