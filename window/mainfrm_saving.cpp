// The main window's Save button, and the questions before its records could be lost.
#include <QCloseEvent>
#include <QPushButton>
#include <QShortcut>

#include "editor/another_template.h"
#include "editor/steps.h"
#include "model/fault.h"
#include "window/mainfrm.h"
#include "window/template_saver.h"

namespace quarnel {

void MainFrm::AddSaving() {
  save_ = new QPushButton(QStringLiteral("Save..."), content_);
  Name(save_, "Save", "Save",
       "Save the template with the records applied and the tile records they cover left out "
       "(Ctrl+S)");
  saver_ = new TemplateSaver(this, program_);
  setTabOrder(auto_cover_, save_);
  connect(save_, &QPushButton::clicked, this, &MainFrm::Save);
  auto* save_keys = new QShortcut(QKeySequence::Save, this);
  connect(save_keys, &QShortcut::activated, this, &MainFrm::Save);
}

void MainFrm::Save() {
  if (busy_) return;
  const Busy busy(busy_);
  Run([this] {
    Say(saver_->Save().said);
    setWindowModified(saver_->HasUnsaved());
  });
}

void MainFrm::Go() {
  Run([this] {
    const std::string path = TemplatePath();
    bool afresh = false;
    if (RecordsMadeForAnother(program_, path, OutputText())) {
      // A template go refuses is refused before the question: nothing is asked in vain.
      RequireStartable(path);
      switch (saver_->AskBeforeAnotherTemplate(path)) {
        case AnotherTemplate::kStay:
          return Say(StayedWith(program_));
        case AnotherTemplate::kAfresh:
          afresh = true;
          break;
        case AnotherTemplate::kKeep:
          break;
      }
    }
    StartTiles(program_);
    // Only once the new run stands: a refused template leaves the box and its history alone.
    if (afresh) {
      history_.Clear();
      SetOutputText("");
    }
  });
}

void MainFrm::closeEvent(QCloseEvent* event) {
  // Not while a save or an Auto runs: its dialog says how far it is and takes Cancel.
  bool may_close = false;
  if (!busy_) Run([&] { may_close = saver_->MayClose(); });
  if (may_close) {
    event->accept();
  } else {
    event->ignore();
  }
}

}  // namespace quarnel
