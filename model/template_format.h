#pragma once

#include <array>
#include <cmath>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "model/grid.h"

namespace quarnel {

// Rectangle records store their bounds this much below the grid indices.
inline constexpr int kRectangleOffset = 3;

// The fields of one line, split at every single space. Two spaces in a row give an empty field,
// and an empty line has no field at all. Only the first kMaxFields are kept: no record examines
// more, so a line of a million spaces costs no memory.
struct Fields {
  static constexpr int kMaxFields = 8;
  std::array<std::string_view, kMaxFields> field{};
  int count = 0;

  bool Has(int index) const { return index < count; }
  std::string_view operator[](int index) const { return field[static_cast<std::size_t>(index)]; }
};

// Splits off at most `max_fields` fields: a reader that only needs a line's ids stops there.
Fields SplitFields(std::string_view line, int max_fields = Fields::kMaxFields);

// A line that starts with "TILEW" (case-sensitive) is a rectangle record; any other line after the
// header is a tile record.
inline bool IsRectangleRecord(std::string_view line) {
  return line.starts_with("TILEW");
}

// A number as templates write it, the same in every locale: optional white space around it, an
// optional sign, digits with an optional "." fraction, an optional exponent. Nothing else is a
// number ("0x10", "1,5", "nan" and "inf" are not). Returns nothing for a non-number; a value too
// large for a double comes back as infinity so that the caller can say so.
std::optional<double> ParseNumber(std::string_view text);

// Rounds to the nearest integer, halves to even. Inline: it runs for every counter of a range.
inline double RoundHalfEven(double value) {
  // From 2^52 on every double is whole. Below, floor through a 64-bit integer: std::floor is a
  // library call on x86-64's base instruction set.
  if (!(std::abs(value) < 0x1p52)) return value;
  const auto whole = static_cast<long long>(value);  // toward zero
  const long long floor = static_cast<double>(whole) > value ? whole - 1 : whole;
  const double diff = value - static_cast<double>(floor);
  if (diff < 0.5) return static_cast<double>(floor);
  if (diff > 0.5) return static_cast<double>(floor + 1);
  return static_cast<double>(floor % 2 == 0 ? floor : floor + 1);
}

// A number as the shortener may rewrite it: plain decimal digits, no sign, no leading zero.
bool IsPlainInteger(std::string_view text);

// The rectangle record of type `key` ("id1 id2") covering columns x1..x2 and rows y1..y2 of layer
// z, ending in `line_end`. Its bounds are stored kRectangleOffset below the grid indices.
std::string RectangleRecord(std::string_view key, int x1, int x2, int y1, int y2, int z,
                            std::string_view line_end = "\r\n");
// The same record put at the end of `out`: a million of them make no string each.
void AppendRectangleRecord(std::string& out, std::string_view key, int x1, int x2, int y1, int y2,
                           int z, std::string_view line_end = "\r\n");

// The cells a record gives: columns x1..x2 and rows y1..y2 of layer z, all included.
struct Box {
  int x1, x2, y1, y2, z;
};

// The two ids of a key "id1 id2", split at its first space.
struct KeyIds {
  std::string_view id1;
  std::string_view id2;
};
inline KeyIds SplitKey(std::string_view key) {
  const std::size_t space = key.find(' ');
  return {key.substr(0, space), key.substr(space + 1)};
}

// A tile type: its two ids, compared as exact bytes.
struct TileType {
  std::string id1;
  std::string id2;

  bool operator==(const TileType&) const = default;
  // "id1 id2": the form in which rectangle records carry the type.
  std::string Key() const { return id1 + " " + id2; }
  static TileType OfKey(std::string_view key) {
    const KeyIds ids = SplitKey(key);
    return {std::string(ids.id1), std::string(ids.id2)};
  }
};

}  // namespace quarnel
