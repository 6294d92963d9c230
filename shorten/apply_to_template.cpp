#include "shorten/apply_to_template.h"

#include <utility>

#include "model/fault.h"
#include "model/percent.h"

namespace quarnel {

AppliedTemplate ApplyToTemplate(const std::string& records_name, std::string_view records,
                                const std::string& name, std::string_view text,
                                bool allow_new_cells, bool shorten_rest) {
  Applied applied = ApplyRecords(records_name, records, name, text, allow_new_cells);
  AppliedTemplate result{std::move(applied.text), applied.summary, std::nullopt};
  if (shorten_rest) ShortenRest(result, name, text);
  return result;
}

void ShortenRest(AppliedTemplate& result, const std::string& name, std::string_view text) {
  Shortened shortened = Shorten(name + " (with the records applied)", result.text);
  // Records that add no tiles may cost lines a cover of its own would save: a record that others
  // hold wholly, or one cell that a larger rectangle could take.
  if (result.applied.new_cells == 0) {
    Shortened alone = Shorten(name, text);
    if (alone.summary.lines_after < shortened.summary.lines_after) {
      shortened = std::move(alone);
      result.records_replaced = true;
    }
  }
  result.text = std::move(shortened.text);
  result.shortened = shortened.summary;
}

std::string SavedSummary(const std::string& target, const AppliedTemplate& result) {
  const long long before = result.applied.lines_before;
  const long long after =
      result.shortened ? result.shortened->lines_after : result.applied.lines_after;
  std::string said = "saved " + Printable(target) + ": " + std::to_string(before) + " lines → " +
                     std::to_string(after) + " lines (" + LinesChange(before, after) +
                     "), checked: same tiles";
  if (result.applied.new_cells > 0) {
    said += " and " + std::to_string(result.applied.new_cells) +
            (result.applied.new_cells == 1 ? " new cell" : " new cells");
  }
  if (result.records_replaced)
    said +=
        "; a cover of its own was shorter than one with the box's records, so it took their place";
  if (const long long standing = result.applied.records_standing; standing > 0) {
    said += "; " + std::to_string(standing) + (standing == 1 ? " record was" : " records were") +
            " in the template already";
  }
  return said;
}

std::string CannotBeWritten(const std::string& why) {
  return "cannot be written: " + why + "; nothing was saved";
}

std::string NothingSaved(SaveStopped where, const std::string& target) {
  switch (where) {
    case SaveStopped::kNoFile:
      return "no file chosen: nothing was saved";
    case SaveStopped::kTargetKept:
      return Printable(target) + " kept as it was: nothing was saved";
    case SaveStopped::kCancelled:
      return "save cancelled: nothing was saved";
    case SaveStopped::kNoNewCells:
      break;
  }
  return "no new cells added: nothing was saved";
}

std::string OverwriteQuestion(const std::string& target, bool is_template) {
  const std::string shown = Printable(target);
  return is_template
             ? shown + " is the template you are shortening. Overwrite it with the shorter one?"
             : shown + " exists. Replace it?";
}

std::string CloseQuestion(const std::string& suggested) {
  const std::string where = suggested.empty()
                                ? "into a shorter copy of the template"
                                : "into a shorter copy of the template (" + Printable(suggested) +
                                      ", unless you choose another file)";
  return "The output box holds records that are not saved. Closing loses them. Save them " + where +
         " first?";
}

std::string NewCellsQuestion(const std::string& records_name, std::string_view records,
                             const std::string& name, std::string_view text, long long cells) {
  std::string example;
  try {
    ApplyRecords(records_name, records, name, text, false);
  } catch (const Fault& fault) {
    example = fault.what();
    const std::string option = "; --allow-new-cells applies it anyway";
    if (const auto at = example.find(option); at != std::string::npos)
      example.erase(at, option.size());
  }
  return "The records add " + std::to_string(cells) +
         " cells that their tile types do not have in the template: the saved map would have "
         "more tiles.\n\n" +
         example + "\n\nSave with them?";
}

}  // namespace quarnel
