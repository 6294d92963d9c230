// The main window's keys, wheel and drops that no control takes for itself.
#include <QDropEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTableView>
#include <QUrl>
#include <QWheelEvent>

#include "editor/steps.h"
#include "window/layer_spinner.h"
#include "window/mainfrm.h"
#include "window/output_box.h"
#include "window/types_panel.h"

namespace quarnel {
namespace {

bool IsTextBox(const QWidget* widget) {
  return qobject_cast<const QLineEdit*>(widget) || qobject_cast<const QPlainTextEdit*>(widget);
}

// The path's bytes of the local file a drag from a file manager carries, or an empty text. The
// address holds them percent-encoded, as they are, UTF-8 or not.
std::string DraggedFile(const QMimeData* data) {
  if (!data || !data->hasUrls() || data->urls().size() != 1) return {};
  const QUrl url = data->urls().constFirst();
  if (!url.isLocalFile()) return {};
  return QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()).toStdString();
}

}  // namespace

bool MainFrm::HandleKey(const QKeyEvent& event) {
  // A text box keeps its own keys; the output box passes on the undo keys it has no use for.
  if (IsTextBox(focusWidget()) && focusWidget() != comlist_) return false;
  if (event.key() == Qt::Key_PageUp || event.key() == Qt::Key_PageDown) {
    // The spinner itself steps by one on these keys too (its page step is 1).
    StepLayer(event.key() == Qt::Key_PageUp ? 1 : -1);
    return true;
  }
  const QKeyCombination keys = event.keyCombination();
  if (keys == QKeyCombination(Qt::Key_Delete) && focusWidget() != comlist_) {
    RemoveSelectedRecords();
    ShowStatus();
    return true;
  }
  if (keys == QKeyCombination(Qt::Key_Escape) && focusWidget() != comlist_) {
    DropCorner();
    return true;
  }
  if (keys == QKeyCombination(Qt::ControlModifier, Qt::Key_Z)) {
    Undo();
    return true;
  }
  if (keys == QKeyCombination(Qt::ControlModifier | Qt::ShiftModifier, Qt::Key_Z) ||
      keys == QKeyCombination(Qt::ControlModifier, Qt::Key_Y)) {
    Redo();
    return true;
  }
  return false;
}

bool MainFrm::HandleDrop(QEvent* event) {
  auto* drop = static_cast<QDropEvent*>(event);
  const std::string file = DraggedFile(drop->mimeData());
  if (file.empty()) return false;
  if (event->type() == QEvent::Drop) {
    drop->acceptProposedAction();
    SetTemplatePath(file);
    // As go: the box's unsaved records are asked about first.
    Go();
  } else {
    drop->acceptProposedAction();
  }
  return true;
}

bool MainFrm::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::Wheel:
      // Turning the wheel up over the spinner raises the layer by one, like its up arrow.
      if (watched == zscr_) {
        const int delta = static_cast<QWheelEvent*>(event)->angleDelta().y();
        if (delta != 0) StepLayer(delta > 0 ? 1 : -1);
        return true;
      }
      break;
    case QEvent::KeyPress: {
      const auto& key = *static_cast<QKeyEvent*>(event);
      const bool paging = (key.key() == Qt::Key_PageUp || key.key() == Qt::Key_PageDown) &&
                          (watched == panel_->TypesView() || watched == panel_->LayersView());
      if ((watched == content_ || paging) && HandleKey(key)) return true;
      break;
    }
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
      if (HandleDrop(event)) return true;
      break;
    default:
      break;
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace quarnel
