#include <QApplication>
#include <QStringList>

#include "window/mainfrm.h"
#include "window/quiet_start.h"
#include "window/template_dialog.h"

int main(int argc, char* argv[]) {
  quarnel::MakeNoFoldersAtStart();
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Quarnel"));
  quarnel::KeepNoSettings();
  quarnel::MainFrm window;
  // A template named on the command line goes into the path box, ready for "go".
  const QStringList arguments = QApplication::arguments();
  if (arguments.size() > 1) window.SetTemplatePath(arguments.at(1));
  window.show();
  return QApplication::exec();
}
