#pragma once

#include <string>
#include <string_view>

#include "shorten/template_records.h"

namespace quarnel {

// Whether `text` has exactly the types of `read`, read from `read_text`, each with the same
// cells. Its reading takes the memory of `read`'s records as read.
bool SameTilesAs(TemplateRecords& read, std::string_view read_text, const std::string& name,
                 std::string_view text);

}  // namespace quarnel
