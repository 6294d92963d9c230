#pragma once

#include <QAbstractTableModel>
#include <cstdint>
#include <vector>

#include "editor/panel.h"
#include "editor/program.h"

namespace quarnel {

// The run's tile types as a table, straight from the program's type table: no item objects, four
// bytes a row for the order it is sorted in.
class TypesModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  enum Column { kId1, kId2, kCells, kLayersHeld, kCovered, kState, kColumnCount };

  TypesModel(const Program& program, QObject* parent);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  // Column -1 is run order.
  void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

  // Follows the program: a new run's types, or new counts and states.
  void Refresh();
  // The type table's row shown at `row`, and back.
  std::size_t TableRow(int row) const { return order_[static_cast<std::size_t>(row)]; }
  int ShownAt(std::size_t table_row) const;

 private:
  const Program& program_;
  long long runs_ = 0;
  std::vector<std::uint32_t> order_;
  int sort_column_ = -1;
  Qt::SortOrder sort_order_ = Qt::AscendingOrder;
};

// The current type's layers that hold cells.
class LayersModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  enum Column { kLayer, kCells, kCovered, kColumnCount };

  LayersModel(const Program& program, QObject* parent);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

  void Refresh();
  int LayerAt(int row) const { return rows_[static_cast<std::size_t>(row)].layer; }

 private:
  const Program& program_;
  std::vector<LayerRow> rows_;
  int sort_column_ = kLayer;
  Qt::SortOrder sort_order_ = Qt::AscendingOrder;
};

}  // namespace quarnel
