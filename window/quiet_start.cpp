#include "window/quiet_start.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>

namespace quarnel {
namespace {

QtMessageHandler previous_handler = nullptr;

void DropRuntimeFolderWarnings(QtMsgType type, const QMessageLogContext& context,
                               const QString& message) {
  if (message.startsWith(QLatin1String("QStandardPaths:")) &&
      message.contains(QLatin1String("runtime"))) {
    return;
  }
  if (previous_handler) previous_handler(type, context, message);
}

}  // namespace

void MakeNoFoldersAtStart() {
  if (!qEnvironmentVariableIsSet("XDG_RUNTIME_DIR")) {
    qputenv("TMPDIR", QByteArray("/dev/null"));
    previous_handler = qInstallMessageHandler(DropRuntimeFolderWarnings);
  }
  // An address no bus has: D-Bus then reports no session bus instead of launching one.
  if (!qEnvironmentVariableIsSet("DBUS_SESSION_BUS_ADDRESS")) {
    qputenv("DBUS_SESSION_BUS_ADDRESS", QByteArray("disabled:"));
  }
}

}  // namespace quarnel
