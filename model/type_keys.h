#pragma once

#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "model/huge_pages.h"

namespace quarnel {

// A hash of every byte of a key, mixed with a seed drawn afresh for each run: a template cannot be
// made whose keys crowd together, as the seed that would place them is not known in advance.
std::uint64_t SeededHash(std::string_view key);

// An odd number drawn afresh for each run. Multiplying by it and keeping the top bits hashes a
// number into a table (multiply-shift): over the draw, any two numbers share a slot with a chance
// of at most 2 in the table's size, whatever a template holds.
extern const std::uint64_t kSlotMultiplier;

// Numbers tile types by their keys ("id1 id2"), for look-up straight from a line read, nearly
// every line. A key of up to eight bytes, zero-padded, is itself a number: such keys live in an
// open-addressing table of numbers and are found without any text comparison (lines hold no NUL
// bytes, so the padding cannot be mistaken for key bytes), placed by kSlotMultiplier. Longer keys
// go to a second such table, placed by SeededHash.
class TypeKeys {
 public:
  static constexpr int kAbsent = -1;

  static constexpr std::size_t kShortKeySize = 8;

  // A key of up to kShortKeySize bytes as the number it is stored under.
  static std::uint64_t ShortKey(std::string_view key) {
    std::uint64_t word = 0;
    std::memcpy(&word, key.data(), key.size());
    return word;
  }

  // ShortKey(key) for a short key, 0 for a long one.
  static std::uint64_t ShortKeyOf(std::string_view key) {
    return key.size() <= kShortKeySize ? ShortKey(key) : 0;
  }

  // The number of `key`, or kAbsent. `short_key` must be ShortKey(key) for a short key: a caller
  // that has the key's bytes in a register already saves the copy.
  int Find(std::string_view key, std::uint64_t short_key) const {
    if (key.size() <= kShortKeySize) {
      if (short_keys_.empty()) return kAbsent;
      const std::size_t mask = short_keys_.size() - 1;
      for (std::size_t slot = Slot(short_key, slot_shift_);; slot = (slot + 1) & mask) {
        if (short_keys_[slot] == short_key) return short_numbers_[slot];
        if (short_keys_[slot] == 0) return kAbsent;
      }
    }
    return FindLong(key, SeededHash(key));
  }
  int Find(std::string_view key) const { return Find(key, ShortKeyOf(key)); }

  // The number of `key`, given the next number if it is new.
  int FindOrAdd(std::string_view key, std::uint64_t short_key) {
    if (key.size() > kShortKeySize) {
      const std::uint64_t hash = SeededHash(key);
      const int found = FindLong(key, hash);
      return found != kAbsent ? found : AddLong(key, hash);
    }
    const int found = Find(key, short_key);
    return found != kAbsent ? found : Add(key, short_key);
  }
  int FindOrAdd(std::string_view key) { return FindOrAdd(key, ShortKeyOf(key)); }
  int Size() const { return size_; }

  // The slot where a short key's search starts, in a table of 2^(64 - shift) slots.
  static std::size_t Slot(std::uint64_t word, int shift) {
    return static_cast<std::size_t>((word * kSlotMultiplier) >> shift);
  }

 private:
  // A long key's slot: its whole hash, so that a probe compares text only when the hash agrees,
  // and where its bytes lie in long_bytes_. Open addressing, like the short keys: a million types
  // cost a million slots in one block, not a million nodes.
  struct LongSlot {
    std::uint64_t hash = 0;
    int number = kAbsent;  // kAbsent: an empty slot
    std::uint32_t size = 0;
    std::size_t begin = 0;
  };

  int FindLong(std::string_view key, std::uint64_t hash) const {
    if (long_slots_.empty()) return kAbsent;
    const std::size_t mask = long_slots_.size() - 1;
    for (std::size_t slot = hash & mask;; slot = (slot + 1) & mask) {
      const LongSlot& s = long_slots_[slot];
      if (s.number == kAbsent) return kAbsent;
      if (s.hash == hash && std::string_view(long_bytes_).substr(s.begin, s.size) == key) {
        return s.number;
      }
    }
  }
  int Add(std::string_view key, std::uint64_t short_key);
  int AddLong(std::string_view key, std::uint64_t hash);
  void InsertShort(std::uint64_t word, int number);
  void InsertLong(const LongSlot& entry);

  int size_ = 0;
  int short_count_ = 0;
  LargeVector<std::uint64_t> short_keys_;  // a power of two in size, at most half full; 0: empty
  int slot_shift_ = 64;                    // 64 - log2 of its size
  LargeVector<int> short_numbers_;
  int long_count_ = 0;
  // A power of two in size, at most half full; on 2 MiB pages, as a million keys fill tens of MiB
  // that are read at random.
  LargeVector<LongSlot> long_slots_;
  LargeText long_bytes_;  // the long keys, one after another
};

}  // namespace quarnel
