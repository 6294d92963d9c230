#pragma once

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

namespace quarnel {

// How much smaller `after` is than `before`, as "96.6%": to one decimal, or to as many as a change
// needs not to read as none ("0.017%" for 173 lines of 1,000,000) or as all ("99.99%").
inline std::string Percent(long long before, long long after) {
  const double share = before == 0 ? 0.0 : 100.0 * double(before - after) / double(before);
  const double left = 100.0 - share;
  const double smallest = std::min(std::fabs(share), std::fabs(left));
  int decimals = 1;
  while (decimals < 6 && smallest > 0 && smallest < 0.5 * std::pow(10.0, -decimals)) ++decimals;
  char text[48];
  std::snprintf(text, sizeof text, "%.*f%%", decimals, share);
  return text;
}

// How a count of lines changed: "96.6% fewer", or "33.3% more" when it grew.
inline std::string LinesChange(long long before, long long after) {
  if (after <= before) return Percent(before, after) + " fewer";
  return Percent(before, 2 * before - after) + " more";
}

}  // namespace quarnel
