#include "model/type_keys.h"

#include <algorithm>
#include <bit>

namespace quarnel {

int TypeKeys::Add(std::string_view key, std::uint64_t short_key) {
  const int number = size_++;
  if (key.size() > kShortKeySize) {
    long_keys_.emplace(std::string(key), number);
    return number;
  }
  if (2 * static_cast<std::size_t>(short_count_ + 1) > short_keys_.size()) {
    const std::vector<std::uint64_t> old_keys = std::move(short_keys_);
    const std::vector<int> old_numbers = std::move(short_numbers_);
    const std::size_t size = std::bit_ceil(std::max<std::size_t>(16, 4 * (short_count_ + 1)));
    short_keys_.assign(size, 0);
    short_numbers_.assign(size, kAbsent);
    for (std::size_t i = 0; i < old_keys.size(); ++i) {
      if (old_keys[i] != 0) InsertShort(old_keys[i], old_numbers[i]);
    }
  }
  InsertShort(short_key, number);
  ++short_count_;
  return number;
}

void TypeKeys::InsertShort(std::uint64_t word, int number) {
  const std::size_t mask = short_keys_.size() - 1;
  std::size_t slot = Slot(word, mask);
  while (short_keys_[slot] != 0) slot = (slot + 1) & mask;
  short_keys_[slot] = word;
  short_numbers_[slot] = number;
}

}  // namespace quarnel
