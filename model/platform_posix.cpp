// Linux and WebAssembly: paths are bytes, and the streams pass bytes unchanged already.
#include <sys/stat.h>

#include <cerrno>

#include "model/platform.h"

namespace quarnel::platform {

std::filesystem::path PathOf(const std::string& path) {
  return path;
}

std::FILE* OpenFile(const std::string& path, const char* mode) {
  return std::fopen(path.c_str(), mode);
}

std::optional<std::uint64_t> SizeOf(std::FILE* file) {
  struct stat status {};
  if (::fstat(::fileno(file), &status) != 0) return std::nullopt;
  return static_cast<std::uint64_t>(status.st_size);
}

bool SeekTo(std::FILE* file, std::uint64_t position) {
  return ::fseeko(file, static_cast<off_t>(position), SEEK_SET) == 0;
}

std::vector<std::string> Arguments(int argc, char* argv[]) {
  return {argv, argv + argc};
}

void SetUpStandardStreams() {}

}  // namespace quarnel::platform
