#include "model/type_keys.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <random>

namespace quarnel {
namespace {

#ifdef QUARNEL_FIXED_HASH_SEED
// The fuzzer's build: a run with a given seed must go the same way every time.
const std::uint64_t kSeed = QUARNEL_FIXED_HASH_SEED;
#else
// Drawn once a run, from the system's source of randomness.
const std::uint64_t kSeed = [] {
  std::random_device device;
  return std::uint64_t{device()} << 32 ^ device();
}();
#endif

// A bijection of 64 bits in which every input bit moves every output bit (MurmurHash3's
// finaliser).
constexpr std::uint64_t Mix(std::uint64_t h) {
  h ^= h >> 33;
  h *= 0xFF51AFD7ED558CCDu;
  h ^= h >> 33;
  h *= 0xC4CEB9FE1A85EC53u;
  h ^= h >> 33;
  return h;
}

}  // namespace

const std::uint64_t kSlotMultiplier = Mix(kSeed) | 1;

std::uint64_t SeededHash(std::string_view key) {
  std::uint64_t h = Mix(kSeed ^ key.size());
  for (std::size_t at = 0; at < key.size(); at += 8) {
    std::uint64_t word = 0;
    std::memcpy(&word, key.data() + at, std::min<std::size_t>(8, key.size() - at));
    h = Mix(h ^ word) + kSeed;
  }
  return h;
}

int TypeKeys::AddLong(std::string_view key, std::uint64_t hash) {
  if (2 * static_cast<std::size_t>(long_count_ + 1) > long_slots_.size()) {
    const LargeVector<LongSlot> old = std::move(long_slots_);
    long_slots_.assign(std::max<std::size_t>(16, 2 * old.size()), {});
    for (const LongSlot& entry : old) {
      if (entry.number != kAbsent) InsertLong(entry);
    }
  }
  const int number = size_++;
  InsertLong({hash, number, static_cast<std::uint32_t>(key.size()), long_bytes_.size()});
  long_bytes_.Append(key);
  ++long_count_;
  return number;
}

void TypeKeys::InsertLong(const LongSlot& entry) {
  const std::size_t mask = long_slots_.size() - 1;
  std::size_t slot = entry.hash & mask;
  while (long_slots_[slot].number != kAbsent) slot = (slot + 1) & mask;
  long_slots_[slot] = entry;
}

int TypeKeys::Add(std::string_view key, std::uint64_t short_key) {
  if (key.size() > kShortKeySize) return AddLong(key, SeededHash(key));
  const int number = size_++;
  if (2 * static_cast<std::size_t>(short_count_ + 1) > short_keys_.size()) {
    const LargeVector<std::uint64_t> old_keys = std::move(short_keys_);
    const LargeVector<int> old_numbers = std::move(short_numbers_);
    const std::size_t size = std::bit_ceil(std::max<std::size_t>(16, 4 * (short_count_ + 1)));
    short_keys_.assign(size, 0);
    slot_shift_ = 64 - std::countr_zero(size);
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
  std::size_t slot = Slot(word, slot_shift_);
  while (short_keys_[slot] != 0) slot = (slot + 1) & mask;
  short_keys_[slot] = word;
  short_numbers_[slot] = number;
}

}  // namespace quarnel
