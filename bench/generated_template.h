#pragma once

#include <cstdint>
#include <string>

namespace quarnel::bench {

struct TemplateShape {
  long long lines = 1'000'000;  // lines after the header
  int types = 1'000;
  double rectangle_share = 0.05;  // share of lines that are rectangle records
  std::uint32_t seed = 1;
};

// Writes a template of the given shape to a file in the temporary folder (once per shape) and
// returns its path. The same shape always gives the same bytes.
std::string GeneratedTemplate(const TemplateShape& shape);

// Counts line ends with memchr: the least any reader of the file must do.
long long CountLineEnds(const std::string& path);

// Type (id1, id2) of generated type number `index`.
std::string TypeId1(int index);
std::string TypeId2(int index);

}  // namespace quarnel::bench
