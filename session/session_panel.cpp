// The session's types panel: its rows in the order shown, sorting, and choosing a type or a layer.
#include <numeric>

#include "editor/panel.h"
#include "editor/steps.h"
#include "model/fault.h"
#include "session/session.h"

namespace quarnel {

void Session::RefreshPanel() {
  if (panel_runs_ != program_.runs) {
    panel_runs_ = program_.runs;
    type_order_.resize(program_.types.rows.size());
    std::iota(type_order_.begin(), type_order_.end(), 0u);
    if (type_sort_ >= 0) quarnel::SortTypes(program_, type_order_, type_sort_, type_ascending_);
  }
  layer_rows_ = LayerRows(program_);
  quarnel::SortLayers(layer_rows_, layer_sort_, layer_ascending_);
}

void Session::SortTypes(int column) {
  type_ascending_ = column == type_sort_ ? !type_ascending_ : true;
  type_sort_ = column;
  quarnel::SortTypes(program_, type_order_, type_sort_, type_ascending_);
}

void Session::SortTypes(int column, bool ascending) {
  type_sort_ = column;
  type_ascending_ = ascending;
  quarnel::SortTypes(program_, type_order_, type_sort_, type_ascending_);
}

void Session::SortLayers(int column, bool ascending) {
  layer_sort_ = column;
  layer_ascending_ = ascending;
  quarnel::SortLayers(layer_rows_, layer_sort_, layer_ascending_);
}

void Session::SortLayers(int column) {
  layer_ascending_ = column == layer_sort_ ? !layer_ascending_ : true;
  layer_sort_ = column;
  quarnel::SortLayers(layer_rows_, layer_sort_, layer_ascending_);
}

void Session::ChooseType(std::size_t shown_row) {
  if (shown_row >= type_order_.size()) return;
  Run([&] { ShowType(program_, type_order_[shown_row]); });
}

void Session::ChooseLayer(std::size_t shown_row) {
  if (shown_row >= layer_rows_.size()) return;
  Run([&] { ShowLayer(program_, layer_rows_[shown_row].layer); });
}

static_assert(Session::kTypeColumnCount == kTypeColumns);
static_assert(Session::kLayerColumnCount == kLayersColumns);

const char* Session::TypeHeading(int column) {
  return column >= 0 && column < kTypeColumns ? kTypeHeadings[column] : "";
}

const char* Session::LayerHeading(int column) {
  return column >= 0 && column < kLayersColumns ? kLayerHeadings[column] : "";
}

std::string Session::TypeCell(std::size_t shown_row, int column) const {
  if (shown_row >= type_order_.size()) return {};
  return Printable(TypeCellText(program_, type_order_[shown_row], column));
}

long long Session::CurrentTypeRow() const {
  for (std::size_t row = 0; row < type_order_.size(); ++row) {
    if (TypeIsCurrent(row)) return static_cast<long long>(row);
  }
  return -1;
}

bool Session::TypeIsCurrent(std::size_t shown_row) const {
  return shown_row < type_order_.size() &&
         StateOf(program_, type_order_[shown_row]) == TypeState::kCurrent;
}

int Session::LayerCell(std::size_t shown_row, int column) const {
  if (shown_row >= layer_rows_.size()) return 0;
  const LayerRow& r = layer_rows_[shown_row];
  return column == kLayersCells ? r.cells : column == kLayersCovered ? r.covered : r.layer;
}

}  // namespace quarnel
