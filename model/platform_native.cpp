// Linux and Windows: threads, the whole address space, and the C++ library's own number parsing.
#include <limits>

#include "model/platform.h"

namespace quarnel::platform {

bool HasThreads() {
  return true;
}

std::uint64_t MaxTextSize() {
  return std::numeric_limits<std::uint64_t>::max();
}

std::from_chars_result ParseDouble(const char* begin, const char* end, double& value) {
  return std::from_chars(begin, end, value);
}

}  // namespace quarnel::platform
