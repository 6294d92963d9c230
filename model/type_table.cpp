#include "model/type_table.h"

#include <algorithm>
#include <limits>
#include <numeric>

#include "model/fault.h"
#include "model/record_reader.h"
#include "model/template_file.h"
#include "model/template_format.h"

namespace quarnel {
namespace {

constexpr long long kNoTile = std::numeric_limits<long long>::max();

// A type as the read meets it, before the rows are put in run order.
struct Met {
  TypeRow row;
  long long first_tile = kNoTile;  // line of its first tile record
  bool rectangle_first = false;    // a rectangle record of it stands before its first tile record
};

// One pass over the records: every type's counts, and the cells of the run's first type.
struct TablePass {
  TypeTable& table;
  std::vector<Met> met;
  int first_type = -1;  // the type of the first tile record
  TileArray first_cells;
  TileArray first_held;
  bool rectangle = false;  // the record asked for last is a rectangle record

  int Want(const RecordKey& record) {
    const int number = table.numbers.FindOrAdd(record.key);
    if (static_cast<std::size_t>(number) == met.size()) {
      met.emplace_back();
      met.back().row.number = number;
    }
    Met& m = met[static_cast<std::size_t>(number)];
    rectangle = record.rectangle;
    if (m.first_tile == kNoTile) {
      if (record.rectangle) {
        m.rectangle_first = true;
      } else {
        m.first_tile = record.line;
        if (first_type < 0) first_type = number;
      }
    }
    return number;
  }
  void Add(int number, const Box& box) {
    TypeRow& r = met[static_cast<std::size_t>(number)].row;
    const auto cells = static_cast<std::uint32_t>((box.x2 - box.x1 + 1) * (box.y2 - box.y1 + 1));
    r.cells += cells;
    if (rectangle) r.held += cells;
    r.SetLayer(box.z);
    if (number == first_type) {
      first_cells.SetBox(box);
      if (rectangle) first_held.SetBox(box);
    }
  }
  // Puts the types with a tile record in run order.
  void MakeRows() {
    std::vector<std::int32_t> order(met.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](std::int32_t a, std::int32_t b) {
      return met[static_cast<std::size_t>(a)].first_tile <
             met[static_cast<std::size_t>(b)].first_tile;
    });
    table.row.assign(met.size(), -1);
    for (const std::int32_t number : order) {
      const Met& m = met[static_cast<std::size_t>(number)];
      if (m.first_tile == kNoTile) break;
      table.row[static_cast<std::size_t>(number)] = static_cast<std::int32_t>(table.rows.size());
      table.rows.push_back(m.row);
    }
  }
};

}  // namespace

TypeTable ReadTypeTable(const std::string& path, std::optional<LoadedType>* first) {
  TemplateFile file(path);
  std::string caption = ReadHeader(file);
  TypeTable table;
  TablePass pass{table, {}, -1, {}, {}, false};
  bool refused = false;
  for (;;) {
    const std::size_t from = file.Position();
    try {
      ReadRecords(
          file, [&](const RecordKey& record) { return pass.Want(record); },
          [&](int number, const Box& box, bool, std::size_t) { pass.Add(number, box); });
      break;
    } catch (const Fault& fault) {
      // A line a load would refuse counts for nothing here, and the first is kept for go to
      // report. The reader has taken such a line whole; a fault that stops the reading itself (a
      // NUL byte, a line without end) ends the table.
      if (!refused) table.refusal = fault;
      refused = true;
      if (file.Position() == from) break;
    }
  }
  pass.MakeRows();
  // The first type read in full, as the walker's first step would read it, unless a line was
  // refused or a rectangle record of it came before its first tile record.
  if (first && !refused && pass.first_type >= 0 &&
      !pass.met[static_cast<std::size_t>(pass.first_type)].rectangle_first) {
    const std::string_view key = table.Key(pass.met[static_cast<std::size_t>(pass.first_type)].row);
    *first = LoadedType{TileType::OfKey(key), std::move(pass.first_cells), std::move(caption),
                        std::move(pass.first_held)};
  }
  return table;
}

}  // namespace quarnel
