#include "window/command_line.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QMetaObject>
#include <QPushButton>

#include "window/mainfrm.h"

namespace quarnel {
namespace {

constexpr int kUsage = 2;

const QStringList kTextOptions = {QStringLiteral("-h"), QStringLiteral("--help"),
                                  QStringLiteral("--help-all"), QStringLiteral("-v"),
                                  QStringLiteral("--version")};

CommandLine UsageError(const QString& what) {
  CommandLine wrong;
  wrong.exit_status = kUsage;
  wrong.error =
      QStringLiteral("quarnel: %1\nTry 'quarnel --help' for more information.\n").arg(what);
  return wrong;
}

}  // namespace

CommandLine ParseCommandLine(const QStringList& arguments) {
  QCommandLineParser parser;
  parser.setApplicationDescription(
      QStringLiteral("Shortens a tile map template by marking rectangles of tiles."));
  const QCommandLineOption help = parser.addHelpOption();
  const QCommandLineOption version = parser.addVersionOption();
  parser.addPositionalArgument(QStringLiteral("TEMPLATE"),
                               QStringLiteral("Template to open: its run starts at once."),
                               QStringLiteral("[TEMPLATE]"));
  if (!parser.parse(arguments)) return UsageError(parser.errorText());

  CommandLine asked;
  if (parser.isSet(help) || parser.isSet(QStringLiteral("help-all"))) {
    asked.exit_status = 0;
    asked.output = parser.helpText();
    return asked;
  }
  if (parser.isSet(version)) {
    asked.exit_status = 0;
    asked.output = QStringLiteral("quarnel " QUARNEL_VERSION "\n");
    return asked;
  }
  const QStringList templates = parser.positionalArguments();
  if (templates.size() > 1) {
    return UsageError(QStringLiteral("one template at most, not %1").arg(templates.size()));
  }
  if (!templates.isEmpty()) asked.template_path = templates.constFirst();
  return asked;
}

bool AsksOnlyForText(const QStringList& arguments) {
  for (qsizetype i = 1; i < arguments.size(); ++i) {
    if (arguments.at(i) == QStringLiteral("--")) return false;
    if (kTextOptions.contains(arguments.at(i))) return true;
  }
  return false;
}

void OpenTemplate(MainFrm& window, const QString& path) {
  window.SetTemplatePath(path);
  // Queued, so that a fault's message box shows over the window, not before it.
  if (auto* go = window.findChild<QPushButton*>(QStringLiteral("Command2"))) {
    QMetaObject::invokeMethod(go, &QAbstractButton::click, Qt::QueuedConnection);
  }
}

}  // namespace quarnel
