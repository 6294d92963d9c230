#pragma once

#include <string>
#include <string_view>

#include "shorten/template_records.h"

namespace quarnel {

// The records of one template, grouped by type, with its text.
struct Grouped {
  const ByType& by_type;
  std::string_view text;
};

// Whether `text` has exactly the types of `read`, each with the same cells. The records of `read`,
// which `before` holds grouped already, give their memory to the reading of `text`: fresh memory
// costs a page fault a page.
bool SameTilesAs(TemplateRecords& read, const Grouped& before, const std::string& name,
                 std::string_view text);

}  // namespace quarnel
