// The main window's keys, wheel and drops that no control takes for itself.
#include <QDropEvent>
#include <QHash>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTableView>
#include <QUrl>
#include <QWheelEvent>

#include "session/key_map.h"
#include "window/layer_spinner.h"
#include "window/mainfrm.h"
#include "window/output_box.h"
#include "window/surface_view.h"
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
  // The key map's names for the keys that reach here unused.
  static const QHash<int, std::string> kNames = {{Qt::Key_PageUp, "PageUp"},
                                                 {Qt::Key_PageDown, "PageDown"},
                                                 {Qt::Key_Delete, "Delete"},
                                                 {Qt::Key_Escape, "Escape"},
                                                 {Qt::Key_Z, "z"},
                                                 {Qt::Key_Y, "y"},
                                                 {Qt::Key_S, "s"}};
  const auto name = kNames.find(event.key());
  if (name == kNames.end()) return false;
  const QWidget* focus = focusWidget();
  // The output box passes on only the undo keys it has no typing left to use for.
  const char* where = focus == comlist_    ? "box"
                      : IsTextBox(focus)   ? "text"
                      : focus == picture1_ ? "grid"
                                           : "other";
  const Qt::KeyboardModifiers modifiers = event.modifiers();
  const bool shift = modifiers.testFlag(Qt::ShiftModifier);
  const std::string action =
      KeyAction(where, *name, modifiers.testFlag(Qt::ControlModifier), shift, false);
  if (action.empty()) return false;
  Call([&] { session_.Key(action, *name, shift); });
  return true;
}

bool MainFrm::HandleDrop(QEvent* event) {
  auto* drop = static_cast<QDropEvent*>(event);
  const std::string file = DraggedFile(drop->mimeData());
  if (file.empty()) return false;
  if (event->type() == QEvent::Drop) {
    drop->acceptProposedAction();
    SetTemplatePath(file);
    Go();  // the session asks first about the box's unsaved records
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
        if (delta != 0) Call([&] { session_.StepLayer(delta > 0 ? 1 : -1); });
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
