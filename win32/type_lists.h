#pragma once

#include <string>

#include <windows.h>

#include "session/session.h"

namespace quarnel {

// The types panel: every type of the run, and the current type's layers, as report-style lists
// whose rows the session gives as they are shown. A heading sorts; Enter or a double-click shows
// the row's type or layer.
class TypeLists {
 public:
  TypeLists(HWND parent, int types_id, int layers_id, Session& session);

  HWND Types() const { return types_; }
  HWND Layers() const { return layers_; }
  void SetColumnWidths(int dpi);
  // After any call: the rows' count, their texts, and the current type's row selected.
  void Refresh();
  // A list's notification; true when it was one of ours and the session was called.
  bool Notify(const NMHDR& header, LRESULT& result);
  // Enter on a list: shows its focused row.
  bool Choose(HWND list);

 private:
  Session& session_;
  HWND types_ = nullptr;
  HWND layers_ = nullptr;
  long long current_ = -1;
  std::wstring cell_;  // the text a list asked for last, kept until it asks again
};

}  // namespace quarnel
