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

// Options the window system reads and takes out of the arguments.
const QStringList kQtOptions = {QStringLiteral("platform"),
                                QStringLiteral("platformpluginpath"),
                                QStringLiteral("platformtheme"),
                                QStringLiteral("plugin"),
                                QStringLiteral("qwindowgeometry"),
                                QStringLiteral("qwindowicon"),
                                QStringLiteral("qwindowtitle"),
                                QStringLiteral("reverse"),
                                QStringLiteral("session"),
                                QStringLiteral("display"),
                                QStringLiteral("geometry"),
                                QStringLiteral("style"),
                                QStringLiteral("stylesheet"),
                                QStringLiteral("widgetcount"),
                                QStringLiteral("nograb"),
                                QStringLiteral("dograb"),
                                QStringLiteral("sync"),
                                QStringLiteral("name"),
                                QStringLiteral("title"),
                                QStringLiteral("visual"),
                                QStringLiteral("ncols"),
                                QStringLiteral("cmap"),
                                QStringLiteral("qmljsdebugger")};

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
    const QString& argument = arguments.at(i);
    if (argument == QStringLiteral("--")) break;
    if (kTextOptions.contains(argument)) return true;
    // An option of Qt's own is taken out by the window system, which must start to see it.
    QString name = argument;
    while (name.startsWith(QLatin1Char('-'))) name.remove(0, 1);
    if (argument.startsWith(QLatin1Char('-')) && kQtOptions.contains(name.section('=', 0, 0))) {
      return false;
    }
  }
  // Wrong usage is answered without one too.
  return ParseCommandLine(arguments).exit_status.has_value();
}

void OpenTemplate(MainFrm& window, const std::string& path) {
  window.SetTemplatePath(path);
  // Queued, so that a fault's message box shows over the window, not before it.
  if (auto* go = window.findChild<QPushButton*>(QStringLiteral("Command2"))) {
    QMetaObject::invokeMethod(go, &QAbstractButton::click, Qt::QueuedConnection);
  }
}

}  // namespace quarnel
