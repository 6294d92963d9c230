#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <string>

#include "window/mainfrm.h"

class QWidget;

namespace quarnel {

// The save dialog: where to save the shorter template, offering `suggested`, with the checkbox
// "shorten the rest automatically"; nothing when cancelled. It asks nothing about a file already
// there: the session does, naming the template.
std::optional<MainFrm::SaveChoice> ChooseSaveTarget(QWidget* parent, const QString& suggested,
                                                    bool shorten_rest);

// The bytes of the path the dialog chose. The dialog knows names only as text, which cannot hold
// bytes that are not UTF-8: where the choice is the offered name, or a name in the offered
// folder, those bytes are the offered ones.
std::string ChosenBytes(const QString& chosen, const std::string& offered);

// Asks one of the session's questions; the index of the answer chosen, the last one on Escape.
int AskBox(QWidget* parent, const QString& question, const QStringList& answers);

}  // namespace quarnel
