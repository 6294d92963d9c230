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
  // The template shortened alone came out shorter than with the records, and holds the same
  // tiles (the records add none): it was taken, and the records' rectangles with it.
  bool records_replaced = false;
};

// The one way rectangle records reach a template, for `quarnel-shorten --apply` and for saving in
// the window: ApplyRecords, and with `shorten_rest` its result shortened as `quarnel-shorten -`
// would shorten it; that never gives more lines than shortening the template alone. Each step
// checks its own result before it returns. Throws Fault.
AppliedTemplate ApplyToTemplate(const std::string& records_name, std::string_view records,
                                const std::string& name, std::string_view text,
                                bool allow_new_cells, bool shorten_rest);

// Shortens what ApplyToTemplate made without `shorten_rest` as it would have with it: the records
// are not applied again. `text` is the template they were applied to.
void ShortenRest(AppliedTemplate& result, const std::string& name, std::string_view text);

// What saving says once `result` is written to `target` (a name as the user sees it): the lines
// before and after, the check, new cells, and records that stood in the template already.
std::string SavedSummary(const std::string& target, const AppliedTemplate& result);

// What a save that wrote nothing says, for every front end: the target could not be written (the
// system's reason), or the user stopped it at one of its steps.
std::string CannotBeWritten(const std::string& why);
enum class SaveStopped { kNoFile, kTargetKept, kCancelled, kNoNewCells };
std::string NothingSaved(SaveStopped where, const std::string& target = {});

// The question before closing loses records not saved; `suggested` the name a save offers. Its
// answers, in order: save first, close without saving, stay.
std::string CloseQuestion(const std::string& suggested);
inline constexpr const char* kCloseAnswers[] = {"Save...", "Discard", "Cancel"};

// The question before a save writes over `target`, which exists (`is_template`: it is the template
// being shortened); answered with kOverwriteAnswers, the first writes.
std::string OverwriteQuestion(const std::string& target, bool is_template);
inline constexpr const char* kOverwriteAnswers[] = {"Overwrite", "Cancel"};

// The question asked before records that add `cells` cells to their types are saved: it names the
// first such record and a few of its cells, as the refusal without --allow-new-cells would.
std::string NewCellsQuestion(const std::string& records_name, std::string_view records,
                             const std::string& name, std::string_view text, long long cells);
inline constexpr const char* kNewCellsAnswers[] = {"Save with new cells", "Cancel"};

}  // namespace quarnel
