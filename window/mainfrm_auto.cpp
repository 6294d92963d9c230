// The main window's Auto over many layers: every layer of the shown type, or every type.
#include <QMenu>
#include <QPushButton>

#include "window/mainfrm.h"

namespace quarnel {

void MainFrm::AddAutoMany() {
  auto_many_ = new QPushButton(QStringLiteral("Auto all"), content_);
  Name(auto_many_, "AutoMany", "Auto on many layers",
       "Auto on every layer of the shown type, or on every type of the template, as one step to "
       "undo");
  auto* menu = new QMenu(auto_many_);
  menu->setObjectName(QStringLiteral("AutoManyMenu"));
  for (const bool every_type : {false, true}) {
    menu->addAction(every_type ? QStringLiteral("every type of the template")
                               : QStringLiteral("every layer of this type"),
                    this, [this, every_type] { Call([&] { session_.AutoEvery(every_type); }); })
        ->setObjectName(every_type ? QStringLiteral("AutoEveryType")
                                   : QStringLiteral("AutoEveryLayer"));
  }
  auto_many_->setMenu(menu);
  setTabOrder(panel_button_, auto_many_);
}

}  // namespace quarnel
