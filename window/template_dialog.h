#pragma once

#include <QString>

class QFileDialog;
class QWidget;

namespace quarnel {

// Folder the file dialog opens in: that of the path in the path box, or the bundled examples when
// the box is empty or names no existing folder.
QString DialogStartFolder(const QString& path_box_text);

// Sets up the open dialog for templates: one filter, "Template Files (*.tmp)".
void ConfigureTemplateDialog(QFileDialog& dialog, const QString& start_folder);

// Quarnel keeps no settings, but Qt's file dialog saves its history in a settings file of its own.
// Points Qt's settings at a place where no file can be made. Call once, after the application.
void KeepNoSettings();

// Shows the open dialog and returns the chosen file, or an empty text when the user cancels.
QString ChooseTemplate(QWidget* parent, const QString& start_folder);

}  // namespace quarnel
