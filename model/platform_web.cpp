// WebAssembly: one thread, at most 2 GiB of memory, and strtod for numbers.
#include <cerrno>
#include <cstdlib>
#include <string>

#include "model/platform.h"

namespace quarnel::platform {

bool HasThreads() {
  return false;
}

std::uint64_t MaxTextSize() {
  // A text takes about as much again for its records and their grouping.
  return std::uint64_t{1} << 30;
}

std::from_chars_result ParseDouble(const char* begin, const char* end, double& value) {
  // This C++ library has no from_chars for double; its C library's strtod ignores the locale.
  const std::string text(begin, end);
  char* stop = nullptr;
  errno = 0;
  value = std::strtod(text.c_str(), &stop);
  const char* const ptr = begin + (stop - text.c_str());
  if (stop == text.c_str()) return {begin, std::errc::invalid_argument};
  if (errno == ERANGE) return {ptr, std::errc::result_out_of_range};
  return {ptr, std::errc()};
}

}  // namespace quarnel::platform
