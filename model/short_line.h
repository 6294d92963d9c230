#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "model/template_format.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace quarnel {

// A line of at most 32 bytes that ends in LF or CR LF, with its spaces and non-digits as bit
// masks: its fields are found without a branch per byte. Nearly every record is such a line, and
// the branches of a byte loop over fields of varying length would cost more than all the rest of
// reading them. Any other line is left to the general reading.
class ShortLine {
 public:
  static constexpr int kMaxSize = 32;
  // Bytes read from the line's start, whatever its size.
  static constexpr std::size_t kReadable = kMaxSize + 8;
  // The masks take byte i of a word read from memory as its i-th lowest byte.
  static constexpr bool kWorksHere = std::endian::native == std::endian::little;

  // kReadable bytes must be readable from `at`.
  explicit ShortLine(const char* at) : bytes_(at) {
#if defined(__SSE2__)
    ScanAll();
#else
    Scan(0);
    Scan(1);
    if ((controls_ & 0xFFFF) == 0) {  // longer than 16 bytes
      Scan(2);
      Scan(3);
    }
#endif
    size_ = std::countr_zero(controls_);
    if (size_ < kMaxSize) {
      const char end = bytes_[size_];
      end_size_ = end == '\n' ? 1 : end == '\r' && bytes_[size_ + 1] == '\n' ? 2 : 0;
    }
    spaces_ &= Below(size_);
    not_digits_ &= Below(size_) & ~spaces_;
  }

  // Whether the line is such a line; nothing else here means anything otherwise.
  bool Found() const {
    return end_size_ != 0;
  }
  std::string_view Line() const {
    return {bytes_, static_cast<std::size_t>(size_)};
  }
  std::size_t SizeWithEnd() const {
    return static_cast<std::size_t>(size_ + end_size_);
  }

  // Where the type key "id1 id2" stands: from field `first` (0 for a tile record, 1 for a
  // rectangle record) to the space after field `first` + 1 or the line's end. False when the line
  // lacks one of the ids.
  bool FindKey(int first, int& begin, int& end) const {
    std::uint32_t spaces = spaces_;
    begin = first == 0 ? 0 : NextSpace(spaces) + 1;
    if (NextSpace(spaces) >= size_) return false;
    end = std::min(NextSpace(spaces), size_);
    return true;
  }
  // The `size` bytes at `begin` as TypeKeys stores a short key.
  std::uint64_t ShortKey(int begin, int size) const {
    std::uint64_t word = 0;
    std::memcpy(&word, bytes_ + begin, 8);
    return size >= 8 ? word : word & ((std::uint64_t{1} << (8 * size)) - 1);
  }

  // A plain tile record "id1 id2 x y z" whose key ends at `key_end`: exactly five fields, with x,
  // y and z plain decimal integers (no sign, no leading zero) inside the grid. False otherwise.
  [[gnu::always_inline]] bool LexPlainTile(int key_end, Box& box) const {
    // Plain variables, not arrays: the compiler would store an array and load it back in wider
    // pieces, which stalls the processor.
    std::uint32_t spaces = spaces_ & ~Below(key_end + 1);
    const int x_begin = key_end + 1;
    const int y_begin = NextSpace(spaces) + 1;
    const int z_begin = NextSpace(spaces) + 1;
    const int x_digits = y_begin - 1 - x_begin;
    const int y_digits = z_begin - 1 - y_begin;
    const int z_digits = size_ - z_begin;
    // All tests at once, with one branch: two more spaces, 1 to 3 digits a number, no leading 0.
    const auto number_ok = [this](int begin, int digits) {
      return (static_cast<unsigned>(digits - 1) < 3) & ((digits == 1) | (bytes_[begin] != '0'));
    };
    bool plain = spaces == 0;
    plain &= key_end < size_;
    plain &= z_begin <= size_;
    plain &= NotDigitsFrom(x_begin) == 0;
    plain &= number_ok(x_begin, x_digits);
    plain &= number_ok(y_begin, y_digits);
    plain &= number_ok(z_begin, z_digits);
    if (!plain) return false;
    const int x = DigitsValue(x_begin, x_digits);
    const int y = DigitsValue(y_begin, y_digits);
    const int z = DigitsValue(z_begin, z_digits);
    if ((x >= kColumns) | (y >= kRows) | (z >= kLayers)) return false;
    box = {x, x, y, y, z};
    return true;
  }

  // A rectangle record "TILEW id1 id2 x-from x-to y-from y-to z" whose key ends at `key_end`, of
  // exactly eight fields, its numbers whole, of up to three digits with an optional minus, and
  // its bounds inside the grid or an empty range. `covers` is false for an empty range. False
  // otherwise: the general reading says what is wrong.
  bool LexRectangle(int key_end, Box& box, bool& covers) const {
    std::uint32_t spaces = spaces_ & ~Below(key_end + 1);
    int value[5];
    std::uint32_t minus = 0;
    int begin = key_end + 1;
    if (key_end >= size_) return false;
    for (int i = 0; i < 5; ++i) {
      const int end = i < 4 ? NextSpace(spaces) : size_;
      const bool negative = bytes_[begin] == '-';
      const int digits = end - begin - (negative ? 1 : 0);
      if (digits < 1 || digits > 3) return false;
      minus |= (negative ? 1u : 0u) << begin;
      const int magnitude = Value(begin + (negative ? 1 : 0), digits);
      value[i] = negative ? -magnitude : magnitude;
      begin = end + 1;
    }
    if (spaces != 0 || NotDigitsFrom(key_end + 1) != minus) return false;
    const int x1 = value[0] + kRectangleOffset;
    const int x2 = value[1] + kRectangleOffset;
    const int y1 = value[2] + kRectangleOffset;
    const int y2 = value[3] + kRectangleOffset;
    covers = false;
    if (x1 > x2 || y1 > y2) return true;  // covers nothing, whatever its other fields say
    const auto inside = [](int index, int size) { return index >= 0 && index < size; };
    if (!inside(x1, kColumns) || !inside(x2, kColumns) || !inside(y1, kRows) ||
        !inside(y2, kRows) || !inside(value[4], kLayers)) {
      return false;
    }
    covers = true;
    box = {x1, x2, y1, y2, value[4]};
    return true;
  }

 private:
  static constexpr std::uint64_t kEachByte = 0x0101010101010101;
  static constexpr std::uint64_t kHighBits = 0x8080808080808080;
  static constexpr std::uint64_t kLowBits = 0x7F7F7F7F7F7F7F7F;

  // 0x80 in each byte of `word` that is at least `limit` (at most 0x80), else 0; exact, as no
  // carry crosses from one byte into the next.
  static constexpr std::uint64_t BytesAtLeast(std::uint64_t word, unsigned limit) {
    return (((word & kLowBits) + kEachByte * (0x80 - limit)) | word) & kHighBits;
  }
  // One bit per byte, from flags made as above.
  static constexpr std::uint32_t Gather(std::uint64_t flags) {
    return static_cast<std::uint32_t>(((flags >> 7) * 0x0102040810204080) >> 56);
  }
  static std::uint32_t Below(int index) {
    return index >= 32 ? ~0u : (1u << index) - 1;
  }
  // The position of the first space left in `spaces`, which it takes out; 32 when none is left.
  static int NextSpace(std::uint32_t& spaces) {
    const int at = std::countr_zero(spaces);
    spaces &= spaces - 1;
    return at;
  }

#if defined(__SSE2__)
  // All 32 bytes, 16 a step.
  void ScanAll() {
    const auto mask = [](__m128i low, __m128i high) {
      return static_cast<std::uint32_t>(_mm_movemask_epi8(low)) |
             static_cast<std::uint32_t>(_mm_movemask_epi8(high)) << 16;
    };
    const __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes_));
    const __m128i high = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes_ + 16));
    // Unsigned comparisons by way of min and max: bytes from 0x80 up are neither.
    const auto below_space = [](__m128i b) {
      return _mm_cmpeq_epi8(_mm_min_epu8(b, _mm_set1_epi8(0x1F)), b);
    };
    const auto digit = [](__m128i b) {
      const __m128i clamped = _mm_min_epu8(_mm_max_epu8(b, _mm_set1_epi8('0')), _mm_set1_epi8('9'));
      return _mm_cmpeq_epi8(clamped, b);
    };
    const __m128i space = _mm_set1_epi8(' ');
    controls_ = mask(below_space(low), below_space(high));
    spaces_ = mask(_mm_cmpeq_epi8(low, space), _mm_cmpeq_epi8(high, space));
    not_digits_ = ~mask(digit(low), digit(high));
  }
#endif
  void Scan(int index) {
    std::uint64_t word = 0;
    std::memcpy(&word, bytes_ + 8 * index, 8);
    const int shift = 8 * index;
    controls_ |= Gather(~BytesAtLeast(word, 0x20) & kHighBits) << shift;
    spaces_ |= Gather(~BytesAtLeast(word ^ (kEachByte * ' '), 1) & kHighBits) << shift;
    not_digits_ |= Gather(BytesAtLeast(word ^ (kEachByte * '0'), 10)) << shift;
  }
  // Positions from `begin` on that hold neither a digit nor a space.
  std::uint32_t NotDigitsFrom(int begin) const {
    return not_digits_ & ~Below(begin);
  }
  // The value of the 1 to 3 digits at `begin`. Weighing all three bytes read, instead of
  // branching on how many there are, keeps the branch predictor out of it.
  int Value(int begin, int digits) const {
    static constexpr int kWeights[4][3] = {{0, 0, 0}, {1, 0, 0}, {10, 1, 0}, {100, 10, 1}};
    const auto& weight = kWeights[digits];
    return (bytes_[begin] - '0') * weight[0] + (bytes_[begin + 1] - '0') * weight[1] +
           (bytes_[begin + 2] - '0') * weight[2];
  }

  // The same for 1 to 3 bytes known to be digits, from one four-byte word: the digits are moved to
  // its top, under leading zeros, and the four decimal places are summed two steps at a time.
  std::uint32_t DigitsValue(int begin, int digits) const {
    std::uint32_t word = 0;
    std::memcpy(&word, bytes_ + begin, 4);
    word = (word - 0x30303030u) << (8 * (4 - digits));
    word = word * 10 + (word >> 8);                           // pairs of places in bytes 0 and 2
    return ((word & 0x00FF00FFu) * (100u << 16 | 1u)) >> 16;  // the pairs weighed and summed
  }

  const char* bytes_;
  std::uint32_t controls_ = 0;  // bytes below the space: line ends among them
  std::uint32_t spaces_ = 0;
  std::uint32_t not_digits_ = 0;
  int size_ = 0;
  int end_size_ = 0;
};

}  // namespace quarnel
