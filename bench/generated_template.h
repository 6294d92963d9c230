#pragma once

#include <cstdint>
#include <string>

namespace quarnel::bench {

struct TemplateShape {
  long long lines = 1'000'000;    // lines after the header
  int types = 1'000;              // each has a tile record among the first `types` lines
  double rectangle_share = 0.05;  // share of lines that are rectangle records
  std::uint32_t seed = 1;
};

// Writes a template of the given shape to a file in the temporary folder (once per shape) and
// returns its path. The same shape always gives the same bytes. Besides the `types` types, one
// more, LateType(), appears only in the last 1% of the lines.
std::string GeneratedTemplate(const TemplateShape& shape);

// Writes, once, a template of about `records` plain tile records of types "t0 1" to "t<types-1> 1"
// whose cells fill random rectangles, in shuffled order: nearly all of it can be merged.
std::string DenseTemplate(long long records, int types, std::uint32_t seed);

// Counts line ends with memchr: the least any reader of the file must do.
long long CountLineEnds(const std::string& path);

// Ids of generated type number `index`; LateType() is number -1.
std::string TypeId1(int index);
std::string TypeId2(int index);
inline constexpr int kLateType = -1;

// The process's peak resident memory so far, in MiB.
double PeakRssMiB();

}  // namespace quarnel::bench
