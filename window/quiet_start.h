#pragma once

namespace quarnel {

// Quarnel writes no file, but at start-up Qt makes a runtime folder in the temporary folder when
// XDG_RUNTIME_DIR is unset (only to look for a Flatpak marker in it), and D-Bus starts dbus-launch
// when no session bus is named. Call before the application is made: with XDG_RUNTIME_DIR unset,
// the temporary folder becomes /dev/null, where no folder can be made (Quarnel makes no temporary
// files), and Qt's warnings about it are kept off the terminal; with no session bus named, none is
// started. Settings are kept out separately, by KeepNoSettings.
void MakeNoFoldersAtStart();

}  // namespace quarnel
