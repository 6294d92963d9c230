#pragma once

#include <string>

namespace quarnel {

// What Auto over many layers wrote: the rectangle records, in order of type and layer, and what
// they cover.
struct LayersCovered {
  std::string records;
  long long rectangles = 0;
  long long cells = 0;        // squares covered that no record covered before
  long long layers = 0;       // layers that had such squares
  long long proven = 0;       // of them, covered with the fewest rectangles possible
  long long lower_bound = 0;  // what any cover of them needs, summed
  long long types = 0;        // types that had such squares
};

}  // namespace quarnel
