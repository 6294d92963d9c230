#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <string>

namespace quarnel {

class MainFrm;

// What quarnel's command line asks for.
struct CommandLine {
  std::optional<int> exit_status;  // set: print the texts below and end with this status
  QString output;                  // for standard output: help or version
  QString error;                   // for standard error: what is wrong with the arguments
  QString template_path;           // empty: start with an empty path box
};

// Reads [--help | --version | TEMPLATE] from the arguments as QCoreApplication::arguments() gives
// them (Qt's own options already taken out). Wrong usage ends with status 2.
CommandLine ParseCommandLine(const QStringList& arguments);

// True when the arguments ask only for help or the version, or are wrong: the answer needs no
// window system. An option of the window system's own needs it to start.
bool AsksOnlyForText(const QStringList& arguments);

// Puts the path into the path box and presses "go" once the event loop runs, as a drop does.
void OpenTemplate(MainFrm& window, const std::string& path);

}  // namespace quarnel
