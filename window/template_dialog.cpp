#include "window/template_dialog.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QSettings>

namespace quarnel {

QString DialogStartFolder(const QString& path_box_text) {
  if (!path_box_text.isEmpty()) {
    const QFileInfo info(path_box_text);
    const QString folder = info.isDir() ? info.absoluteFilePath() : info.absolutePath();
    if (QFileInfo(folder).isDir()) return folder;
  }
  // The examples installed beside the program (a build links its own there), not a folder of the
  // machine it was built on.
  const QString examples = QDir(QCoreApplication::applicationDirPath())
                               .absoluteFilePath(QStringLiteral(QUARNEL_EXAMPLES_BESIDE));
  return QFileInfo(examples).isDir() ? QDir(examples).canonicalPath() : QDir::homePath();
}

void ConfigureTemplateDialog(QFileDialog& dialog, const QString& start_folder) {
  dialog.setObjectName(QStringLiteral("CommonDialog1"));
  dialog.setWindowTitle(QStringLiteral("Open Template"));
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setNameFilter(QStringLiteral("Template Files (*.tmp)"));
  dialog.setDirectory(start_folder);
}

void KeepNoSettings() {
  // No folder can be made inside /dev/null, so settings are neither read nor written.
  const QString nowhere = QStringLiteral("/dev/null");
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, nowhere);
  QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, nowhere);
  QSettings::setPath(QSettings::NativeFormat, QSettings::SystemScope, nowhere);
  QSettings::setPath(QSettings::IniFormat, QSettings::SystemScope, nowhere);
}

QString ChooseTemplate(QWidget* parent, const QString& start_folder) {
  QFileDialog dialog(parent);
  ConfigureTemplateDialog(dialog, start_folder);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().constFirst();
}

}  // namespace quarnel
