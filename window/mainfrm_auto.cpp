// The main window's Auto over many layers: every layer of the shown type, or every type.
#include <QMenu>
#include <QPushButton>
#include <string>
#include <vector>

#include "editor/auto_cover.h"
#include "editor/status.h"
#include "window/background_work.h"
#include "window/mainfrm.h"

namespace quarnel {

void MainFrm::AddAutoMany() {
  auto_many_ = new QPushButton(QStringLiteral("Auto all"), content_);
  Name(auto_many_, "AutoMany", "Auto on many layers",
       "Auto on every layer of the shown type, or on every type of the template, as one step to "
       "undo");
  auto* menu = new QMenu(auto_many_);
  menu->setObjectName(QStringLiteral("AutoManyMenu"));
  menu->addAction(QStringLiteral("every layer of this type"), this, [this] { AutoOnEvery(false); })
      ->setObjectName(QStringLiteral("AutoEveryLayer"));
  menu->addAction(QStringLiteral("every type of the template"), this, [this] { AutoOnEvery(true); })
      ->setObjectName(QStringLiteral("AutoEveryType"));
  auto_many_->setMenu(menu);
  setTabOrder(panel_button_, auto_many_);
}

void MainFrm::AutoOnEvery(bool every_type) {
  if (busy_) return;
  const Busy busy(busy_);
  Run([&] {
    if (const std::string refusal = AutoManyRefusal(program_); !refusal.empty())
      return Say(refusal);
    std::vector<std::string> keys;
    if (every_type) {
      for (const TypeRow& row : program_.types.rows) keys.emplace_back(program_.types.Key(row));
    }
    const std::string path = program_.read_path;
    const std::string box = OutputText();
    AutoProgress progress;
    AutoManyResult result;
    const bool done = BackgroundWork::Run(
        this,
        every_type ? QString::fromUtf8(kAutoEveryTypeWork) + QStringLiteral("...")
                   : QStringLiteral("Auto on every layer..."),
        progress, [&] {
          result = every_type ? AutoCoverTypes(path, keys, box, progress)
                              : AutoCoverLayers(program_, progress);
        });
    if (!done) result = Cancelled();
    Say(AutoManyStatus(result, every_type));
    if (!result.records.empty()) {
      history_.Add(AddAutoRecords(program_, result));
    }
  });
}

}  // namespace quarnel
