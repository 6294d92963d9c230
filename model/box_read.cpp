#include "model/box_read.h"

namespace quarnel {

void ForEachBoxRecord(std::string_view text,
                      const std::function<void(std::string_view key, const Box& box)>& each) {
  ReadBoxes(text, 0, [&](std::string_view key, const Box& box, std::size_t) { each(key, box); });
}

}  // namespace quarnel
