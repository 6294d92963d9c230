// The main window's path box and status line, read as the session and the tests want them.
#include <QDir>
#include <QFile>
#include <QLineEdit>

#include "window/mainfrm.h"
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

}  // namespace quarnel
