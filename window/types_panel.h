#pragma once

#include <QWidget>
#include <cstddef>

#include "session/session.h"

class QTableView;

namespace quarnel {

class LayersModel;
class TypesModel;

// The types panel: every tile type of the run with its cells, layers, covered cells and state,
// and below it the current type's layers, as the session lists them. Enter or a double-click on a
// row asks to show it.
class TypesPanel : public QWidget {
  Q_OBJECT

 public:
  TypesPanel(Session& session, QWidget* parent);

  // Follows the session after any change.
  void Refresh();
  TypesModel* Types() const { return types_; }
  QTableView* TypesView() const { return types_view_; }
  QTableView* LayersView() const { return layers_view_; }

 signals:
  // By the row shown.
  void typeChosen(std::size_t row);
  void layerChosen(std::size_t row);

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  // The current type's row highlighted, and, once it is new, brought into view.
  void SelectCurrent();

  const Session& session_;
  TypesModel* types_;
  LayersModel* layers_;
  QTableView* types_view_;
  QTableView* layers_view_;
  std::string shown_type_;  // the type selected last, to select the current one once
};

}  // namespace quarnel
