// The main window: opening, saving and closing.
#include "tests/window/mainfrm_fixture.h"

namespace quarnel {

class SavingTest : public MainFrmFixture {
  Q_OBJECT

 private slots:
  void browseFillsThePathBox() {
    const QString examples = QStringLiteral(QUARNEL_EXAMPLES_DIR);
    chosen_file_ = examples + QStringLiteral("/castle.tmp");
    Click("Command1");
    QCOMPARE(dialog_start_, examples);
    QCOMPARE(PathBox()->text(), chosen_file_);

    const QString other = WriteTemplate("other.tmp", "a\r\nb\r\n");
    PathBox()->setText(other);
    chosen_file_.clear();  // cancelled
    Click("Command1");
    QCOMPARE(dialog_start_, folder_.path());
    QCOMPARE(PathBox()->text(), other);
  }

  void theDialogOffersTemplates() {
    QFileDialog dialog;
    ConfigureTemplateDialog(dialog, DialogStartFolder({}));
    QCOMPARE(dialog.objectName(), QStringLiteral("CommonDialog1"));
    QCOMPARE(dialog.nameFilters(), QStringList{QStringLiteral("Template Files (*.tmp)")});
    QCOMPARE(dialog.fileMode(), QFileDialog::ExistingFile);
    QCOMPARE(dialog.directory().absolutePath(), QStringLiteral(QUARNEL_EXAMPLES_DIR));
    QCOMPARE(DialogStartFolder(folder_.filePath(QStringLiteral("x/y.tmp"))),
             QStringLiteral(QUARNEL_EXAMPLES_DIR));
  }

  // Saving writes what the command writes, through the same code.
  void savingWritesWhatTheCommandWrites() {
    const QString castle = folder_.filePath(QStringLiteral("castle.tmp"));
    QVERIFY(QFile::copy(QStringLiteral(QUARNEL_EXAMPLES_DIR "/castle.tmp"), castle));
    PathBox()->setText(castle);
    Click("Command2");
    Output()->setPlainText(QString::fromLatin1(ReadFile(QStringLiteral(QUARNEL_RECORDS))));
    const QString records = QStringLiteral(QUARNEL_RECORDS);
    const QByteArray applied = Shorten({QStringLiteral("--apply"), records, castle});
    QVERIFY(!applied.isEmpty());
    const struct {
      const char* name;
      bool shorten_rest;
      QByteArray expected;
    } cases[] = {
        {"applied.tmp", false, applied},
        // Shortened with the records, castle takes 23 lines; alone, 21: never more than alone.
        {"short.tmp", true, Shorten({castle})},
    };
    QCOMPARE(Shorten({QStringLiteral("-")}, applied).count('\n'), 23);
    for (const auto& c : cases) {
      const QString target = folder_.filePath(QString::fromLatin1(c.name));
      AnswerSaving(target, c.shorten_rest, 0);
      QTest::keyClick(window_.get(), Qt::Key_S, Qt::ControlModifier);
      QVERIFY2(faults_.isEmpty(), qPrintable(faults_.join(QLatin1Char('\n'))));
      QCOMPARE(ReadFile(target), c.expected);
      const QString lines = QStringLiteral("612 lines → %1 lines").arg(c.expected.count('\n'));
      QVERIFY2(window_->StatusText().contains(lines), qPrintable(window_->StatusText()));
      QVERIFY(window_->StatusText().contains(QStringLiteral("checked: same tiles")));
    }
    QCOMPARE(suggested_, folder_.filePath(QStringLiteral("castle-short.tmp")));
    QVERIFY(questions_.isEmpty());
  }

  void goAndSaveReportBadLinesBeforeAnythingIsAsked() {
    Go("Map\r\n\r\n7 3 4 6 0\r\n8 1 99 0 0\r\n");
    QCOMPARE(faults_.size(), 1);
    QVERIFY2(faults_.constFirst().contains(QStringLiteral("line 4: x (the 3rd field) \"99\"")),
             qPrintable(faults_.constFirst()));
    QVERIFY(window_->program().curtype.empty());  // the run did not start
    Go("Map\r\n\r\n7 3 4 6 0\r\n");
    Output()->setPlainText(QStringLiteral("TILEW 7 3 1 1 3 3 0\nTILEW 7 3 1 x 3 3 0\n"));
    bool asked = false;
    window_->SetDialogs(
        [&asked](QWidget*, const QString&, bool) {
          asked = true;
          return std::optional<MainFrm::SaveChoice>();
        },
        {});
    Click("Save");
    QVERIFY(!asked);
    QCOMPARE(faults_.size(), 2);
    QVERIFY2(faults_.last().contains(QStringLiteral("the output box, line 2")),
             qPrintable(faults_.last()));
  }

  void savingRefusesAChangedTemplateAndAsksBeforeOverwritingOrAddingCells() {
    Go("Map\r\n\r\n7 3 4 6 0\r\n7 3 5 6 0\r\n");
    const QString map = PathBox()->text();
    const QByteArray original = ReadFile(map);
    // Over the open template: asked, and "Cancel" writes nothing.
    Press(Qt::LeftButton, 4, 6);
    Press(Qt::RightButton, 5, 6);
    AnswerSaving(map, false, 1);
    Click("Save");
    QCOMPARE(questions_.size(), 1);
    QVERIFY(questions_.at(0).contains(QStringLiteral("template you are shortening")));
    QCOMPARE(ReadFile(map), original);
    // A record that adds cells is named, and saved only when the user says so.
    const QString target = folder_.filePath(QStringLiteral("out.tmp"));
    Output()->setPlainText(QStringLiteral("TILEW 7 3 1 3 3 3 0\n"));
    AnswerSaving(target, false, 1);
    Click("Save");
    QCOMPARE(questions_.size(), 2);
    QVERIFY(questions_.at(1).contains(QStringLiteral("add 1 cells")));
    QVERIFY(questions_.at(1).contains(QStringLiteral("(6, 6, 0)")));
    QVERIFY(!QFile::exists(target));
    // Changed on disk since it was read: refused.
    WriteTemplate("map.tmp", "Map\r\n\r\n7 3 4 6 0\r\n");
    Click("Save");
    QCOMPARE(faults_.size(), 1);
    QVERIFY(faults_.at(0).contains(QStringLiteral("changed on disk")));
    QVERIFY(!QFile::exists(target));
  }

  // Changed while the save dialog was open: refused, and nothing written.
  void savingRefusesATemplateChangedWhileChoosingWhere() {
    Go("Map\r\n\r\n7 3 4 6 0\r\n7 3 5 6 0\r\n");
    Press(Qt::LeftButton, 4, 6);
    Press(Qt::RightButton, 5, 6);
    const QString target = folder_.filePath(QStringLiteral("out.tmp"));
    window_->SetDialogs(
        [this, target](QWidget*, const QString&, bool) {
          WriteTemplate("map.tmp", "Map\r\n\r\n7 3 4 6 0\r\n");
          return std::optional<MainFrm::SaveChoice>({target, false});
        },
        [](QWidget*, const QString&, const QStringList&) { return 0; });
    Click("Save");
    QCOMPARE(faults_.size(), 1);
    QVERIFY(faults_.at(0).contains(QStringLiteral("changed on disk")));
    QVERIFY(!QFile::exists(target));
  }

  void savingTwiceOverTheOpenTemplateWritesEachRecordOnce() {
    Go("Map\r\n\r\n7 3 4 6 0\r\n7 3 5 6 0\r\n7 3 9 9 0\r\n");
    const QString map = PathBox()->text();
    Press(Qt::LeftButton, 4, 6);
    Press(Qt::RightButton, 5, 6);
    AnswerSaving(map, false, 0);  // "Overwrite"
    Click("Save");
    QCOMPARE(ReadFile(map), QByteArray("Map\r\n\r\nTILEW 7 3 1 2 3 3 0\r\n7 3 9 9 0\r\n"));
    // Saved over, the template counts as read: the next save needs no go.
    Press(Qt::LeftButton, 9, 9);
    Press(Qt::RightButton, 9, 9);
    Click("Save");
    const QByteArray both("Map\r\n\r\nTILEW 7 3 1 2 3 3 0\r\nTILEW 7 3 6 6 6 6 0\r\n");
    QCOMPARE(ReadFile(map), both);
    QVERIFY(Says("1 record was in the template already"));
    // go on a template of rectangle records only, changed on disk, still lets the box be saved.
    const QByteArray first("Map\r\n\r\nTILEW 7 3 1 2 3 3 0\r\n");
    std::ofstream(map.toStdString(), std::ios::binary) << first.toStdString();
    Click("Command2");
    Click("Save");
    QVERIFY2(faults_.isEmpty(), qPrintable(faults_.join(QLatin1Char('\n'))));
    QCOMPARE(ReadFile(map), both);  // the second record's cell is new there: asked, and said yes
    QVERIFY(Says("1 record was in the template already"));
  }

  void closingWithUnsavedRecordsAsksAndTheCaptionShowsThem() {
    Go("Map\r\n\r\n7 3 4 6 0\r\n");
    AnswerSaving({}, false, 2);
    QVERIFY(!window_->isWindowModified());
    QVERIFY(window_->close());  // nothing collected yet
    window_->show();
    Press(Qt::LeftButton, 4, 6);
    Press(Qt::RightButton, 4, 6);
    QVERIFY(window_->isWindowModified());
    QVERIFY(!window_->close());  // "Cancel"
    QCOMPARE(questions_.size(), 1);
    QVERIFY2(questions_.last().contains(QStringLiteral("-short.tmp")),
             qPrintable(questions_.last()));
    QVERIFY(window_->isVisible());
    // A copy of the whole box keeps nothing: the copy goes with the program.
    Output()->selectAll();
    Output()->copy();
    QVERIFY(!window_->close());
    AnswerSaving({}, false, 1);  // "Discard"
    QVERIFY(window_->close());
    QCOMPARE(questions_.size(), 3);
    // "Save...": saved, then closed.
    window_->show();
    Press(Qt::LeftButton, 4, 6);
    Press(Qt::RightButton, 4, 6);
    const QString saved = folder_.filePath(QStringLiteral("closing.tmp"));
    AnswerSaving(saved, false, 0);
    QVERIFY(window_->close());
    QVERIFY(QFile::exists(saved));
  }

  void cancellingASaveSaysNothingWasSaved() {
    Go("Map\r\n\r\n7 3 4 6 0\r\n");
    Press(Qt::LeftButton, 4, 6);
    Press(Qt::RightButton, 4, 6);
    window_->SetDialogs(
        [](QWidget*, const QString&, bool) { return std::optional<MainFrm::SaveChoice>(); },
        [](QWidget*, const QString&, const QStringList&) { return 1; });
    Click("Save");
    QVERIFY(Says("nothing was saved"));
    QVERIFY(window_->isWindowModified());
  }

  void goOnAnotherTemplateAsksWhatBecomesOfTheRecords() {
    Go("Map\r\n\r\n7 3 4 6 0\r\n");
    Press(Qt::LeftButton, 4, 6);
    Press(Qt::RightButton, 4, 6);
    const QString map = PathBox()->text();
    const QString other = WriteTemplate("other.tmp", "Other\r\n\r\n8 1 1 1 0\r\n");
    for (const int answer : {2, 0, 1}) {  // Cancel, Keep them, Start afresh
      AnswerSaving({}, false, answer);
      window_->SetTemplatePath(other);
      Click("Command2");
      QCOMPARE(window_->program().curtype, std::string(answer == 2 ? "7 3" : "8 1"));
      QCOMPARE(Output()->Text().empty(), answer == 1);
      if (answer == 0) {  // back to the first, where the records stay unsaved
        window_->SetTemplatePath(map);
        Click("Command2");
      }
    }
    QCOMPARE(questions_.size(), 4);  // going back asks too
  }

  // A template go refuses is refused before any question, and the box keeps its records and their
  // undo; records saved for one template are not carried to another unasked.
  void goLosesNothingOnARefusedTemplateOrASavedBox() {
    Go("Map\r\n\r\n7 3 4 6 0\r\n");
    Press(Qt::LeftButton, 4, 6);
    Press(Qt::RightButton, 4, 6);
    const std::string marked = window_->OutputText();
    AnswerSaving(folder_.filePath(QStringLiteral("saved.tmp")), false, 1);  // Start afresh
    window_->SetTemplatePath(WriteTemplate("bad.tmp", "Bad\r\n\r\n8 1 99 0 0\r\n"));
    Click("Command2");
    QCOMPARE(faults_.size(), 1);
    QVERIFY(questions_.isEmpty());
    QCOMPARE(window_->OutputText(), marked);
    QVERIFY(window_->isWindowModified());

    Click("Save");  // the template read, whatever the path box says
    QVERIFY(Says("saved "));
    QVERIFY(!window_->isWindowModified());
    AnswerSaving({}, false, 2);  // Cancel
    window_->SetTemplatePath(WriteTemplate("other.tmp", "Other\r\n\r\n8 1 1 1 0\r\n"));
    Click("Command2");
    QCOMPARE(questions_.size(), 1);
    QVERIFY2(questions_.constFirst().contains(QStringLiteral("made for ") +
                                              folder_.filePath(QStringLiteral("map.tmp")) +
                                              QStringLiteral(", saved")),
             qPrintable(questions_.constFirst()));
    QCOMPARE(window_->program().curtype, std::string("7 3"));
    Key(Qt::Key_Z, Qt::ControlModifier);  // the mark's undo survived the refused template
    QVERIFY(window_->OutputText().empty());
  }

  // A disk that is full or read-only: the save says why, the file stays as it was, nothing is left
  // beside it, and the records count as unsaved. Run by full_disk.sh on real file systems.
  void aFullOrReadOnlyDiskKeepsTheTemplate() {
    const QString castle = QStringLiteral(QUARNEL_EXAMPLES_DIR "/castle.tmp");
    int tried = 0;
    for (const auto& [variable, reason] :
         {std::pair{"QUARNEL_FULL_FS", "No space left on device"},
          std::pair{"QUARNEL_READONLY_FS", "Read-only file system"}}) {
      const QString folder = qEnvironmentVariable(variable);
      if (folder.isEmpty()) continue;
      ++tried;
      const QString keep = folder + QStringLiteral("/keep.tmp");
      const QStringList before = QDir(folder).entryList(QDir::Files | QDir::Hidden);
      PathBox()->setText(keep);
      Click("Command2");
      Click("AutoCover");
      for (const QString& target : {keep, folder + QStringLiteral("/new.tmp")}) {
        faults_.clear();
        AnswerSaving(target, false, 0);  // Overwrite
        Click("Save");
        QCOMPARE(faults_.size(), 1);
        QVERIFY2(faults_.constFirst().contains(QLatin1String(reason)) &&
                     faults_.constFirst().contains(QStringLiteral("nothing was saved")),
                 qPrintable(faults_.constFirst()));
        QVERIFY(!Says("saved "));
        QVERIFY(window_->isWindowModified());
        QCOMPARE(ReadFile(keep), ReadFile(castle));
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), before);
      }
    }
    if (tried == 0) QSKIP("no full or read-only file system given (full_disk.sh gives them)");
  }

  void aPathFromHomeStartsWithATilde() {
    const QString home = qEnvironmentVariable("HOME");
    qputenv("HOME", folder_.path().toUtf8());
    WriteTemplate("castle.tmp", "Castle\r\n\r\n7 3 1 1 0\r\n");
    PathBox()->setText(QStringLiteral("~/castle.tmp"));
    Click("Command2");
    qputenv("HOME", home.toUtf8());
    QVERIFY(faults_.isEmpty());
    QCOMPARE(window_->Caption(), std::string("Castle"));
  }

  void aDroppedTemplateIsLoaded() {
    const QString path = WriteTemplate("dropped.tmp", "Dropped\r\n\r\n7 3 1 1 0\r\n");
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(path)});
    for (const char* target : {"Picture1", "thefile"}) {
      PathBox()->clear();
      auto* widget = Find<QWidget>(target);
      QDragEnterEvent enter(QPoint(4, 4), Qt::CopyAction, &data, Qt::LeftButton, {});
      QApplication::sendEvent(widget, &enter);
      QVERIFY2(enter.isAccepted(), target);
      QDropEvent drop(QPointF(4, 4), Qt::CopyAction, &data, Qt::LeftButton, {});
      QApplication::sendEvent(widget, &drop);
      QCOMPARE(PathBox()->text(), path);
      QCOMPARE(window_->Caption(), std::string("Dropped"));
    }
  }

  // A name that is not UTF-8 is opened by its bytes, given or dropped, and named with \xFF.
  void aNameThatIsNotUtf8IsOpenedAndNamedByItsBytes() {
    const std::string folder = QFile::encodeName(folder_.path()).toStdString();
    const std::string found = folder + "/caf\xff.tmp";
    std::ofstream(found, std::ios::binary) << "Bytes\r\n\r\n7 3 1 1 0\r\n";
    window_->SetTemplatePath(found);
    Click("Command2");
    QVERIFY(faults_.isEmpty());
    QCOMPARE(window_->Caption(), std::string("Bytes"));
    QCOMPARE(window_->program().read_path, found);
    // Saved under the name offered, the shorter template keeps those bytes, and says them so.
    Press(Qt::LeftButton, 1, 1);
    Press(Qt::RightButton, 1, 1);
    window_->SetDialogs(
        [](QWidget*, const QString& offered, bool) {
          return std::optional<MainFrm::SaveChoice>({offered, false});
        },
        [](QWidget*, const QString&, const QStringList&) { return 0; });
    Click("Save");
    QVERIFY(std::filesystem::exists(folder + "/caf\xff-short.tmp"));
    QVERIFY2(Says("caf\\xFF-short.tmp: 3 lines"), qPrintable(window_->StatusText()));

    QMimeData data;
    data.setUrls(
        {QUrl(QStringLiteral("file://") +
              QString::fromLatin1(
                  QByteArray::fromStdString(folder + "/gone\xff.tmp").toPercentEncoding("/")))});
    QDragEnterEvent enter(QPoint(4, 4), Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(Picture(), &enter);
    QDropEvent drop(QPointF(4, 4), Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(Picture(), &drop);
    QCOMPARE(faults_.size(), 1);
    QVERIFY2(faults_.last().contains(QStringLiteral("gone\\xFF.tmp")), qPrintable(faults_.last()));
    QCOMPARE(window_->Caption(), std::string("Bytes"));
  }

  // Long work runs in slices between the window's events: its dialog says how far it has got,
  // other controls are refused meanwhile, and Cancel leaves the box and its undo as they were.
  void longWorkShowsItsProgressAndCancelLeavesAllAsItWas() {
    std::string map = "Map\r\n\r\n";
    for (int type = 1; type <= 400; ++type) map += std::to_string(type) + " 1 1 1 0\r\n";
    Go(map);
    Press(Qt::LeftButton, 1, 1);
    Press(Qt::RightButton, 1, 1);
    const std::string marked = window_->OutputText();
    window_->SetWorkPacing(0, 0);  // a part at a time, the dialog at once
    Find<QAction>("AutoEveryType")->trigger();
    auto* dialog = Find<QProgressDialog>("BusyDialog");
    QVERIFY(dialog->isVisible());
    QCOMPARE(dialog->maximum(), 400);
    QVERIFY(dialog->value() < 400);
    QVERIFY2(dialog->labelText().contains(QStringLiteral(" of 400")),
             qPrintable(dialog->labelText()));
    Find<QPushButton>("NextTile")->click();
    QVERIFY(Says("is running: nothing else is done"));
    QTest::mouseClick(dialog->findChild<QPushButton*>(), Qt::LeftButton);
    QVERIFY(!dialog->isVisible());
    QCOMPARE(window_->OutputText(), marked);
    QCOMPARE(window_->program().curtype, std::string("1 1"));
    Key(Qt::Key_Z, Qt::ControlModifier);  // the undo history is as it was: the mark goes
    QVERIFY(window_->OutputText().empty());
  }

  // A whole use of the tool, with the real file dialog, reads the template and writes nothing.
  void aWholeUseWritesNothing() {
    const QString path = WriteTemplate("castle.tmp",
                                       "Map\r\n\r\n7 3 4 6 0\r\n7 3 5 6 0\r\n"
                                       "7 3 5 7 4\r\n8 1 1 1 0\r\n");
    window_ = std::make_unique<MainFrm>([this](QWidget*, const QString& m) { faults_ << m; });
    window_->show();
    QVERIFY(QTest::qWaitForWindowExposed(window_.get()));

    FileWatch watch;
    QVERIFY(watch.Add(path, IN_CLOSE_WRITE | IN_CLOSE_NOWRITE | IN_MODIFY));
    for (const QString& folder :
         {folder_.path(), QStringLiteral(QUARNEL_EXAMPLES_DIR), QDir::currentPath(),
          QDir::homePath(), QDir::homePath() + QStringLiteral("/.config")}) {
      watch.Add(folder, IN_CREATE | IN_MOVED_TO | IN_CLOSE_WRITE);
    }

    PathBox()->setText(path);
    QTimer accept_dialog;  // once the dialog is up, choose the template in it
    connect(&accept_dialog, &QTimer::timeout, this, [&path] {
      auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      if (!dialog || !dialog->isVisible()) return;
      // Type the path into the dialog's file name box, as a user would.
      auto* name_box = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
      if (!name_box) return;
      name_box->setText(path);
      QMetaObject::invokeMethod(dialog, "accept");
    });
    accept_dialog.start(50);
    PathBox()->clear();
    Click("Command1");
    accept_dialog.stop();
    QCOMPARE(PathBox()->text(), path);
    Click("Command2");
    Press(Qt::LeftButton, 4, 6);
    Press(Qt::RightButton, 5, 6);
    QTest::mouseClick(Spinner(), Qt::LeftButton, {}, QPoint(8, 3));
    QCOMPARE(Spinner()->value(), 4);
    Click("NextTile");
    Click("NextTile");
    QCOMPARE(window_->OutputText(), std::string("TILEW 7 3 1 2 3 3 0\r\n"));
    QVERIFY(faults_.isEmpty());
    window_.reset();

    const auto events = watch.Read();
    QVERIFY2(events.contains(IN_CLOSE_NOWRITE), "the template was never read");
    QVERIFY2(!events.contains(IN_CLOSE_WRITE), "a file was opened for writing");
    QVERIFY2(!events.contains(IN_MODIFY), "the template was changed");
    QVERIFY2(!events.contains(IN_CREATE) && !events.contains(IN_MOVED_TO), "a file was made");
  }
};

QObject* MakeSavingTest() {
  return new SavingTest;
}

}  // namespace quarnel

#include "saving_test.moc"
