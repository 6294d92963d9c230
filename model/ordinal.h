#pragma once

#include <cstddef>
#include <string>

namespace quarnel {

// "1st", "2nd", "3rd", "4th", ..., "11th", "12th", "13th", ..., "21st".
inline std::string Ordinal(std::size_t n) {
  const std::size_t tens = n % 100;
  const char* suffix = tens >= 11 && tens <= 13 ? "th"
                       : n % 10 == 1            ? "st"
                       : n % 10 == 2            ? "nd"
                       : n % 10 == 3            ? "rd"
                                                : "th";
  return std::to_string(n) + suffix;
}

}  // namespace quarnel
