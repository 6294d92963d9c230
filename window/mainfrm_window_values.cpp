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

void MainFrm::SetTemplatePath(const std::string& bytes) {
  // A name that is not UTF-8 cannot pass through the box's text unchanged: its bytes are kept
  // for as long as the box shows what they decode to.
  raw_path_ = bytes;
  raw_path_text_ = QFile::decodeName(QByteArray::fromStdString(bytes));
  thefile_->setText(raw_path_text_);
}

std::string MainFrm::TemplatePath() const {
  if (!raw_path_.empty() && thefile_->text() == raw_path_text_) return raw_path_;
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
const std::string& MainFrm::OutputText() const {
  return comlist_->Text();
}
void MainFrm::SetOutputText(const std::string& text) {
  comlist_->SetText(text);
}

}  // namespace quarnel
