#include "editor/covered.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <optional>
#include <utility>
#include <vector>

#include "editor/grid_view.h"
#include "model/box_read.h"
#include "model/fault.h"
#include "model/template_file.h"

namespace quarnel {
namespace {

using Record = CoveredRead::Record;

// A box in 31 bits: its bounds lie on the grid.
static_assert(kColumns <= 64 && kRows <= 64 && kLayers <= 128);
std::uint32_t Pack(const Box& b) {
  return static_cast<std::uint32_t>(b.x1 | b.x2 << 6 | b.y1 << 12 | b.y2 << 18 | b.z << 24);
}
Box Unpack(std::uint32_t p) {
  const auto at = [p](int shift) { return static_cast<int>(p >> shift & 63); };
  return {at(0), at(6), at(12), at(18), static_cast<int>(p >> 24)};
}

// Calls each(box) for every box of a record of `text`.
template <typename Each>
void EachBoxOf(std::string_view text, const Record& record, Each&& each) {
  if (record.box != CoveredRead::kManyBoxes) return each(Unpack(record.box));
  const char* const start = text.data() + record.position;
  const auto size = static_cast<std::size_t>(FindLineEnd(start, text.data() + text.size()) - start);
  ReadBoxes(text.substr(record.position, size), 0,
            [&](std::string_view, const Box& box, std::size_t) { each(box); });
}

// The rows whose records changed since the last read.
struct Changed {
  bool all = false;      // every row: the read is for another type, run or read of the type
  bool current = false;  // the current type lost records: its cells are set again from the rest
  std::vector<bool> rows;
  bool Any() const { return all || !rows.empty(); }
  bool Has(std::int32_t row) const {
    return all || (!rows.empty() && rows[static_cast<std::size_t>(row)]);
  }
  void Add(std::int32_t row, std::size_t row_count) {
    if (row == CoveredRead::kCurrentType) {
      current = true;
      return;
    }
    if (rows.empty()) rows.resize(row_count);
    rows[static_cast<std::size_t>(row)] = true;
  }
};

// Where the lines both texts share end, when one of them starts with the whole other; else 0.
std::size_t SharedLines(const LargeVector<char>& before, const std::string& now) {
  const std::size_t shared = std::min(before.size(), now.size());
  if (shared == 0 || std::memcmp(before.data(), now.data(), shared) != 0) return 0;
  // A line ending at an LF is read alike in both; a line after it may not be.
  const std::size_t lf = std::string_view(now.data(), shared).rfind('\n');
  return lf == std::string_view::npos ? 0 : lf + 1;
}

// The current type's cells that records cover: the template's own and those of the box.
void SetCurrentCells(Program& program, std::string_view text) {
  program.covered = program.held;
  for (const Record& r : program.covered_read.records) {
    if (r.row == CoveredRead::kCurrentType) {
      EachBoxOf(text, r, [&](const Box& box) { program.covered.SetBox(box); });
    }
  }
}

// Reads the box records of text[from, end) into `records`: each(row, box) for each box, where
// row is kCurrentType for the current type. False where a NUL byte stopped the reading.
template <typename RowOf, typename Each>
bool ReadRecordLines(std::string_view text, std::size_t from, std::string_view curtype,
                     RowOf&& row_of, LargeVector<Record>& records, Each&& each) {
  // Records of one type mostly come together: each key is looked up once per run of them.
  std::string last_key;
  int last_row = -1;
  return ReadBoxes(text, from, [&](std::string_view key, const Box& box, std::size_t position) {
    std::int32_t row = CoveredRead::kCurrentType;
    if (key != curtype) {
      if (key != last_key) {
        last_key = key;
        last_row = row_of(key);
      }
      if (last_row < 0) return;
      row = last_row;
    }
    each(row, box);
    if (!records.empty() && records.back().position == position) {
      records.back().box = CoveredRead::kManyBoxes;
    } else {
      records.push_back({position, row, Pack(box)});
    }
  });
}

// Notes a record's row as changed, or sets the current type's cells it covers.
void Note(Program& program, Changed& changed, std::int32_t row, const Box& box) {
  if (row == CoveredRead::kCurrentType) {
    program.covered.SetBox(box);
  } else {
    changed.Add(row, program.types.rows.size());
  }
}

// Reads the box's lines from `from` on into the program's CoveredRead, and sets the current type's
// cells they cover. False where a NUL byte stopped the reading.
bool ReadNewLines(Program& program, std::size_t from, Changed& changed) {
  return ReadRecordLines(
      program.window.OutputText(), from, program.curtype,
      [&](std::string_view key) { return program.types.RowOf(key); }, program.covered_read.records,
      [&](std::int32_t row, const Box& box) { Note(program, changed, row, box); });
}

// Takes the lines from `from` on as read beside the window, where they were read for them;
// nothing where they were not.
std::optional<bool> TakeAddedLines(Program& program, std::size_t from, Changed& changed) {
  std::optional<CoveredRead::Added> added = std::exchange(program.covered_read.added, {});
  const std::string& text = program.window.OutputText();
  if (!added || added->from != from || from + added->size != text.size() ||
      added->curtype != program.curtype || added->runs != program.runs) {
    return std::nullopt;
  }
  for (const Record& r : added->records) {
    EachBoxOf(text, r, [&](const Box& box) { Note(program, changed, r.row, box); });
  }
  LargeVector<Record>& records = program.covered_read.records;
  records.insert(records.end(), added->records.begin(), added->records.end());
  return added->whole;
}

// The boxes of the records of changed rows, each as its row, shifted, and its packed bounds.
LargeVector<std::uint64_t> ChangedBoxes(const Program& program, const Changed& changed) {
  const std::string_view text = program.window.OutputText();
  LargeVector<std::uint64_t> boxes;
  if (changed.all) boxes.reserve(program.covered_read.records.size());
  for (const Record& r : program.covered_read.records) {
    if (r.row == CoveredRead::kCurrentType || !changed.Has(r.row)) continue;
    EachBoxOf(text, r, [&](const Box& box) {
      boxes.push_back(static_cast<std::uint64_t>(r.row) << 32 | Pack(box));
    });
  }
  return boxes;
}

// A shown type's cells, by grid row, as columns' bits: those no template record holds.
class ShownRows {
 public:
  // The rows of `cells` (none: the type was never shown), in place of those before.
  void Load(const std::vector<std::uint32_t>* cells) {
    if (cells_ != nullptr) {
      for (const std::uint32_t cell : *cells_) open_[(cell & ~TypeTable::kHeldCell) / kColumns] = 0;
    }
    cells_ = cells != nullptr && !cells->empty() ? cells : nullptr;
    if (cells_ == nullptr) return;
    for (const std::uint32_t cell : *cells_) {
      if (cell & TypeTable::kHeldCell) continue;
      open_[cell / kColumns] |= std::uint64_t{1} << (cell % kColumns);
    }
  }
  // Of `columns` of grid row `row`, those that count as newly covered.
  std::uint64_t Counted(std::size_t row, std::uint64_t columns) const {
    return cells_ == nullptr ? columns : columns & open_[row];
  }

 private:
  const std::vector<std::uint32_t>* cells_ = nullptr;
  std::array<std::uint64_t, std::size_t{kRows} * kLayers> open_{};
};

const std::vector<std::uint32_t>* ShownCells(const TypeTable& types, std::size_t row) {
  return row < types.shown_cells.size() && !types.shown_cells[row].empty() ? &types.shown_cells[row]
                                                                           : nullptr;
}

// Counts, for each changed row, the distinct cells its boxes cover: a grid row at a time, its
// columns as bits, so that a record costs its rows, not its cells. A type shown before counts
// only its cells, and those its template's records hold once; another, the cells its boxes cover.
void CountCovered(TypeTable& types, const Changed& changed, LargeVector<std::uint64_t>& boxes) {
  for (std::size_t i = 0; i < types.rows.size(); ++i) {
    TypeRow& r = types.rows[i];
    if (!changed.Has(static_cast<std::int32_t>(i))) continue;
    const std::vector<std::uint32_t>* shown = ShownCells(types, i);
    r.covered = shown == nullptr ? std::min(r.held, r.cells)
                                 : static_cast<std::uint32_t>(std::count_if(
                                       shown->begin(), shown->end(), [](std::uint32_t cell) {
                                         return (cell & TypeTable::kHeldCell) != 0;
                                       }));
  }
  if (boxes.empty()) return;
  // Auto's records come a type at a time, in the panel's order: mostly sorted already.
  const auto by_row = [](std::uint64_t a, std::uint64_t b) { return a >> 32 < b >> 32; };
  if (!std::is_sorted(boxes.begin(), boxes.end(), by_row)) {
    std::sort(boxes.begin(), boxes.end(), by_row);
  }
  struct GridRow {
    std::uint32_t stamp = 0;  // the columns are those of the type with this stamp
    std::uint64_t columns = 0;
  };
  std::vector<GridRow> grid_rows(static_cast<std::size_t>(kRows) * kLayers);
  const auto shown = std::make_unique<ShownRows>();
  std::uint32_t stamp = 0;
  for (std::size_t i = 0; i < boxes.size(); ++i) {
    const auto type_row = static_cast<std::size_t>(boxes[i] >> 32);
    if (i == 0 || boxes[i] >> 32 != boxes[i - 1] >> 32) {
      ++stamp;
      shown->Load(ShownCells(types, type_row));
    }
    const Box box = Unpack(static_cast<std::uint32_t>(boxes[i]));
    TypeRow& r = types.rows[type_row];
    const std::uint64_t columns = ((std::uint64_t{1} << (box.x2 - box.x1 + 1)) - 1) << box.x1;
    for (int y = box.y1; y <= box.y2; ++y) {
      const auto at = static_cast<std::size_t>(y + kRows * box.z);
      GridRow& row = grid_rows[at];
      if (row.stamp != stamp) row = {stamp, 0};
      const auto added =
          static_cast<std::uint32_t>(std::popcount(shown->Counted(at, columns & ~row.columns)));
      r.covered = std::min(r.cells, r.covered + added);
      row.columns |= columns;
    }
  }
}

// The current type's count is exact: its cells that records cover.
void CountCurrent(Program& program) {
  const int current = program.types.RowOf(program.curtype);
  if (current < 0) return;
  std::uint32_t exact = 0;
  for (int z = 0; z < kLayers; ++z) {
    if (!program.covered.LayerHasCells(z) || !program.tilearray.LayerHasCells(z)) continue;
    const auto first = static_cast<std::size_t>(z) * TileArray::kLayerSize;
    for (std::size_t i = first; i < first + TileArray::kLayerSize; ++i) {
      exact += program.covered.flags[i] & program.tilearray.flags[i];
    }
  }
  program.types.rows[static_cast<std::size_t>(current)].covered = exact;
}

// Room for `size`, and some to spare when it grows: marks come one line at a time, and each move
// of a box of a million records would copy them all.
template <typename T>
void MakeRoom(LargeVector<T>& v, std::size_t size) {
  if (size > v.capacity()) v.reserve(size + size / 8);
}
// The copy becomes `text`, whose first `kept` bytes it holds already.
void CopyText(LargeVector<char>& copy, const std::string& text, std::size_t kept) {
  copy.resize(kept);
  MakeRoom(copy, text.size());
  copy.resize(text.size());  // the new bytes are left as they come, then copied at once
  if (text.size() > kept) std::memcpy(copy.data() + kept, text.data() + kept, text.size() - kept);
}

// Room an undo left empty goes back; room the box may soon fill again stays.
template <typename T>
void GiveBackRoom(LargeVector<T>& v) {
  if (v.capacity() * sizeof(T) >= kHugePageFrom && v.capacity() / 4 > v.size()) v.shrink_to_fit();
}

}  // namespace

void ReadCovered(Program& program) {
  CoveredRead& read = program.covered_read;
  const std::string& text = program.window.OutputText();
  Changed changed;
  changed.all = !read.valid || read.curtype != program.curtype || read.runs != program.runs ||
                read.held.flags != program.held.flags;
  read.valid = false;  // until this read is through
  if (changed.all) read.records.clear();
  // Only the lines after those both texts share are read; the records of the old ones go.
  const std::size_t kept = changed.all ? 0 : SharedLines(read.text, text);
  const auto gone = std::partition_point(read.records.begin(), read.records.end(),
                                         [&](const Record& r) { return r.position < kept; });
  for (auto r = gone; r != read.records.end(); ++r) changed.Add(r->row, program.types.rows.size());
  read.records.erase(gone, read.records.end());
  CopyText(read.text, text, kept);
  // A record takes a line of some 20 bytes at least.
  MakeRoom(read.records, read.records.size() + (text.size() - kept) / 20);
  if (changed.all || changed.current) SetCurrentCells(program, text);
  const std::optional<bool> taken = TakeAddedLines(program, kept, changed);
  const bool whole = taken ? *taken : ReadNewLines(program, kept, changed);
  if (changed.Any()) {
    LargeVector<std::uint64_t> boxes = ChangedBoxes(program, changed);
    CountCovered(program.types, changed, boxes);
  }
  CountCurrent(program);
  if (changed.all) {
    read.curtype = program.curtype;
    read.runs = program.runs;
    read.held = program.held;
  }
  GiveBackRoom(read.text);
  GiveBackRoom(read.records);
  // A NUL byte ends the reading: what comes after it may change unseen, so read it all again.
  read.valid = whole;
}

CoveredRead::Added ReadAddedLines(std::string_view lines, std::size_t from,
                                  const std::function<int(std::string_view key)>& row_of,
                                  const std::string& curtype, long long runs) {
  CoveredRead::Added added{from, lines.size(), curtype, runs, {}, true};
  added.records.reserve(lines.size() / 20);  // a record takes a line of some 20 bytes at least
  added.whole =
      ReadRecordLines(lines, 0, curtype, row_of, added.records, [](std::int32_t, const Box&) {});
  for (Record& r : added.records) r.position += from;
  return added;
}

void KeepCurrentCells(Program& program) {
  const int row = program.types.RowOf(program.curtype);
  if (row < 0) return;
  auto& shown = program.types.shown_cells;
  if (shown.size() != program.types.rows.size()) shown.resize(program.types.rows.size());
  std::vector<std::uint32_t>& cells = shown[static_cast<std::size_t>(row)];
  cells.clear();
  for (int z = 0; z < kLayers; ++z) {
    if (!program.tilearray.LayerHasCells(z)) continue;
    const auto first = static_cast<std::uint32_t>(z) * TileArray::kLayerSize;
    for (std::uint32_t i = first; i < first + TileArray::kLayerSize; ++i) {
      if (program.tilearray.flags[i])
        cells.push_back(i | (program.held.flags[i] ? TypeTable::kHeldCell : 0));
    }
  }
}

void OutputChanged(Program& program) {
  ReadCovered(program);
  const int layer = program.window.Layer();
  if (layer < 0 || layer >= kLayers) return;
  Surface& surface = program.window.Picture();
  for (int y = 0; y < kRows; ++y) {
    for (int x = 0; x < kColumns; ++x) {
      const Colour now = surface.PointColour(x * kCellPitch, y * kCellPitch);
      // A first corner stays green.
      if (now == kGreen) continue;
      const Colour wanted = CellColour(program, x, y, layer);
      if (now != wanted) PutGrid(surface, x, y, wanted);
    }
  }
}

}  // namespace quarnel
