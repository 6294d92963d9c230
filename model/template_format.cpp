#include "model/template_format.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

#include "model/platform.h"

namespace quarnel {
namespace {

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

std::size_t SkipDigits(std::string_view text, std::size_t at) {
  while (at < text.size() && IsDigit(text[at])) ++at;
  return at;
}

// from_chars reports overflow and underflow alike. Tell them apart by the decimal magnitude:
// where the first significant digit stands, moved by the exponent.
bool Overflows(std::string_view number, std::size_t integral_end) {
  long long magnitude = 0;
  std::size_t at = 0;
  while (at < integral_end && number[at] == '0') ++at;
  if (at < integral_end) {
    magnitude = static_cast<long long>(integral_end - at);
  } else {
    at = integral_end + 1;  // past the point
    while (at < number.size() && number[at] == '0') {
      --magnitude;
      ++at;
    }
  }
  const std::size_t e = number.find_first_of("eE");
  if (e != std::string_view::npos) {
    long long exponent = 0;
    std::size_t digit = e + 1;
    const bool negative = digit < number.size() && number[digit] == '-';
    if (digit < number.size() && (number[digit] == '-' || number[digit] == '+')) ++digit;
    for (; digit < number.size() && exponent < 1'000'000; ++digit) {
      exponent = exponent * 10 + (number[digit] - '0');
    }
    magnitude += negative ? -exponent : exponent;
  }
  return magnitude > 0;
}

}  // namespace

Fields SplitFields(std::string_view line, int max_fields) {
  Fields fields;
  if (line.empty()) return fields;
  std::size_t begin = 0;
  // A plain loop: fields are a few bytes long, too short for find() to pay off.
  while (fields.count < max_fields) {
    std::size_t space = begin;
    while (space < line.size() && line[space] != ' ') ++space;
    fields.field[static_cast<std::size_t>(fields.count++)] = line.substr(begin, space - begin);
    if (space == line.size()) break;
    begin = space + 1;
  }
  return fields;
}

std::optional<double> ParseNumber(std::string_view text) {
  // Nearly every number in a template is a small whole number: read those at once.
  if (!text.empty() && text.size() <= 9) {
    const bool negative = text[0] == '-';
    std::size_t at = negative ? 1 : 0;
    if (at < text.size()) {
      long value = 0;
      while (at < text.size() && IsDigit(text[at])) value = value * 10 + (text[at++] - '0');
      if (at == text.size()) return static_cast<double>(negative ? -value : value);
    }
  }
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && IsSpace(text[begin])) ++begin;
  while (end > begin && IsSpace(text[end - 1])) --end;
  text = text.substr(begin, end - begin);

  bool negative = false;
  if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
    negative = text[0] == '-';
    text.remove_prefix(1);
  }
  // Check the whole grammar here; from_chars alone would accept "inf", "nan" and hex forms.
  const std::size_t integral_end = SkipDigits(text, 0);
  std::size_t at = integral_end;
  std::size_t fraction_digits = 0;
  if (at < text.size() && text[at] == '.') {
    const std::size_t fraction_end = SkipDigits(text, at + 1);
    fraction_digits = fraction_end - at - 1;
    at = fraction_end;
  }
  if (integral_end == 0 && fraction_digits == 0) return std::nullopt;
  if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
    std::size_t exponent = at + 1;
    if (exponent < text.size() && (text[exponent] == '+' || text[exponent] == '-')) ++exponent;
    const std::size_t exponent_end = SkipDigits(text, exponent);
    if (exponent_end == exponent) return std::nullopt;
    at = exponent_end;
  }
  if (at != text.size()) return std::nullopt;

  double value = 0;
  const auto result = platform::ParseDouble(text.data(), text.data() + text.size(), value);
  if (result.ec == std::errc::result_out_of_range) {
    value = Overflows(text, integral_end) ? std::numeric_limits<double>::infinity() : 0.0;
  } else if (result.ec != std::errc() || result.ptr != text.data() + text.size()) {
    return std::nullopt;
  }
  return negative ? -value : value;
}

bool IsPlainInteger(std::string_view text) {
  if (text.empty() || (text.size() > 1 && text[0] == '0')) return false;
  return std::all_of(text.begin(), text.end(), IsDigit);
}

std::string RectangleRecord(std::string_view key, int x1, int x2, int y1, int y2, int z,
                            std::string_view line_end) {
  std::string record;
  AppendRectangleRecord(record, key, x1, x2, y1, y2, z, line_end);
  return record;
}

void AppendRectangleRecord(std::string& out, std::string_view key, int x1, int x2, int y1, int y2,
                           int z, std::string_view line_end) {
  // The numbers and the line end are written together and appended at once: a million records
  // appended a number at a time cost more than covering their layers.
  char rest[5 * 12 + 8];
  char* at = rest;
  for (const int value : {x1 - kRectangleOffset, x2 - kRectangleOffset, y1 - kRectangleOffset,
                          y2 - kRectangleOffset, z}) {
    *at++ = ' ';
    at = std::to_chars(at, rest + sizeof rest, value).ptr;
  }
  out.reserve(out.size() + 6 + key.size() + static_cast<std::size_t>(at - rest) + line_end.size());
  out += "TILEW ";
  out += key;
  out.append(rest, at);
  out += line_end;
}

}  // namespace quarnel
