#pragma once

#include <QAbstractTableModel>

#include "session/session.h"

namespace quarnel {

// The run's tile types as a table, in the session's order: no item objects, and sorting is the
// session's, so that every front end sorts alike.
class TypesModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  TypesModel(Session& session, QObject* parent);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  // Column -1 is run order.
  void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

  // Follows the session: a new run's types, or new counts and states.
  void Refresh();

 private:
  Session& session_;
  long long runs_ = -1;
};

// The current type's layers that hold cells.
class LayersModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  LayersModel(Session& session, QObject* parent);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

  void Refresh();
  int LayerAt(int row) const;

 private:
  Session& session_;
};

}  // namespace quarnel
