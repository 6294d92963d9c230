#pragma once

#include <atomic>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cover/layers_covered.h"
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

// Covers the shown layer's cells of the current type that no record in the output box covers yet
// with the fewest rectangles it finds, nearly always the proven fewest: each of them is covered,
// cells the box's records cover may be covered again, nothing else is. Each rectangle is filled
// blue and its record appended to the output text, as if marked by hand. The first corner is
// forgotten.
AutoResult AutoCover(Program& program);

// How far an Auto over many layers has got, shared with the thread that shows it: `done` of
// `total` layers or types. Setting `cancel` stops the work at the next layer or type.
struct AutoProgress {
  std::atomic<long long> done{0};
  std::atomic<long long> total{0};
  std::atomic<bool> cancel{false};
};

// What an Auto over many layers wrote, its records ready to go at the end of the output text.
// Nothing when cancelled.
struct AutoManyResult : LayersCovered {
  bool cancelled = false;
  // The output text with the records added, and the records read as ReadCovered reads them,
  // where the caller made them beside the window; empty otherwise.
  std::string output_after;
  std::optional<CoveredRead::Added> added_read;
};
AutoManyResult Cancelled();

// Auto on every layer of the current type, from the cells `program` holds: each layer is covered
// as Auto covers the shown one. Reads nothing and changes nothing, so it may run beside the window.
AutoManyResult AutoCoverLayers(const Program& program, AutoProgress& progress);

// Puts what an Auto over many layers wrote at the end of the output text and turns the shown
// layer's squares blue where it covers them, as one addition to take back.
Addition AddAutoRecords(Program& program, AutoManyResult result);

}  // namespace quarnel
