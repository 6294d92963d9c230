#pragma once

#include <cstddef>
#include <string>

#include <windows.h>

namespace quarnel {

// The output box on Windows' edit control, with its text kept here as the truth. The control lays
// out a few tens of thousands of lines a second, and every change costs it a pass over all of
// them, so a large change reaches it a slice at a time between messages, read-only meanwhile: the
// window answers, and nothing is typed into a box that is half shown.
class OutputBox {
 public:
  explicit OutputBox(HWND edit) : edit_(edit) {}

  // The text (UTF-8, LF or CR LF line ends): the session's, or what the user typed.
  const std::string& Text() const { return text_; }
  // A new text. Only the lines that differ change, the common first and last lines staying as
  // they are; the first slice now, the rest from Fill. Once filled, the caret is at the end.
  void SetText(const std::string& text);
  // The user typed: the control shows `text` already.
  void Typed(const std::string& text);
  // The control shows the whole text.
  bool Filled() const { return !Busy(); }
  // Brings the control a slice closer to the text; true while more is left.
  bool Fill();

 private:
  static constexpr unsigned long long kSliceMs = 30;
  static constexpr long kFewestLines = 512, kMostLines = 1 << 16;
  // Each change costs the control a pass over all its lines: a slice of at least this share of
  // them keeps the passes a fraction of the work, however large the box grows.
  static constexpr long kShare = 256;

  bool Busy() const { return old_cut_ > first_ || inserted_ < new_end_; }
  void Plan();
  // Takes up to `lines` of the old lines away, or else puts up to `lines` of the new ones in.
  void ShowSlice(long lines);
  int Length() const;
  void Replace(int start, int end, const std::wstring& with) const;

  HWND edit_;
  std::string text_;   // the box's text
  std::string shown_;  // what the control showed when the text last changed
  // The control shows shown_[0, first_) + text_[first_, inserted_) + shown_[first_, old_cut_) +
  // shown_[old_end_, end): the old lines between go, last first, then the new ones up to new_end_
  // come. Positions in the control are counted back from its end, where the last part stands.
  std::size_t first_ = 0, old_cut_ = 0, old_end_ = 0, inserted_ = 0, new_end_ = 0;
  int last_part_ = 0;  // the control's characters of shown_[old_end_, end)
  long slice_lines_ = 1024;
};

}  // namespace quarnel
