#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "model/huge_pages.h"

namespace quarnel {

struct ShortenSummary {
  long long lines_before = 0;
  long long lines_after = 0;
  long long records_written = 0;      // new rectangle records
  long long rectangles_found = 0;     // rectangles of the covers, single cells included
  long long rectangles_at_least = 0;  // what any cover needs, summed over types and layers
  long long layers = 0;               // layers of a type covered
  long long layers_proven = 0;        // of them, covered with the fewest rectangles possible
  long long unproven_rectangles = 0;  // rectangles_found and rectangles_at_least on the rest
  long long unproven_at_least = 0;

  ShortenSummary& operator+=(const ShortenSummary& other);
};

struct Shortened {
  LargeText text;
  ShortenSummary summary;
};

// Changes a shortened text just before it is checked: only tests pass one, to see a spoiled
// result caught.
using BeforeCheck = void (*)(LargeText& text);

// Shortens a template: merges its plain tile records ("id1 id2 x y z", plain decimal integers in
// range) into rectangle records, keeping every other line byte for byte. The result is read back
// and compared type by type with the input before it is returned; a mismatch is a
// SelfCheckFailure, so no unchecked text ever leaves here. Throws Fault where any load of the
// template would. A large template's types are shortened in two parts side by side; `parts`, 1 or
// 2, says how many whatever the size: only tests pass it, to compare both ways on one template.
Shortened Shorten(const std::string& name, std::string_view text,
                  BeforeCheck before_check = nullptr, int parts = 0);

// Where two templates' cells first differ: by type in order of first appearance (the first
// template's types, then the second's), then by layer, row and column.
struct Difference {
  std::string type;
  int x = 0, y = 0, z = 0;
  bool in_first = false;  // the cell is in the first template, not the second
};

// Compares two templates, read one type at a time: memory in proportion to their records,
// however many types and cells. Throws Fault where a load of the first would, and where
// one of the second would. `types` counts the first template's types.
struct Comparison {
  std::optional<Difference> difference;
  std::size_t types = 0;
};
Comparison CompareTemplates(const std::string& first_name, std::string_view first,
                            const std::string& second_name, std::string_view second);

}  // namespace quarnel
