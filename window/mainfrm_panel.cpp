// The main window's types panel and the button that shows it.
#include <QPushButton>
#include <QShortcut>
#include <QTableView>

#include "window/mainfrm.h"
#include "window/output_box.h"
#include "window/types_panel.h"

namespace quarnel {

void MainFrm::AddPanel() {
  panel_button_ = new QPushButton(QStringLiteral("Types"), content_);
  Name(panel_button_, "TypesButton", "Types panel", "Show or hide the types panel (F9)");
  panel_button_->setCheckable(true);
  panel_ = new TypesPanel(session_, content_);
  Name(panel_, "TypesPanel", "Types panel", "",
       "The run's tile types and the current type's layers; F9 hides it");
  // The button ends the bottom row's first part; the lists come last, after the output box.
  setTabOrder(save_, panel_button_);
  setTabOrder(comlist_, panel_->TypesView());
  setTabOrder(panel_->TypesView(), panel_->LayersView());
  // Page Up and Down step the layer in the lists too, as everywhere outside the text boxes.
  panel_->TypesView()->installEventFilter(this);
  panel_->LayersView()->installEventFilter(this);

  connect(panel_button_, &QPushButton::toggled, this, &MainFrm::ShowPanel);
  auto* panel_key = new QShortcut(QKeySequence(Qt::Key_F9), this);
  connect(panel_key, &QShortcut::activated, panel_button_, &QPushButton::toggle);
  connect(panel_, &TypesPanel::typeChosen, this,
          [this](std::size_t row) { Call([&] { session_.ChooseType(row); }); });
  connect(panel_, &TypesPanel::layerChosen, this,
          [this](std::size_t row) { Call([&] { session_.ChooseLayer(row); }); });
}

void MainFrm::ShowPanel(bool shown) {
  panel_->setVisible(shown);
  FitToScreen();
}

}  // namespace quarnel
