#include "model/type_keys.h"

#include <algorithm>
#include <array>
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

int TypeKeys::AddBytes(std::string_view key) {
  const int number = Size();
  key_bytes_.Append(key);
  key_ends_.push_back(static_cast<std::uint32_t>(key_bytes_.size()));
  return number;
}

void TypeKeys::GrowLong(std::size_t count) {
  if (2 * count <= long_slots_.size()) return;
  const LargeVector<LongSlot> old = std::move(long_slots_);
  const std::size_t size = std::bit_ceil(std::max<std::size_t>(16, 2 * count));
  long_slots_.assign(size, {});
  long_shift_ = 32 - std::countr_zero(size);
  for (const LongSlot& entry : old) {
    if (entry.number != kAbsent) InsertLong(entry);
  }
}

int TypeKeys::AddLong(std::string_view key, std::uint64_t hash) {
  GrowLong(static_cast<std::size_t>(long_count_) + 1);
  const int number = AddBytes(key);
  InsertLong({Tag(hash), number});
  ++long_count_;
  return number;
}

void TypeKeys::InsertLong(const LongSlot& entry) {
  const std::size_t mask = long_slots_.size() - 1;
  std::size_t slot = entry.tag >> long_shift_;
  while (long_slots_[slot].number != kAbsent) slot = (slot + 1) & mask;
  long_slots_[slot] = entry;
}

void TypeKeys::GrowShort(std::size_t count) {
  if (2 * count <= short_keys_.size()) return;
  const LargeVector<std::uint64_t> old_keys = std::move(short_keys_);
  const LargeVector<int> old_numbers = std::move(short_numbers_);
  // A quarter full after growing: short keys are cheap to keep and grow twice as seldom.
  const std::size_t size = std::bit_ceil(std::max<std::size_t>(16, 4 * count));
  short_keys_.assign(size, 0);
  slot_shift_ = 64 - std::countr_zero(size);
  short_numbers_.assign(size, kAbsent);
  for (std::size_t i = 0; i < old_keys.size(); ++i) {
    if (old_keys[i] != 0) InsertShort(old_keys[i], old_numbers[i]);
  }
}

int TypeKeys::AddShort(std::string_view key, std::uint64_t short_key) {
  GrowShort(static_cast<std::size_t>(short_count_) + 1);
  const int number = AddBytes(key);
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

std::vector<std::uint32_t> TypeKeys::FindOrAddAll(const TypeKeys& more) {
  GrowShort(static_cast<std::size_t>(short_count_ + more.short_count_));
  GrowLong(static_cast<std::size_t>(long_count_ + more.long_count_));
  key_bytes_.reserve(key_bytes_.size() + more.key_bytes_.size());
  key_ends_.reserve(key_ends_.size() + more.key_ends_.size());
  // With a million keys nearly every look-up misses the cache: the first slots of the keys a few
  // ahead are fetched while one is looked up, so that the misses overlap.
  constexpr int kAhead = 8;
  const int count = more.Size();
  const auto number_of = [](std::string_view key) {
    return key.size() <= kShortKeySize ? ShortKey(key) : SeededHash(key);
  };
  std::array<std::uint64_t, kAhead> ahead{};
  for (int n = 0; n < std::min(count, kAhead); ++n) ahead[n] = number_of(more.Key(n));
  std::vector<std::uint32_t> numbers(static_cast<std::size_t>(count));
  for (int n = 0; n < count; ++n) {
    const std::string_view key = more.Key(n);
    const std::uint64_t short_key_or_hash = ahead[n % kAhead];
    if (n + kAhead < count) {
      const std::string_view later = more.Key(n + kAhead);
      ahead[n % kAhead] = number_of(later);
      __builtin_prefetch(FirstSlot(later, ahead[n % kAhead]));
    }
    int number = kAbsent;
    if (key.size() <= kShortKeySize) {
      number = FindOrAdd(key, short_key_or_hash);
    } else if (number = FindLong(key, short_key_or_hash); number == kAbsent) {
      number = AddLong(key, short_key_or_hash);
    }
    numbers[static_cast<std::size_t>(n)] = static_cast<std::uint32_t>(number);
  }
  return numbers;
}

}  // namespace quarnel
