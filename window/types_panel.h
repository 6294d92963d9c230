#pragma once

#include <QWidget>
#include <cstddef>

#include "editor/program.h"

class QTableView;

namespace quarnel {

class LayersModel;
class TypesModel;

// The types panel: every tile type of the run with its cells, layers, covered cells and state,
// and below it the current type's layers. Enter or a double-click on a row asks to show it.
class TypesPanel : public QWidget {
  Q_OBJECT

 public:
  TypesPanel(const Program& program, QWidget* parent);

  // Follows the program after any change.
  void Refresh();
  TypesModel* Types() const { return types_; }
  QTableView* TypesView() const { return types_view_; }
  QTableView* LayersView() const { return layers_view_; }

 signals:
  void typeChosen(std::size_t table_row);
  void layerChosen(int layer);

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  const Program& program_;
  TypesModel* types_;
  LayersModel* layers_;
  QTableView* types_view_;
  QTableView* layers_view_;
  std::string shown_type_;  // the type selected last, to select the current one once
};

}  // namespace quarnel
