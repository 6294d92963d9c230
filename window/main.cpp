#include <QApplication>
#include <QCoreApplication>
#include <QFile>
#include <QIcon>
#include <QSize>
#include <QStringList>
#include <cstdio>
#include <memory>
#include <string>

#include "window/command_line.h"
#include "window/mainfrm.h"
#include "window/quiet_start.h"
#include "window/template_dialog.h"

namespace {

QIcon QuarnelIcon() {
  QIcon icon;
  for (const int size : {16, 32, 48, 64, 128, 256}) {
    icon.addFile(QStringLiteral(":/icons/quarnel-%1.png").arg(size), QSize(size, size));
  }
  return icon;
}

QStringList Arguments(int argc, char* argv[]) {
  QStringList arguments;
  for (int i = 0; i < argc; ++i) arguments.append(QString::fromLocal8Bit(argv[i]));
  return arguments;
}

}  // namespace

int main(int argc, char* argv[]) {
  quarnel::MakeNoFoldersAtStart();
  // Help and the version are answered without a window system, so that they work on a terminal
  // with no display.
  std::unique_ptr<QCoreApplication> app;
  if (quarnel::AsksOnlyForText(Arguments(argc, argv))) {
    app = std::make_unique<QCoreApplication>(argc, argv);
  } else {
    app = std::make_unique<QApplication>(argc, argv);
  }
  QCoreApplication::setApplicationName(QStringLiteral("Quarnel"));
  const quarnel::CommandLine command_line =
      quarnel::ParseCommandLine(QCoreApplication::arguments());
  if (command_line.exit_status) {
    std::fputs(command_line.output.toLocal8Bit().constData(), stdout);
    std::fputs(command_line.error.toLocal8Bit().constData(), stderr);
    return *command_line.exit_status;
  }
  QApplication::setWindowIcon(QuarnelIcon());
  quarnel::KeepNoSettings();
  quarnel::MainFrm window;
  window.show();
  if (!command_line.template_path.isEmpty()) {
    // The argument's own bytes: a name that is not UTF-8 does not survive a QString.
    std::string path = QFile::encodeName(command_line.template_path).toStdString();
    for (int i = 1; i < argc; ++i) {
      if (QFile::decodeName(argv[i]) == command_line.template_path) {
        path = argv[i];
        break;
      }
    }
    quarnel::OpenTemplate(window, path);
  }
  return QCoreApplication::exec();
}
