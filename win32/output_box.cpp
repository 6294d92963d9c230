#include "win32/output_box.h"

#include <algorithm>

#include "session/changed_lines.h"
#include "win32/text.h"

namespace quarnel {

void OutputBox::SetText(const std::string& text) {
  if (text == text_) return;
  // What the control shows now, against which the change is worked out.
  if (Busy()) {
    shown_ = shown_.substr(0, first_) + text_.substr(first_, inserted_ - first_) +
             shown_.substr(first_, old_cut_ - first_) + shown_.substr(old_end_);
  }
  text_ = text;
  Plan();
  // The control draws a line far down slowly, counting the lines from its first each time: while
  // it fills, its first lines are in sight, the caret before them.
  SendMessageW(edit_, EM_SETSEL, 0, 0);
  SendMessageW(edit_, EM_SCROLLCARET, 0, 0);
  Fill();
}

void OutputBox::Typed(const std::string& text) {
  text_ = text;
  shown_ = text;
  Plan();
  Fill();
}

// The control and the text differ between a common first part and a common last part, each of
// whole lines.
void OutputBox::Plan() {
  const ChangedLines lines = FindChangedLines(shown_, text_);
  first_ = lines.first;
  old_end_ = lines.old_end;
  new_end_ = lines.new_end;
  old_cut_ = old_end_;
  inserted_ = first_;
  last_part_ = static_cast<int>(WideLength(std::string_view(shown_).substr(old_end_)));
}

bool OutputBox::Fill() {
  if (Busy()) {
    const unsigned long long start = GetTickCount64();
    DWORD from = 0, to = 0;
    SendMessageW(edit_, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
    const LRESULT top = SendMessageW(edit_, EM_GETFIRSTVISIBLELINE, 0, 0);
    const int length = Length();
    const auto lines = static_cast<long>(SendMessageW(edit_, EM_GETLINECOUNT, 0, 0));
    ShowSlice(std::max(slice_lines_, lines / kShare));
    // The user's selection and view as they were, the slice having changed [changed, past).
    const int moved = Length() - length;
    const int past = length - last_part_, changed = past + std::min(moved, 0);
    const auto after = [&](DWORD at) {
      const int old = static_cast<int>(at);
      return old <= changed ? old : old >= past ? old + moved : changed;
    };
    SendMessageW(edit_, EM_SETSEL, static_cast<WPARAM>(after(from)), after(to));
    const LRESULT now = SendMessageW(edit_, EM_GETFIRSTVISIBLELINE, 0, 0);
    SendMessageW(edit_, EM_LINESCROLL, 0, top - now);
    // A slice takes about a frame, whatever this machine's speed; only a full slice tells.
    const unsigned long long took = GetTickCount64() - start;
    if (took > kSliceMs) slice_lines_ = std::max(slice_lines_ / 2, kFewestLines);
    if (Busy() && took < kSliceMs / 2) slice_lines_ = std::min(slice_lines_ * 2, kMostLines);
    if (!Busy() && from == 0 && to == 0) {
      // Filled, and the caret not moved meanwhile: at the end, on no record, the last in sight.
      const LRESULT end = Length();
      SendMessageW(edit_, EM_SETSEL, static_cast<WPARAM>(end), end);
      SendMessageW(edit_, EM_SCROLLCARET, 0, 0);
    }
  }
  if (!Busy()) shown_ = text_;
  // Typing into lines still on their way would be typing into the wrong place.
  const bool read_only = (GetWindowLongW(edit_, GWL_STYLE) & ES_READONLY) != 0;
  if (read_only != Busy()) SendMessageW(edit_, EM_SETREADONLY, Busy(), 0);
  return Busy();
}

void OutputBox::ShowSlice(long lines) {
  const int end = Length() - last_part_;
  if (old_cut_ > first_) {
    // The old lines go first, the last of them first.
    std::size_t from = old_cut_;
    for (long n = 0; n < lines && from > first_; ++n) from = LineStart(shown_, from - 1);
    const auto gone =
        static_cast<int>(WideLength(std::string_view(shown_).substr(from, old_cut_ - from)));
    Replace(end - gone, end, L"");
    old_cut_ = from;
  } else {
    std::size_t to = inserted_;
    for (long n = 0; n < lines && to < new_end_; ++n) {
      const std::size_t line_end = text_.find('\n', to);
      to = line_end == std::string::npos || line_end >= new_end_ ? new_end_ : line_end + 1;
    }
    Replace(end, end, WithCrLf(Wide(std::string_view(text_).substr(inserted_, to - inserted_))));
    inserted_ = to;
  }
}

int OutputBox::Length() const {
  return GetWindowTextLengthW(edit_);
}

void OutputBox::Replace(int start, int end, const std::wstring& with) const {
  SendMessageW(edit_, EM_SETSEL, static_cast<WPARAM>(start), end);
  SendMessageW(edit_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(with.c_str()));
}

}  // namespace quarnel
