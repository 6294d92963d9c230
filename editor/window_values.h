#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace quarnel {

class Surface;

// The six values the logic shares with the window: it reads and writes these and nothing else of
// it. The Qt window binds them to its controls; a plain record stands in for it in tests and tools.
class WindowValues {
 public:
  virtual ~WindowValues() = default;

  // Path of the template (the path box). Raw bytes, as the file system takes them.
  virtual std::string TemplatePath() const = 0;
  virtual std::string Caption() const = 0;
  virtual void SetCaption(const std::string& caption) = 0;
  // The layer spinner, 0..100. Setting a new value raises the spinner's change at once.
  virtual int Layer() const = 0;
  virtual void SetLayer(int layer) = 0;
  // The layer box: the layer shown last, or what the user typed there.
  virtual std::string LayerText() const = 0;
  virtual void SetLayerText(const std::string& text) = 0;
  // The output box with the collected rectangle records, lines ending in CR LF.
  virtual const std::string& OutputText() const = 0;
  virtual void SetOutputText(const std::string& text) = 0;
  // Adds to its end. A window that keeps the text itself appends without copying what was there:
  // a box of a million records is 25 MB.
  virtual void AppendOutputText(std::string_view text) {
    SetOutputText(OutputText() + std::string(text));
  }
  // Keeps its first `size` bytes, the rest taken away.
  virtual void CutOutputText(std::size_t size) { SetOutputText(OutputText().substr(0, size)); }
  // Sets it from a text the caller no longer needs, which such a window takes without a copy.
  virtual void TakeOutputText(std::string text) { SetOutputText(text); }
  // The drawing surface.
  virtual Surface& Picture() = 0;
};

}  // namespace quarnel
