#include <QApplication>
#include <QString>
#include <QStringList>
#include <QTest>
#include <string>

#include "window/command_line.h"
#include "window/mainfrm.h"

using quarnel::CommandLine;

class CommandLineTest : public QObject {
  Q_OBJECT

 private slots:
  void parsesTheArguments_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exit");  // -1: the window starts
    QTest::addColumn<QString>("output");
    QTest::addColumn<QString>("error");
    QTest::addColumn<QString>("path");
    const QString no;
    QTest::newRow("nothing") << QStringList{} << -1 << no << no << no;
    QTest::newRow("a template") << QStringList{"maps/a.tmp"} << -1 << no << no << "maps/a.tmp";
    QTest::newRow("a template after --")
        << QStringList{"--", "-a.tmp"} << -1 << no << no << "-a.tmp";
    QTest::newRow("version") << QStringList{"--version"} << 0 << "quarnel " QUARNEL_VERSION "\n"
                             << no << no;
    QTest::newRow("help") << QStringList{"-h", "a.tmp"} << 0 << "[TEMPLATE]" << no << no;
    QTest::newRow("unknown option") << QStringList{"--fast"} << 2 << no << "'fast'" << no;
    QTest::newRow("two templates")
        << QStringList{"a.tmp", "b.tmp"} << 2 << no << "one template at most, not 2" << no;
  }

  void parsesTheArguments() {
    QFETCH(QStringList, arguments);
    QFETCH(int, exit);
    QFETCH(QString, output);
    QFETCH(QString, error);
    QFETCH(QString, path);
    arguments.prepend(QStringLiteral("quarnel"));
    const CommandLine asked = quarnel::ParseCommandLine(arguments);
    QCOMPARE(asked.exit_status.value_or(-1), exit);
    if (exit == 0 && output.endsWith('\n')) QCOMPARE(asked.output, output);
    QVERIFY2(asked.output.contains(output), qPrintable(asked.output));
    QVERIFY2(asked.error.contains(error), qPrintable(asked.error));
    if (exit == 2) QVERIFY(asked.error.startsWith(QStringLiteral("quarnel: ")));
    QCOMPARE(asked.template_path, path);
    // Help, the version and wrong usage go without a window system.
    QCOMPARE(quarnel::AsksOnlyForText(arguments), exit != -1);
  }

  void theWindowSystemsOptionsNeedIt() {
    QVERIFY(!quarnel::AsksOnlyForText({"quarnel", "-platform", "offscreen", "a.tmp"}));
    QVERIFY(!quarnel::AsksOnlyForText({"quarnel", "--style=fusion"}));
  }

  // A template named on the command line is loaded as soon as the window runs, as a drop is.
  void aTemplateStartsItsRun() {
    QStringList faults;
    quarnel::MainFrm window([&faults](QWidget*, const QString& message) { faults << message; });
    window.show();
    quarnel::OpenTemplate(window, QUARNEL_EXAMPLES_DIR "/castle.tmp");
    QTRY_COMPARE(window.Caption(), std::string("Castle Keep (ground, walls, towers)"));
    QVERIFY(faults.isEmpty());
  }
};

QTEST_MAIN(CommandLineTest)
#include "command_line_test.moc"
