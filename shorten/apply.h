#pragma once

#include <string>
#include <string_view>

#include "model/huge_pages.h"
#include "shorten/shorten.h"

namespace quarnel {

struct ApplySummary {
  long long lines_before = 0;
  long long lines_after = 0;
  long long records_applied = 0;
  long long records_standing = 0;  // in the template already, word for word: not written again
  long long tile_records_left_out = 0;
  long long tile_records_held = 0;  // of those, held by the template's own rectangle records
  long long new_cells = 0;  // cells the records add to the template's types
};

struct Applied {
  LargeText text;
  ApplySummary summary;
};

// Reads `records` as ApplyRecords does, and throws its Fault for the first line it would refuse:
// for a check before any question is asked.
void CheckRecords(const std::string& records_name, std::string_view records);

// Applies rectangle records, as copied from the window's output box, to a template. `records`
// holds one rectangle record a line (blank lines are skipped); each is checked as a load of its
// type would check it. A record is written where the first plain tile record of its type that it
// covers stood, with that line's end; one that covers none is appended at the end; one that the
// template holds already, word for word, is not written again. Every plain
// tile record ("id1 id2 x y z") of a record's type whose cell a record covers is left out; every
// other line is copied byte for byte. A record that covers a cell its type does not have in the
// template is refused, unless `allow_new_cells`. The result is read back and compared type by
// type with what it must hold before it is returned. Throws Fault. `before_check`, for tests only,
// spoils the result before it is checked, as for Shorten.
Applied ApplyRecords(const std::string& records_name, std::string_view records,
                     const std::string& name, std::string_view text, bool allow_new_cells,
                     BeforeCheck before_check = nullptr);

}  // namespace quarnel
