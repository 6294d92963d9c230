#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "editor/another_template.h"
#include "editor/program.h"

class QWidget;

namespace quarnel {

// Saves the template that was read with the output box's records applied, the way
// `quarnel-shorten --apply` writes it, and knows whether the box's records are kept: saved since
// they last changed. A copy does not keep them: without a clipboard manager, the copy goes when
// the program ends.
class TemplateSaver : public QObject {
  Q_OBJECT

 public:
  struct Choice {
    QString path;
    bool shorten_rest = false;  // shorten the applied template as `quarnel-shorten -` would
  };
  // Asks where to save, offering `suggested`; nothing when cancelled.
  using SaveChooser =
      std::function<std::optional<Choice>(QWidget* parent, const QString& suggested)>;
  // Asks a question; the index of the answer chosen among `answers`, the last one on Escape.
  using Asker =
      std::function<int(QWidget* parent, const QString& question, const QStringList& answers)>;

  static std::optional<Choice> ChooseSavePath(QWidget* parent, const QString& suggested);
  static int AskBox(QWidget* parent, const QString& question, const QStringList& answers);

  TemplateSaver(QWidget* window, Program& program);

  // Tests answer for the user.
  void SetDialogs(SaveChooser choose, Asker ask);

  struct Outcome {
    bool saved = false;
    std::string said;  // for the status line: what was saved, or why nothing was
  };
  // Asks where, applies, checks and writes. Throws Fault when it refuses; nothing is written then.
  Outcome Save();
  // The box's text as it stands now counts as kept.
  void Kept();
  // Whether the box holds records that are not kept.
  bool HasUnsaved() const;
  // go on another template while the box holds records made for the one read: keep them for
  // it, start afresh, or stay with this one.
  AnotherTemplate AskBeforeAnotherTemplate(const std::string& path);
  // Whether the window may close: asks first when the box holds records that are not kept, and
  // saves when the user says so. Throws Fault when that saving fails.
  bool MayClose();

 private:
  // Asks before writing over an existing file; false when the user says no.
  // Throws Fault when the template changed on disk since it was read.
  void RequireUnchanged() const;
  bool MayWrite(const std::string& target, const std::string& template_path);
  // Whether records that add cells may be written; asks, naming them.
  bool MayAddCells(long long cells, const std::string& records, std::string_view text);

  QWidget* window_;
  Program& program_;
  SaveChooser choose_ = ChooseSavePath;
  Asker ask_ = AskBox;
  std::string kept_;
};

}  // namespace quarnel
