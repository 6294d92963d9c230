#include "window/template_saver.h"

#include <QCheckBox>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QMessageBox>
#include <QPushButton>
#include <filesystem>
#include <system_error>

#include "editor/auto_cover.h"
#include "editor/save_checks.h"
#include "editor/status.h"
#include "model/fault.h"
#include "model/file_stamp.h"
#include "model/platform.h"
#include "model/template_file.h"
#include "shorten/apply_to_template.h"
#include "shorten/short_name.h"
#include "window/background_work.h"

namespace quarnel {
namespace {

constexpr const char* kRecordsName = "the output box";

// A question's answers, as the layers below word them.
template <std::size_t N>
QStringList Answers(const char* const (&answers)[N]) {
  QStringList list;
  for (const char* answer : answers) list << QString::fromUtf8(answer);
  return list;
}

QString Native(const std::string& path) {
  return QFile::decodeName(QByteArray::fromStdString(path));
}

// Whether `target` names the template at `template_path`, by whatever path.
bool SameFile(const std::string& target, const std::string& template_path) {
  std::error_code error;
  return std::filesystem::equivalent(platform::PathOf(target), platform::PathOf(template_path),
                                     error);
}

// The bytes of the path the dialog chose. The dialog knows names only as text, which cannot hold
// bytes that are not UTF-8: where the choice is the offered name, or a name in the offered
// folder, those bytes are the offered ones.
std::string ChosenBytes(const QString& chosen, const std::string& offered) {
  if (chosen == Native(offered)) return offered;
  const std::size_t slash = offered.rfind('/');
  const QFileInfo info(chosen);
  if (slash != std::string::npos && info.path() == Native(offered.substr(0, slash))) {
    return offered.substr(0, slash + 1) + QFile::encodeName(info.fileName()).toStdString();
  }
  return QFile::encodeName(chosen).toStdString();
}

// Every byte on the disk, or the old file as it was: a save is reported only once the former holds.
void Write(const std::string& target, std::string_view text) {
  const std::string why = platform::ReplaceFile(target, text);
  if (!why.empty()) throw Fault({target}, CannotBeWritten(why));
}

}  // namespace

std::optional<TemplateSaver::Choice> TemplateSaver::ChooseSavePath(QWidget* parent,
                                                                   const QString& suggested) {
  QFileDialog dialog(parent, QStringLiteral("Save the Shorter Template"));
  dialog.setObjectName(QStringLiteral("SaveDialog"));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setNameFilter(QStringLiteral("Template Files (*.tmp)"));
  dialog.setDefaultSuffix(QStringLiteral("tmp"));
  // The question about an existing file comes afterwards, and names the open template.
  dialog.setOptions(QFileDialog::DontUseNativeDialog | QFileDialog::DontConfirmOverwrite);
  dialog.selectFile(suggested);
  auto* rest = new QCheckBox(QStringLiteral("shorten the rest automatically"), &dialog);
  rest->setObjectName(QStringLiteral("ShortenRest"));
  rest->setToolTip(
      QStringLiteral("Merge the tile records no record covers into rectangle "
                     "records too, as quarnel-shorten does"));
  rest->setAccessibleName(rest->text());
  rest->setAccessibleDescription(rest->toolTip());
  if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout())) {
    grid->addWidget(rest, grid->rowCount(), 0, 1, -1);
  }
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return Choice{dialog.selectedFiles().constFirst(), rest->isChecked()};
}

int TemplateSaver::AskBox(QWidget* parent, const QString& question, const QStringList& answers) {
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

TemplateSaver::TemplateSaver(QWidget* window, Program& program)
    : QObject(window), window_(window), program_(program) {
  setObjectName(QStringLiteral("saver"));
}

void TemplateSaver::SetDialogs(SaveChooser choose, Asker ask) {
  choose_ = std::move(choose);
  ask_ = std::move(ask);
}

void TemplateSaver::Kept() {
  kept_ = program_.window.OutputText();
}

bool TemplateSaver::HasUnsaved() const {
  const std::string& text = program_.window.OutputText();
  return text != kept_ && text.find("TILEW") != std::string::npos;
}

AnotherTemplate TemplateSaver::AskBeforeAnotherTemplate(const std::string& path) {
  const QStringList answers = Answers(kAnotherTemplateAnswers);
  return AnotherTemplateAnswer(
      ask_(window_, QString::fromStdString(AnotherTemplateQuestion(program_, path, HasUnsaved())),
           answers));
}

bool TemplateSaver::MayClose() {
  if (!HasUnsaved()) return true;
  const std::string suggested =
      program_.read_path.empty()
          ? std::string()
          : platform::PathOf(ShortName(program_.read_path)).filename().string();
  const int answer =
      ask_(window_, QString::fromStdString(CloseQuestion(suggested)), Answers(kCloseAnswers));
  if (answer == 1) return true;
  return answer == 0 && Save().saved;
}

void TemplateSaver::RequireUnchanged() const {
  RequireSavable(program_);
}

bool TemplateSaver::MayWrite(const std::string& target, const std::string& template_path) {
  std::error_code error;
  if (!std::filesystem::exists(platform::PathOf(target), error)) return true;
  const std::string question = OverwriteQuestion(target, SameFile(target, template_path));
  return ask_(window_, QString::fromStdString(question), Answers(kOverwriteAnswers)) == 0;
}

bool TemplateSaver::MayAddCells(long long cells, const std::string& records,
                                std::string_view text) {
  const QString question = QString::fromStdString(
      NewCellsQuestion(kRecordsName, records, program_.read_path, text, cells));
  return ask_(window_, question, Answers(kNewCellsAnswers)) == 0;
}

TemplateSaver::Outcome TemplateSaver::Save() {
  const std::string& path = program_.read_path;
  // Before any question, and again after them: the dialogs take time.
  RequireUnchanged();
  AutoProgress checking;
  const std::string box = program_.window.OutputText();
  if (!BackgroundWork::Run(window_, QStringLiteral("Checking the records..."), checking,
                           [&] { CheckRecords(kRecordsName, box); })) {
    return {false, NothingSaved(SaveStopped::kCancelled)};
  }
  const std::string offered = ShortName(path);
  const std::optional<Choice> choice = choose_(window_, Native(offered));
  if (!choice || choice->path.isEmpty()) return {false, NothingSaved(SaveStopped::kNoFile)};
  const std::string target = ChosenBytes(choice->path, offered);
  if (!MayWrite(target, path)) return {false, NothingSaved(SaveStopped::kTargetKept, target)};
  RequireUnchanged();
  const std::string records = program_.window.OutputText();
  // Reading, applying, shortening and checking a large template takes seconds: off the window's
  // thread, with Cancel.
  LargeText text;
  std::optional<AppliedTemplate> result;
  AutoProgress progress;
  if (!BackgroundWork::Run(
          window_, QString::fromUtf8(kSaveWork) + QStringLiteral("..."), progress, [&] {
            text = TemplateFile::ReadAll(path);
            result = ApplyToTemplate(kRecordsName, records, path, text, true, choice->shorten_rest);
          })) {
    return {false, NothingSaved(SaveStopped::kCancelled)};
  }
  if (result->applied.new_cells > 0 && !MayAddCells(result->applied.new_cells, records, text)) {
    return {false, NothingSaved(SaveStopped::kNoNewCells)};
  }
  BackgroundWork::Run(window_, QStringLiteral("Writing the shorter template..."), progress,
                      [&] { Write(target, result->text); });
  // Written over the open template, it holds the tiles Quarnel read, so it counts as read again.
  if (SameFile(target, path)) program_.read_stamp = StampOf(path);
  if (program_.window.OutputText() == records) Kept();
  const std::string said = SavedSummary(target, *result);
  return {true, said};
}

}  // namespace quarnel
