// The main window's Save button, and closing.
#include <QCloseEvent>
#include <QFile>
#include <QPushButton>
#include <QShortcut>

#include <utility>

#include "window/mainfrm.h"
#include "window/save_dialogs.h"

namespace quarnel {

void MainFrm::AddSaving() {
  save_ = new QPushButton(QStringLiteral("Save..."), content_);
  Name(save_, "Save", "Save",
       "Save the template with the records applied and the tile records they cover left out "
       "(Ctrl+S)");
  setTabOrder(auto_cover_, save_);
  connect(save_, &QPushButton::clicked, this, [this] {
    save_target_.reset();
    Call([this] { session_.Save(shorten_rest_); });
  });
  auto* save_keys = new QShortcut(QKeySequence::Save, this);
  connect(save_keys, &QShortcut::activated, this, [this] {
    save_target_.reset();
    Call([this] { session_.Key("Save", "s", false); });
  });
}

void MainFrm::closeEvent(QCloseEvent* event) {
  close_when_ended_ = false;
  Call([this] { session_.Close(); });
  if (session_.Ended()) return event->accept();
  event->ignore();
  // "Save..." with a save still running: the window closes once it is written.
  close_when_ended_ = session_.Working();
}

void MainFrm::WriteOffered() {
  if (save_target_) return session_.WriteTo(*std::exchange(save_target_, std::nullopt));
  const std::string offered = session_.SuggestedPath();
  const std::optional<SaveChoice> choice =
      choose_target_(this, QFile::decodeName(QByteArray::fromStdString(offered)), shorten_rest_);
  if (!choice || choice->path.isEmpty()) return session_.Offered(false, "", "");
  const std::string target = ChosenBytes(choice->path, offered);
  if (choice->shorten_rest == shorten_rest_) return session_.WriteTo(target);
  // The dialog's checkbox changed what is to be written: made again, then written there.
  shorten_rest_ = choice->shorten_rest;
  save_target_ = target;
  if (shorten_rest_) return session_.ShortenOffered();
  session_.SetShortenRest(shorten_rest_);
  session_.Offered(false, "", "");
  session_.Save(shorten_rest_);
}

}  // namespace quarnel
