#include "editor/covered.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <utility>
#include <vector>

#include "editor/grid_view.h"
#include "model/fault.h"
#include "model/record_reader.h"
#include "model/template_file.h"

namespace quarnel {

void ForEachBoxRecord(std::string_view text,
                      const std::function<void(std::string_view key, const Box& box)>& each) {
  TemplateFile file("the output box", text);
  std::string_view key;  // of the record being read; the text outlives it
  for (;;) {
    const std::size_t from = file.Position();
    try {
      ReadRecords(
          file,
          [&](const RecordKey& record) {
            key = record.key;
            return record.rectangle ? 0 : kSkipRecord;
          },
          [&](int, const Box& box, bool, std::size_t) { each(key, box); });
      return;
    } catch (const Fault&) {
      // The reader has taken the faulty line whole: go on after it, unless the fault stopped the
      // reading itself (a NUL byte).
      if (file.Position() == from) return;
    }
  }
}

namespace {

using RowBox = std::pair<std::int32_t, Box>;

// Counts, for each row with boxes, the distinct cells they cover: a grid row at a time, its
// columns as bits, so that a record costs its rows, not its cells.
void CountCovered(TypeTable& types, std::vector<RowBox>& boxes) {
  for (TypeRow& r : types.rows) r.covered = std::min(r.held, r.cells);
  if (boxes.empty()) return;
  // Auto's records come a type at a time, in the panel's order: mostly sorted already.
  const auto by_row = [](const RowBox& a, const RowBox& b) { return a.first < b.first; };
  if (!std::is_sorted(boxes.begin(), boxes.end(), by_row)) {
    std::stable_sort(boxes.begin(), boxes.end(), by_row);
  }
  struct GridRow {
    std::uint32_t stamp = 0;  // the columns are those of the type with this stamp
    std::uint64_t columns = 0;
  };
  std::vector<GridRow> grid_rows(static_cast<std::size_t>(kRows) * kLayers);
  std::uint32_t stamp = 0;
  for (std::size_t i = 0; i < boxes.size(); ++i) {
    if (i == 0 || boxes[i].first != boxes[i - 1].first) ++stamp;
    const Box& box = boxes[i].second;
    TypeRow& r = types.rows[static_cast<std::size_t>(boxes[i].first)];
    const std::uint64_t columns = ((std::uint64_t{1} << (box.x2 - box.x1 + 1)) - 1) << box.x1;
    for (int y = box.y1; y <= box.y2; ++y) {
      GridRow& row = grid_rows[static_cast<std::size_t>(y + kRows * box.z)];
      if (row.stamp != stamp) row = {stamp, 0};
      const auto added = static_cast<std::uint32_t>(std::popcount(columns & ~row.columns));
      r.covered = std::min(r.cells, r.covered + added);
      row.columns |= columns;
    }
  }
}

}  // namespace

void ReadCovered(Program& program) {
  TileArray covered = program.held;
  std::vector<RowBox> boxes;
  // Records of one type mostly come together: each key is looked up once per run of them.
  std::string last_key;
  int last_row = -1;
  ForEachBoxRecord(program.window.OutputText(), [&](std::string_view key, const Box& box) {
    if (key == program.curtype) {
      covered.SetBox(box);
      return;
    }
    if (key != last_key) {
      last_key = key;
      last_row = program.types.RowOf(key);
    }
    if (last_row >= 0) boxes.emplace_back(last_row, box);
  });
  program.covered = std::move(covered);
  CountCovered(program.types, boxes);
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
