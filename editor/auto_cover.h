#pragma once

#include <optional>

#include "editor/marking.h"
#include "editor/program.h"

namespace quarnel {

// What an Auto press did.
struct AutoResult {
  std::optional<Addition> added;  // nothing when every square was covered already
  int rectangles = 0;
  int cells = 0;        // red and green squares covered
  int lower_bound = 0;  // no cover of them can use fewer rectangles
  bool proven = false;  // none can use fewer than `rectangles`
};

// Covers the drawn layer's cells that no marked rectangle covers yet with the fewest rectangles
// it finds, nearly always the proven fewest: every red or green square is covered, blue squares
// may be covered again, nothing else is. Each rectangle is filled blue and its record appended to
// the output text, as if marked by hand. The first corner is forgotten.
AutoResult AutoCover(Program& program);

}  // namespace quarnel
