#include "shorten/apply.h"

#include <algorithm>
#include <bit>
#include <optional>
#include <vector>

#include "model/fault.h"
#include "model/record_reader.h"
#include "model/records.h"
#include "model/template_file.h"
#include "model/template_format.h"
#include "model/type_keys.h"
#include "shorten/cell_set.h"
#include "shorten/edits.h"
#include "shorten/short_record_box.h"
#include "shorten/shorten.h"
#include "shorten/template_records.h"
#include "shorten/type_rows.h"

namespace quarnel {
namespace {

constexpr std::uint32_t kNoPlace = Edits::kAtEnd;

// A record to apply, kept small: its text stays in the records' text, and its cells are a box,
// or read again from its line when its bounds are not whole numbers, as for a template's records.
struct RecordToApply {
  std::string_view line;  // without its line end
  long long line_number;
  std::uint32_t group;  // records of one type share a group, numbered in order of appearance
  bool covers;          // false for an empty range
  RecordCells cells;    // offset into the records' text
  std::uint32_t place = kNoPlace;  // where the first plain tile record it covers starts
  // The template has this very line already (saved there before): it is not written again.
  bool standing = false;
};

struct RecordsToApply {
  std::vector<RecordToApply> records;
  std::vector<std::string_view> group_keys;  // by group
  TypeKeys groups;
};

bool IsBlank(std::string_view line) {
  return line.find_first_not_of(" \t") == std::string_view::npos;
}

// Reads one record: `offset` is where its line starts in `text`.
RecordToApply ReadRecord(const TemplateFile& file, std::string_view text, std::size_t offset,
                         std::string_view line) {
  if (const auto box = ShortRecordBox(text, offset, line)) {
    return {text.substr(offset, line.size()), file.LineNumber(), 0, true,
            RecordCells::Of(offset, *box, false)};
  }
  if (!IsRectangleRecord(line)) {
    throw Fault(
        {file.Path(), file.LineNumber()},
        Quoted(line) + " is not a rectangle record: TILEW id1 id2 x-from x-to y-from y-to z");
  }
  RequireIds(file, line, 1);
  const Fields fields = SplitFields(line);
  const RectangleCells covered = RectangleRecordCells(file, fields);
  RequireCompleteRectangle(file, fields);
  RecordToApply record{text.substr(offset, line.size()), file.LineNumber(), 0, false, {}};
  ForEachRun(covered.columns, [&](int x1, int x2) {
    ForEachRun(covered.rows, [&](int y1, int y2) {
      if (record.covers) {  // a further box: the record is read again from its line
        record.cells.MarkScattered();
        return;
      }
      record.cells = RecordCells::Of(offset, Box{x1, x2, y1, y2, covered.z}, false);
      record.covers = true;
    });
  });
  return record;
}

RecordsToApply ReadRecordsToApply(const std::string& name, std::string_view text) {
  if (text.size() > TemplateFile::kMaxWholeSize) {
    throw Fault({name}, "is too large: records must be fewer than 4 GiB");
  }
  RecordsToApply read;
  // Records are some 30 bytes a line: grown from nothing, a million would be copied twice over.
  read.records.reserve(text.size() / 28);
  TemplateFile file(name, text);
  while (!file.AtEnd()) {
    const std::size_t offset = file.Position();
    const std::string_view line = file.ReadLine();
    if (IsBlank(line)) continue;
    RecordToApply record = ReadRecord(file, text, offset, line);
    const std::string_view key = KeyOfLine(record.line, true);
    record.group = static_cast<std::uint32_t>(read.groups.FindOrAdd(key));
    if (record.group == read.group_keys.size()) read.group_keys.push_back(key);
    read.records.push_back(record);
  }
  return read;
}

// The record indices of each group, in the records' order: a counting sort.
std::vector<std::vector<std::uint32_t>> ByGroup(const RecordsToApply& read) {
  std::vector<std::vector<std::uint32_t>> groups(read.group_keys.size());
  for (std::uint32_t i = 0; i < read.records.size(); ++i) {
    groups[read.records[i].group].push_back(i);
  }
  return groups;
}

std::string CellText(std::uint32_t index) {
  // Appended piece by piece: GCC 12 at -O3 warns falsely of overlap on a chain of + here.
  const GridCell cell = GridCell::FromIndex(index);
  std::string text = "(";
  text += std::to_string(cell.x) + ", " + std::to_string(cell.y);
  text += ", " + std::to_string(cell.z) + ")";
  return text;
}

// The first record that adds cells its type lacks: the one a refusal names.
struct NewCells {
  std::optional<std::size_t> record;
  long long count = 0;
  std::vector<std::uint32_t> examples;
};

// Works out one type's records: where each goes, which of the template's plain tile records
// they cover, the distinct cells they add, and the first record that adds any.
class TypeApplier {
 public:
  TypeApplier(std::string_view records_text, std::string_view text, Edits& edits)
      : records_text_(records_text), text_(text), edits_(edits) {}

  // Returns the count of distinct cells the records add.
  long long Apply(std::span<const RecordCells> template_records,
                  std::vector<RecordToApply>& records, const std::vector<std::uint32_t>& group,
                  NewCells& first_new) {
    MarkStanding(template_records, records, group);
    // A record the template holds word for word adds no cell and covers only what the template's
    // own record covers: with no plain tile record to leave out either, there is nothing to do.
    const auto plain = [](const RecordCells& r) { return r.Plain(); };
    const auto to_cover = [&](std::uint32_t i) {
      return records[i].covers && !records[i].standing;
    };
    if (std::none_of(template_records.begin(), template_records.end(), plain) &&
        std::none_of(group.begin(), group.end(), to_cover)) {
      return 0;
    }
    rows_.NextType();
    // A cell that another of the template's records holds too needs no plain tile record.
    for (const auto& r : template_records) {
      ForEachRow(text_, r, [&](std::uint32_t row_start, std::uint64_t columns) {
        rows_.Has(row_start / kColumns, columns);
        if (!r.Plain()) rows_.Cover(row_start / kColumns, columns);
      });
      if (r.Plain()) rows_.Plain(RowOf(r), r.GetBox().x1, r.offset);
    }
    // The plain tile records the template's own rectangle records hold go whatever the records
    // cover: counted apart, so that the summary does not give them to the records.
    for (const auto& r : template_records) {
      held_left_out_ += r.Plain() && (rows_.Covered(RowOf(r)) >> r.GetBox().x1 & 1) != 0;
    }
    long long added = 0;
    for (const std::uint32_t index : group) {
      added += Cover(records[index], index, first_new);
    }
    for (const auto& r : template_records) {
      if (r.Plain() && (rows_.Covered(RowOf(r)) >> r.GetBox().x1 & 1) != 0) edits_.Drop(r.offset);
    }
    return added;
  }

  long long HeldLeftOut() const { return held_left_out_; }

 private:
  // Marks the records that stand in the template word for word, as rectangle records of the type.
  void MarkStanding(std::span<const RecordCells> template_records,
                    std::vector<RecordToApply>& records, const std::vector<std::uint32_t>& group) {
    standing_.clear();
    for (const auto& r : template_records) {
      if (!r.Plain()) {
        standing_.push_back(text_.substr(r.offset, LineAt(text_, r.offset).Content()));
      }
    }
    if (standing_.empty() || group.empty()) return;
    // Sorted in a vector that is kept from type to type: a hash set took a block a line.
    std::sort(standing_.begin(), standing_.end());
    for (const std::uint32_t index : group) {
      records[index].standing =
          std::binary_search(standing_.begin(), standing_.end(), records[index].line);
    }
  }

  static std::uint32_t RowOf(const RecordCells& r) {
    const Box box = r.GetBox();
    return static_cast<std::uint32_t>(box.y1 + kRows * box.z);
  }

  long long Cover(RecordToApply& record, std::size_t index, NewCells& first_new) {
    // A standing record is not written, and its cells are the template's own record's.
    if (!record.covers || record.standing) return 0;
    long long added = 0;  // not covered by an earlier record
    long long adds = 0;   // this record's own
    std::vector<std::uint32_t> examples;
    ForEachRow(records_text_, record.cells, [&](std::uint32_t row_start, std::uint64_t columns) {
      const std::uint32_t row = row_start / kColumns;
      if (const std::uint64_t lacking = columns & ~rows_.HasColumns(row); lacking != 0) {
        adds += std::popcount(lacking);
        added += std::popcount(lacking & ~rows_.Covered(row));
        for (std::uint64_t bits = lacking; bits != 0 && examples.size() < 3; bits &= bits - 1) {
          examples.push_back(row_start + static_cast<std::uint32_t>(std::countr_zero(bits)));
        }
      }
      record.place = rows_.FirstPlain(row, columns, record.place);
      rows_.Cover(row, columns);
    });
    if (adds > 0 && (!first_new.record || index < *first_new.record)) {
      first_new = {index, adds, std::move(examples)};
    }
    return added;
  }

  std::string_view records_text_;
  std::string_view text_;
  Edits& edits_;
  TypeRows rows_;
  std::vector<std::string_view> standing_;  // the type's rectangle records, sorted
  long long held_left_out_ = 0;
};

[[noreturn]] void RefuseNewCells(const std::string& records_name, const RecordsToApply& read,
                                 const NewCells& first_new, const std::string& name) {
  const RecordToApply& record = read.records[*first_new.record];
  std::string examples;
  for (const std::uint32_t cell : first_new.examples) {
    examples += (examples.empty() ? "" : ", ") + CellText(cell);
  }
  throw Fault({records_name, record.line_number},
              "the record adds " + std::to_string(first_new.count) +
                  (first_new.count == 1 ? " cell" : " cells") + " that type " +
                  Printable(read.group_keys[record.group]) + " does not have in " +
                  Printable(name) + ", such as " + examples +
                  "; --allow-new-cells applies it anyway");
}

// What applying must give, and the text it gave: the template with its records, and the records.
struct Sources {
  const TemplateRecords& read;
  const ByType& by_type;
  std::string_view text;
  const RecordsToApply& records;
  const std::vector<std::vector<std::uint32_t>>& groups;
  std::string_view records_text;
};

// A type whose records the result holds box for box as the template did, with each record
// applied to it one of those boxes in the same order, keeps its cells for certain: a template
// that records are applied to again is mostly such types, and no cell of them is looked at.
bool KeepsItsBoxes(const Sources& s, std::span<const RecordCells> records, std::string_view key) {
  const int type = s.read.keys.Find(key);
  const auto had =
      type >= 0 ? s.by_type.Of(static_cast<std::size_t>(type)) : std::span<const RecordCells>();
  if (!SameBoxes(records, had)) return false;
  const int group = s.records.groups.Find(key);
  if (group < 0) return true;
  auto at = had.begin();
  for (const std::uint32_t index : s.groups[static_cast<std::size_t>(group)]) {
    const RecordToApply& record = s.records.records[index];
    if (!record.covers) continue;
    at = std::find_if(at, had.end(),
                      [&](const RecordCells& r) { return r.packed == record.cells.packed; });
    if (at == had.end()) return false;
    ++at;
  }
  return true;
}

// Whether `result` holds exactly each type's cells in the template plus its records' cells. One
// type at a time, in two cell sets: memory stays in proportion to the records, however many
// types and cells.
bool HoldsWhatItMust(const Sources& s, const std::string& name, std::string_view result) {
  const TemplateRecords out = ReadTemplateRecords(name, result);
  const ByType& out_types = out.by_type;
  CellSet wanted;
  CellSet got;
  const auto add = [](CellSet& set, std::string_view source, const RecordCells& r) {
    ForEachRow(source, r, [&](std::uint32_t row_start, std::uint64_t columns) {
      set.AddRow(row_start, columns);
    });
  };
  const auto want = [&](std::string_view key) {
    if (const int type = s.read.keys.Find(key); type >= 0) {
      for (const auto& r : s.by_type.Of(static_cast<std::size_t>(type))) add(wanted, s.text, r);
    }
    if (const int group = s.records.groups.Find(key); group >= 0) {
      for (const std::uint32_t index : s.groups[static_cast<std::size_t>(group)]) {
        const RecordToApply& record = s.records.records[index];
        if (record.covers) add(wanted, s.records_text, record.cells);
      }
    }
  };
  for (std::size_t t = 0; t < out.Types(); ++t) {
    if (KeepsItsBoxes(s, out_types.Of(t), out.Key(t))) continue;
    for (const auto& r : out_types.Of(t)) add(got, result, r);
    want(out.Key(t));
    if (!CellSet::SameAndClear(wanted, got)) return false;
  }
  // A type the result lacks must have had no cells to keep.
  const auto lacked = [&](std::string_view key) {
    if (out.keys.Find(key) >= 0) return true;
    want(key);
    return CellSet::SameAndClear(wanted, got);
  };
  for (std::size_t t = 0; t < s.read.Types(); ++t) {
    if (!lacked(s.read.Key(t))) return false;
  }
  for (const std::string_view key : s.records.group_keys) {
    if (!lacked(key)) return false;
  }
  return true;
}

}  // namespace

void CheckRecords(const std::string& records_name, std::string_view records) {
  ReadRecordsToApply(records_name, records);
}

Applied ApplyRecords(const std::string& records_name, std::string_view records_text,
                     const std::string& name, std::string_view text, bool allow_new_cells,
                     BeforeCheck before_check) {
  RecordsToApply records = ReadRecordsToApply(records_name, records_text);
  const TemplateRecords read = ReadTemplateRecords(name, text);
  const ByType& by_type = read.by_type;
  const auto groups = ByGroup(records);

  Applied applied;
  Edits edits(text.size());
  NewCells first_new;
  TypeApplier applier(records_text, text, edits);
  std::vector<bool> applied_to(read.Types(), false);
  for (std::size_t g = 0; g < groups.size(); ++g) {
    const int type = read.keys.Find(records.group_keys[g]);
    if (type >= 0) applied_to[static_cast<std::size_t>(type)] = true;
    const auto template_records =
        type >= 0 ? by_type.Of(static_cast<std::size_t>(type)) : std::span<const RecordCells>();
    applied.summary.new_cells +=
        applier.Apply(template_records, records.records, groups[g], first_new);
  }
  // The types no record names lose the tile records their own rectangle records hold.
  for (std::size_t type = 0; type < applied_to.size(); ++type) {
    const auto template_records = by_type.Of(type);
    if (applied_to[type] || std::all_of(template_records.begin(), template_records.end(),
                                        [](const RecordCells& r) { return r.Plain(); })) {
      continue;
    }
    applier.Apply(template_records, records.records, {}, first_new);
  }
  if (first_new.record && !allow_new_cells) RefuseNewCells(records_name, records, first_new, name);
  edits.records.reserve(records_text.size() + 2 * records.records.size());
  edits.inserted.reserve(records.records.size());
  long long count = 0;  // records written
  for (const auto& record : records.records) {
    if (record.standing) continue;
    const std::string_view end = record.place == kNoPlace ? "\r\n" : LineAt(text, record.place).end;
    edits.Insert(record.place, std::string(record.line) + std::string(end));
    ++count;
  }
  applied.summary.lines_before = read.lines;
  applied.summary.records_applied = count;
  applied.summary.records_standing = static_cast<long long>(records.records.size()) - count;
  applied.summary.tile_records_left_out = edits.dropped_count;
  applied.summary.tile_records_held = applier.HeldLeftOut();
  applied.summary.lines_after = read.lines - edits.dropped_count + count;
  applied.text = ApplyEdits(text, edits);
  if (before_check) before_check(applied.text);

  // The check that makes the result safe to use: every type keeps its cells, plus the records'.
  const Sources sources{read, by_type, text, records, groups, records_text};
  if (!HoldsWhatItMust(sources, name + " (with the records applied)", applied.text)) {
    throw SelfCheckFailure(
        {name}, "applying the records would not give the tiles it must; nothing is written");
  }
  return applied;
}

}  // namespace quarnel
