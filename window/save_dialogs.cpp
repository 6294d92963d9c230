#include "window/save_dialogs.h"

#include <QCheckBox>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QMessageBox>
#include <QPushButton>

namespace quarnel {
namespace {

QString Native(const std::string& path) {
  return QFile::decodeName(QByteArray::fromStdString(path));
}

}  // namespace

std::optional<MainFrm::SaveChoice> ChooseSaveTarget(QWidget* parent, const QString& suggested,
                                                    bool shorten_rest) {
  QFileDialog dialog(parent, QStringLiteral("Save the Shorter Template"));
  dialog.setObjectName(QStringLiteral("SaveDialog"));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setNameFilter(QStringLiteral("Template Files (*.tmp)"));
  dialog.setDefaultSuffix(QStringLiteral("tmp"));
  dialog.setOptions(QFileDialog::DontUseNativeDialog | QFileDialog::DontConfirmOverwrite);
  dialog.selectFile(suggested);
  auto* rest = new QCheckBox(QStringLiteral("shorten the rest automatically"), &dialog);
  rest->setObjectName(QStringLiteral("ShortenRest"));
  rest->setChecked(shorten_rest);
  rest->setToolTip(
      QStringLiteral("Merge the tile records no record covers into rectangle "
                     "records too, as quarnel-shorten does"));
  rest->setAccessibleName(rest->text());
  rest->setAccessibleDescription(rest->toolTip());
  if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout())) {
    grid->addWidget(rest, grid->rowCount(), 0, 1, -1);
  }
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return MainFrm::SaveChoice{dialog.selectedFiles().constFirst(), rest->isChecked()};
}

std::string ChosenBytes(const QString& chosen, const std::string& offered) {
  if (chosen == Native(offered)) return offered;
  const std::size_t slash = offered.rfind('/');
  const QFileInfo info(chosen);
  if (slash != std::string::npos && info.path() == Native(offered.substr(0, slash))) {
    return offered.substr(0, slash + 1) + QFile::encodeName(info.fileName()).toStdString();
  }
  return QFile::encodeName(chosen).toStdString();
}

int AskBox(QWidget* parent, const QString& question, const QStringList& answers) {
  QMessageBox box(QMessageBox::Question, QStringLiteral("Quarnel"), question, QMessageBox::NoButton,
                  parent);
  QList<QAbstractButton*> buttons;
  for (const QString& answer : answers) {
    const bool last = &answer == &answers.constLast();
    buttons << box.addButton(answer, last ? QMessageBox::RejectRole : QMessageBox::AcceptRole);
  }
  // Enter keeps things as they are: overwriting a file or adding tiles takes a deliberate click.
  box.setDefaultButton(qobject_cast<QPushButton*>(buttons.constLast()));
  box.setEscapeButton(buttons.constLast());
  box.exec();
  const auto chosen = buttons.indexOf(box.clickedButton());
  return chosen < 0 ? static_cast<int>(answers.size()) - 1 : static_cast<int>(chosen);
}

}  // namespace quarnel
