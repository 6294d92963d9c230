// The main window's side of the window values: the program reads and sets its controls here.
#include <QDir>
#include <QFile>
#include <QLineEdit>

#include "window/layer_spinner.h"
#include "window/mainfrm.h"
#include "window/output_box.h"
#include "window/status_line.h"

namespace quarnel {

QString MainFrm::StatusText() const {
  return status_->Text();
}

void MainFrm::SetTemplatePath(const QString& path) {
  thefile_->setText(path);
}

std::string MainFrm::TemplatePath() const {
  // "~/maps/castle.tmp" means what it means in a shell.
  QString path = thefile_->text();
  if (path == QStringLiteral("~") || path.startsWith(QStringLiteral("~/"))) {
    path.replace(0, 1, QDir::homePath());
  }
  return QFile::encodeName(path).toStdString();
}
std::string MainFrm::Caption() const {
  return caption_;
}
void MainFrm::SetCaption(const std::string& caption) {
  caption_ = caption;
  // Qt shows its modified-marker "[*]" as "*" while records are unsaved and hides it otherwise;
  // one in the caption itself, doubled, shows as written.
  setWindowTitle(
      QString::fromStdString(caption).replace(QStringLiteral("[*]"), QStringLiteral("[*][*]")) +
      QStringLiteral("[*]"));
}
int MainFrm::Layer() const {
  return zscr_->value();
}
void MainFrm::SetLayer(int layer) {
  zscr_->setValue(layer);
}
std::string MainFrm::LayerText() const {
  return zval_->text().toStdString();
}
void MainFrm::SetLayerText(const std::string& text) {
  zval_->setText(QString::fromStdString(text));
}
std::string MainFrm::OutputText() const {
  return comlist_->Text();
}
void MainFrm::SetOutputText(const std::string& text) {
  comlist_->SetText(text);
}

}  // namespace quarnel
