// quarnel.exe: the window, started on the template its command line names, if any.
#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>

#include <string>

#include "win32/main_window.h"
#include "win32/text.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int show) {
  const INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES |
                                                           ICC_UPDOWN_CLASS | ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&controls);
  quarnel::MainWindow window;
  if (!window.Handle()) return 1;
  ShowWindow(window.Handle(), show);
  UpdateWindow(window.Handle());

  int count = 0;
  if (wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count)) {
    if (count > 1) window.Open(quarnel::Utf8(arguments[1]));
    LocalFree(arguments);
  }

  // Every waiting message first, input and painting included; long work only in between.
  MSG message;
  for (;;) {
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) return static_cast<int>(message.wParam);
      if (window.TakeKey(message)) continue;
      if (!IsDialogMessageW(window.Handle(), &message)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
      }
      window.AfterMessage(message);
    }
    if (!window.Work()) WaitMessage();
  }
}
