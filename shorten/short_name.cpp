#include "shorten/short_name.h"

namespace quarnel {

std::string ShortName(const std::string& path) {
  const std::size_t slash = path.find_last_of("/\\");
  const std::size_t name = slash == std::string::npos ? 0 : slash + 1;
  const std::size_t dot = path.rfind('.');
  // A leading dot names a hidden file; it is no extension.
  const bool extension = dot != std::string::npos && dot > name;
  return (extension ? path.substr(0, dot) : path) + "-short.tmp";
}

}  // namespace quarnel
