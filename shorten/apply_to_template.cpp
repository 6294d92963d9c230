#include "shorten/apply_to_template.h"

#include <utility>

namespace quarnel {

AppliedTemplate ApplyToTemplate(const std::string& records_name, std::string_view records,
                                const std::string& name, std::string_view text,
                                bool allow_new_cells, bool shorten_rest) {
  Applied applied = ApplyRecords(records_name, records, name, text, allow_new_cells);
  AppliedTemplate result{std::move(applied.text), applied.summary, std::nullopt};
  if (!shorten_rest) return result;
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
  return result;
}

}  // namespace quarnel
