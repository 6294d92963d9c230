#pragma once

#include <optional>
#include <string>

#include "model/done_list.h"
#include "model/loader.h"

namespace quarnel {

// The next tile type of a run: the first type, in the order of the types' first tile records,
// that `donelist` does not hold, loaded in the same read of the template as LoadToArray loads it.
// Rectangle records never start a type. Nothing when every type has been shown. Throws the Fault
// that stands first in the file.
std::optional<LoadedType> FindNextType(const std::string& path, const DoneList& donelist);

// A template in which no tile record starts a type: its caption and how many rectangle records it
// holds, read without examining their fields.
struct WithoutTypes {
  std::string caption;
  long long rectangles = 0;
};
WithoutTypes ReadWithoutTypes(const std::string& path);

}  // namespace quarnel
