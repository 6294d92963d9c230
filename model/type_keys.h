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

// A type key "id1 id2" as a record line names it, with the number TypeKeys files a key of up to
// eight bytes under, worked out once where the line is read: every line's key is looked up or
// compared, and with the number neither copies its bytes again nor compares text.
class TypeKey {
 public:
  TypeKey() = default;
  explicit TypeKey(std::string_view key);
  // For the reader, which has the key's bytes at hand: `short_key` as TypeKeys::ShortKey gives it
  // for a key of up to eight bytes, else 0.
  TypeKey(std::string_view key, std::uint64_t short_key) : key_(key), short_(short_key) {}

  operator std::string_view() const { return key_; }
  // A short key is the same exactly when its number is; only long keys compare text.
  bool operator==(const TypeKey& other) const {
    return short_ == other.short_ && (short_ != 0 || key_ == other.key_);
  }

 private:
  friend class TypeKeys;
  std::string_view key_;
  std::uint64_t short_ = 0;
};

// Numbers tile types by their keys ("id1 id2"), for look-up straight from a line read, nearly
// every line, and gives each number's key back. A key of up to eight bytes, zero-padded, is
// itself a number: such keys live in an open-addressing table of numbers and are found without
// any text comparison (lines hold no NUL bytes, so the padding cannot be mistaken for key bytes),
// placed by kSlotMultiplier. Longer keys go to a second such table, placed by SeededHash. Every
// key's bytes are kept once, one after another, in the order of their numbers.
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

  // The number of `key`, or kAbsent.
  int Find(const TypeKey& key) const { return Find(key.key_, key.short_); }
  int Find(std::string_view key) const { return Find(TypeKey(key)); }

  // The number of `key`, given the next number if it is new.
  int FindOrAdd(const TypeKey& key) { return FindOrAdd(key.key_, key.short_); }
  int FindOrAdd(std::string_view key) { return FindOrAdd(TypeKey(key)); }
  int Size() const { return static_cast<int>(key_ends_.size()); }

  // The key numbered `number`, which must be below Size().
  std::string_view Key(int number) const {
    const auto n = static_cast<std::size_t>(number);
    const std::uint32_t begin = n == 0 ? 0 : key_ends_[n - 1];
    return std::string_view(key_bytes_).substr(begin, key_ends_[n] - begin);
  }

  // Finds or adds every key of `more`, in the order of its numbers, and returns their numbers
  // here, by their numbers in `more`: the keys of a template read in two parts made one.
  std::vector<std::uint32_t> FindOrAddAll(const TypeKeys& more);

  // The slot where a short key's search starts, in a table of 2^(64 - shift) slots.
  static std::size_t Slot(std::uint64_t word, int shift) {
    return static_cast<std::size_t>((word * kSlotMultiplier) >> shift);
  }

 private:
  friend class TypeKey;

  // ShortKey(key) for a short key, 0 for a long one.
  static std::uint64_t ShortKeyOf(std::string_view key) {
    return key.size() <= kShortKeySize ? ShortKey(key) : 0;
  }

  // `short_key` is ShortKey(key) for a short key: TypeKey's number.
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

  // The number of `key`, given the next number if it is new.
  int FindOrAdd(std::string_view key, std::uint64_t short_key) {
    if (key.size() > kShortKeySize) {
      const std::uint64_t hash = SeededHash(key);
      const int found = FindLong(key, hash);
      return found != kAbsent ? found : AddLong(key, hash);
    }
    const int found = Find(key, short_key);
    return found != kAbsent ? found : AddShort(key, short_key);
  }

  // A long key's slot: the top half of its hash, which places it and spares most text
  // comparisons, and its number. Eight bytes: a million keys make the table tens of MiB that are
  // read at random, and every fresh page of it costs.
  struct LongSlot {
    std::uint32_t tag = 0;
    int number = kAbsent;  // kAbsent: an empty slot
  };

  static std::uint32_t Tag(std::uint64_t hash) { return static_cast<std::uint32_t>(hash >> 32); }

  int FindLong(std::string_view key, std::uint64_t hash) const {
    if (long_slots_.empty()) return kAbsent;
    const std::uint32_t tag = Tag(hash);
    const std::size_t mask = long_slots_.size() - 1;
    for (std::size_t slot = tag >> long_shift_;; slot = (slot + 1) & mask) {
      const LongSlot& s = long_slots_[slot];
      if (s.number == kAbsent) return kAbsent;
      if (s.tag == tag && Key(s.number) == key) return s.number;
    }
  }
  int AddShort(std::string_view key, std::uint64_t short_key);
  int AddLong(std::string_view key, std::uint64_t hash);
  int AddBytes(std::string_view key);
  void GrowShort(std::size_t count);
  void GrowLong(std::size_t count);
  void InsertShort(std::uint64_t word, int number);
  void InsertLong(const LongSlot& entry);
  // The first slot a look-up of a key with this short key or hash reads.
  const void* FirstSlot(std::string_view key, std::uint64_t short_key_or_hash) const {
    return key.size() <= kShortKeySize
               ? static_cast<const void*>(&short_keys_[Slot(short_key_or_hash, slot_shift_)])
               : &long_slots_[Tag(short_key_or_hash) >> long_shift_];
  }

  int short_count_ = 0;
  LargeVector<std::uint64_t> short_keys_;  // a power of two in size, at most half full; 0: empty
  int slot_shift_ = 64;                    // 64 - log2 of its size
  LargeVector<int> short_numbers_;
  int long_count_ = 0;
  LargeVector<LongSlot> long_slots_;  // a power of two in size, at most half full
  int long_shift_ = 32;               // 32 - log2 of its size
  // Every key, one after another by number, and where each ends: the keys of a template are
  // parts of a text under 4 GiB.
  LargeText key_bytes_;
  LargeVector<std::uint32_t> key_ends_;
};

inline TypeKey::TypeKey(std::string_view key) : TypeKey(key, TypeKeys::ShortKeyOf(key)) {}

}  // namespace quarnel
