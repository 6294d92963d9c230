#include <bit>

#include "model/program.h"

namespace quarnel {

void DoneList::Add(TileType type) {
  const std::string key = type.Key();
  shown_.push_back(std::move(type));
  if (key.size() > 8) {
    long_keys_.insert(key);
    return;
  }
  if (2 * (short_count_ + 1) > short_slots_.size()) {
    std::vector<std::uint64_t> old = std::move(short_slots_);
    short_slots_.assign(std::bit_ceil(std::max<std::size_t>(16, 4 * (short_count_ + 1))), 0);
    for (const std::uint64_t word : old) {
      if (word != 0) InsertShort(word);
    }
  }
  InsertShort(ShortKey(key));
  ++short_count_;
}

void DoneList::InsertShort(std::uint64_t word) {
  const std::size_t mask = short_slots_.size() - 1;
  std::size_t slot = Slot(word, mask);
  while (short_slots_[slot] != 0) slot = (slot + 1) & mask;
  short_slots_[slot] = word;
}

}  // namespace quarnel
