#pragma once

#include <string>

namespace quarnel {

// The name a shorter template is offered under: "maps/level.tmp" as "maps/level-short.tmp", the
// last extension of the file's own name replaced, the folder kept. Bytes in, bytes out: a name
// that is not UTF-8 keeps its bytes.
std::string ShortName(const std::string& path);

}  // namespace quarnel
