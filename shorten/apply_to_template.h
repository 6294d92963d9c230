#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "model/huge_pages.h"
#include "shorten/apply.h"
#include "shorten/shorten.h"

namespace quarnel {

struct AppliedTemplate {
  LargeText text;
  ApplySummary applied;
  std::optional<ShortenSummary> shortened;  // when the rest was shortened too
};

// The one way rectangle records reach a template, for `quarnel-shorten --apply` and for saving in
// the window: ApplyRecords, and with `shorten_rest` its result shortened as `quarnel-shorten -`
// would shorten it. Each step checks its own result before it returns. Throws Fault.
AppliedTemplate ApplyToTemplate(const std::string& records_name, std::string_view records,
                                const std::string& name, std::string_view text,
                                bool allow_new_cells, bool shorten_rest);

}  // namespace quarnel
