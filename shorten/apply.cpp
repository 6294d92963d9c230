#include "shorten/apply.h"

#include <algorithm>
#include <map>
#include <vector>

#include "model/fault.h"
#include "model/records.h"
#include "model/template_file.h"
#include "model/template_format.h"
#include "shorten/cell_set.h"
#include "shorten/edits.h"
#include "shorten/shorten.h"
#include "shorten/template_records.h"

namespace quarnel {
namespace {

constexpr std::uint32_t kNoPlace = Edits::kAtEnd;

struct RecordToApply {
  std::string key;
  std::string line;  // as it stands in the records, without its line end
  long long line_number;
  RectangleCells cells;
  std::uint32_t place = kNoPlace;  // where the first plain tile record it covers starts
};

bool IsBlank(std::string_view line) {
  return line.find_first_not_of(" \t") == std::string_view::npos;
}

std::vector<RecordToApply> ReadRecordsToApply(const std::string& name, std::string_view text) {
  std::vector<RecordToApply> records;
  TemplateFile file(name, text);
  while (!file.AtEnd()) {
    const std::string_view line = file.ReadLine();
    if (IsBlank(line)) continue;
    if (!IsRectangleRecord(line)) {
      throw Fault({name, file.LineNumber()},
                  Quoted(line) +
                      " is not a rectangle record: TILEW id1 id2 x-from x-to y-from "
                      "y-to z");
    }
    RequireIds(file, line, 1);
    records.push_back({std::string(KeyOfLine(line, true)), std::string(line), file.LineNumber(),
                       RectangleRecordCells(file, SplitFields(line))});
  }
  return records;
}

// Calls `each(cell)` for every cell a record covers; a cell may come twice where halves round.
template <typename Each>
void ForEachCell(const RectangleCells& cells, Each each) {
  for (const int row : cells.rows) {
    for (const int column : cells.columns) each(CellIndex(column, row, cells.z));
  }
}

std::string CellText(std::uint32_t cell) {
  const auto layer_cells = static_cast<std::uint32_t>(kColumns * kRows);
  std::string text = "(";
  text += std::to_string(cell % kColumns) + ", " + std::to_string(cell / kColumns % kRows);
  text += ", " + std::to_string(cell / layer_cells) + ")";
  return text;
}

// Per cell of the grid, for the type being applied: whether the template has it, where its first
// plain tile record starts, and marks that count each cell once. Stamps spare clearing it.
class TypeGrid {
 public:
  void Start() { ++stamp_; }
  void Has(std::uint32_t cell) { Touch(cell).has = true; }
  void Plain(std::uint32_t cell, std::uint32_t offset) {
    auto& c = Touch(cell);
    c.first_plain = std::min(c.first_plain, offset);
  }
  bool HasCell(std::uint32_t cell) const { return Valid(cell) && cells_[cell].has; }
  std::uint32_t FirstPlain(std::uint32_t cell) const {
    return Valid(cell) ? cells_[cell].first_plain : kNoPlace;
  }
  void Cover(std::uint32_t cell) { Touch(cell).covered = true; }
  bool Covered(std::uint32_t cell) const { return Valid(cell) && cells_[cell].covered; }
  // True the first time it is asked for a cell under `mark`.
  bool FirstTime(std::uint32_t cell, std::uint32_t mark) {
    auto& c = Touch(cell);
    const bool first = c.mark != mark;
    c.mark = mark;
    return first;
  }

 private:
  struct Cell {
    std::uint32_t stamp = 0;
    std::uint32_t first_plain = kNoPlace;
    std::uint32_t mark = 0;
    bool has = false;
    bool covered = false;
  };
  bool Valid(std::uint32_t cell) const { return cells_[cell].stamp == stamp_; }
  Cell& Touch(std::uint32_t cell) {
    Cell& c = cells_[cell];
    if (c.stamp != stamp_) c = Cell{stamp_};
    return c;
  }
  std::vector<Cell> cells_ =
      std::vector<Cell>(static_cast<std::size_t>(kColumns) * kRows * kLayers);
  std::uint32_t stamp_ = 0;
};

}  // namespace

Applied ApplyRecords(const std::string& records_name, std::string_view records_text,
                     const std::string& name, std::string_view text, bool allow_new_cells) {
  std::vector<RecordToApply> records = ReadRecordsToApply(records_name, records_text);
  const TemplateRecords read = ReadTemplateRecords(name, text);
  const ByType by_type(read.parts, read.type_keys.size());

  std::map<std::string, std::vector<RecordToApply*>> by_key;  // in the records' order
  for (auto& record : records) by_key[record.key].push_back(&record);

  Applied applied;
  Edits edits(text.size());
  TypeGrid grid;
  std::uint32_t mark = 0;
  for (auto& [key, of_type] : by_key) {
    grid.Start();
    const int type = read.keys.Find(key);
    const auto template_records =
        type >= 0 ? by_type.Of(static_cast<std::size_t>(type)) : std::span<const RecordCells>();
    for (const auto& r : template_records) {
      ForEachCell(text, r, [&](std::uint32_t cell) {
        grid.Has(cell);
        if (r.Plain()) grid.Plain(cell, r.offset);
      });
    }
    for (RecordToApply* record : of_type) {
      std::vector<std::uint32_t> added;
      ++mark;
      ForEachCell(record->cells, [&](std::uint32_t cell) {
        if (!grid.FirstTime(cell, mark)) return;
        if (!grid.HasCell(cell)) added.push_back(cell);
        record->place = std::min(record->place, grid.FirstPlain(cell));
        grid.Cover(cell);
      });
      if (!added.empty() && !allow_new_cells) {
        std::string examples;
        for (std::size_t i = 0; i < added.size() && i < 3; ++i) {
          examples += (i ? ", " : "") + CellText(added[i]);
        }
        throw Fault({records_name, record->line_number},
                    "the record adds " + std::to_string(added.size()) +
                        (added.size() == 1 ? " cell" : " cells") + " that type " + key +
                        " does not have in " + Printable(name) + ", such as " + examples +
                        "; --allow-new-cells applies it anyway");
      }
      applied.summary.new_cells += static_cast<long long>(added.size());
    }
    for (const auto& r : template_records) {
      if (r.Plain() && grid.Covered(CellIndex(r.GetBox().x1, r.GetBox().y1, r.GetBox().z))) {
        edits.Drop(r.offset);
      }
    }
  }
  for (const auto& record : records) {
    const std::string_view end = record.place == kNoPlace ? "\r\n" : LineAt(text, record.place).end;
    edits.Insert(record.place, record.line + std::string(end));
  }
  applied.summary.lines_before = read.lines;
  applied.summary.records_applied = static_cast<long long>(records.size());
  applied.summary.tile_records_left_out = edits.dropped_count;
  applied.summary.lines_after =
      read.lines - edits.dropped_count + static_cast<long long>(records.size());
  applied.text = ApplyEdits(text, edits);

  // The check that makes the result safe to use: every type keeps its cells, plus the records'.
  std::vector<TypeCells> wanted;
  CellSet cells;
  const auto add_records = [&](const std::string& key) {
    const auto found = by_key.find(key);
    if (found == by_key.end()) return;
    for (const RecordToApply* record : found->second) {
      ForEachCell(record->cells, [&](std::uint32_t cell) { cells.Add(cell); });
    }
  };
  for (std::size_t t = 0; t < read.type_keys.size(); ++t) {
    for (const auto& r : by_type.Of(t)) {
      ForEachRow(text, r, [&](std::uint32_t row_start, std::uint64_t columns) {
        cells.AddRow(row_start, columns);
      });
    }
    add_records(read.type_keys[t]);
    cells.TakeSorted(wanted.emplace_back(TypeCells{read.type_keys[t], {}}).cells);
  }
  for (const auto& [key, of_type] : by_key) {  // types the template lacks
    if (read.keys.Find(key) >= 0) continue;
    add_records(key);
    cells.TakeSorted(wanted.emplace_back(TypeCells{key, {}}).cells);
  }
  if (FirstDifference(wanted, ReadTypeCells(name + " (with the records applied)", applied.text))) {
    throw SelfCheckFailure(
        {name}, "applying the records would not give the tiles it must; nothing is written");
  }
  return applied;
}

}  // namespace quarnel
