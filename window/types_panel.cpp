#include "window/types_panel.h"

#include <QHeaderView>
#include <QResizeEvent>
#include <QStyle>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>

#include "window/types_model.h"

namespace quarnel {
namespace {

// The types list's columns where the panel is widest, and the room its last one, the state, needs.
constexpr std::initializer_list<int> kTypeColumnWidths = {52, 52, 52, 86, 52};
constexpr int kStateColumn = 84;

QTableView* MakeView(QAbstractItemModel* model, const char* name, const char* spoken,
                     const char* tip, std::initializer_list<int> widths, QWidget* parent) {
  auto* view = new QTableView(parent);
  view->setObjectName(QString::fromLatin1(name));
  view->setAccessibleName(QString::fromUtf8(spoken));
  view->setToolTip(QString::fromUtf8(tip));
  view->setAccessibleDescription(view->toolTip());
  view->setModel(model);
  view->setSelectionBehavior(QAbstractItemView::SelectRows);
  view->setSelectionMode(QAbstractItemView::SingleSelection);
  view->setEditTriggers(QAbstractItemView::NoEditTriggers);
  view->setTabKeyNavigation(false);
  // The list the keys act on stands out: a ring in the highlight colour while it has the focus.
  view->setStyleSheet(
      QStringLiteral("QTableView { border: 2px solid transparent; }"
                     "QTableView:focus { border: 2px solid palette(highlight); }"));
  view->setWordWrap(false);
  // Rows of one height and set column widths: nothing is measured row by row, so a million types
  // cost nothing until they are scrolled into view.
  view->verticalHeader()->hide();
  view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 4);
  view->horizontalHeader()->setHighlightSections(false);
  int column = 0;
  for (const int width : widths) view->setColumnWidth(column++, width);
  view->horizontalHeader()->setStretchLastSection(true);
  view->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
  view->setSortingEnabled(true);
  return view;
}

}  // namespace

TypesPanel::TypesPanel(Session& session, QWidget* parent)
    : QWidget(parent),
      session_(session),
      types_(new TypesModel(session, this)),
      layers_(new LayersModel(session, this)) {
  types_view_ = MakeView(types_, "Types", "Tile types",
                         "Every tile type of the run; Enter or a double-click shows it. Click a "
                         "heading to sort. F9 hides the panel.",
                         kTypeColumnWidths, this);
  layers_view_ = MakeView(layers_, "Layers", "Layers of the current type",
                          "The current type's layers that hold cells; Enter or a double-click "
                          "shows one",
                          {60, 60}, this);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(6);
  layout->addWidget(types_view_, 3);
  layout->addWidget(layers_view_, 1);
  connect(types_view_, &QAbstractItemView::activated, this, [this](const QModelIndex& index) {
    emit typeChosen(static_cast<std::size_t>(index.row()));
  });
  connect(layers_view_, &QAbstractItemView::activated, this, [this](const QModelIndex& index) {
    emit layerChosen(static_cast<std::size_t>(index.row()));
  });
  // Sorted, the highlight stays on the current type, wherever its row went.
  connect(types_, &QAbstractItemModel::layoutChanged, this, [this] { SelectCurrent(); });
}

void TypesPanel::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  // A narrow panel narrows the columns alike, so that the state stays in sight without scrolling.
  // The panel's width, less the list's frame, its focus ring and room for a scroll bar: the list
  // itself is laid out only after this.
  const int room = event->size().width() - 2 * types_view_->frameWidth() - 4 -
                   style()->pixelMetric(QStyle::PM_ScrollBarExtent) - kStateColumn;
  int wanted = 0;
  for (const int width : kTypeColumnWidths) wanted += width;
  const double scale = std::min(1.0, std::max(0.5, room / double(wanted)));
  int column = 0;
  for (const int width : kTypeColumnWidths) {
    types_view_->setColumnWidth(column++, static_cast<int>(width * scale));
  }
}

void TypesPanel::Refresh() {
  types_->Refresh();
  layers_->Refresh();
  for (int at = 0; at < layers_->rowCount(); ++at) {
    if (layers_->LayerAt(at) == session_.Layer()) layers_view_->selectRow(at);
  }
  if (session_.program().curtype == shown_type_) return;
  shown_type_ = session_.program().curtype;
  SelectCurrent();
}

void TypesPanel::SelectCurrent() {
  const long long at = session_.CurrentTypeRow();
  if (at < 0) return;
  types_view_->selectRow(static_cast<int>(at));
  types_view_->scrollTo(types_->index(static_cast<int>(at), 0));
}

}  // namespace quarnel
