#include "model/type_table.h"

#include <algorithm>
#include <limits>
#include <numeric>

#include "model/fault.h"
#include "model/record_reader.h"
#include "model/template_file.h"

namespace quarnel {
namespace {

// A type as the read meets it, before the rows are put in run order.
struct Met {
  TypeRow row;
  long long first_tile = std::numeric_limits<long long>::max();  // line of its first tile record
};

}  // namespace

TypeTable ReadTypeTable(const std::string& path) {
  TemplateFile file(path);
  ReadHeader(file);
  TypeTable table;
  std::vector<Met> met;
  const auto want = [&](const RecordKey& record) __attribute__((always_inline)) {
    const int number = table.numbers.FindOrAdd(record.key, record.short_key);
    if (static_cast<std::size_t>(number) == met.size()) {
      met.emplace_back();
      met.back().row.key_at = table.keys.size();
      met.back().row.key_size = static_cast<std::uint32_t>(record.key.size());
      table.keys += record.key;
    }
    Met& m = met[static_cast<std::size_t>(number)];
    if (!record.rectangle) m.first_tile = std::min(m.first_tile, record.line);
    return number;
  };
  const auto add = [&](int number, const Box& box, bool, std::size_t) {
    TypeRow& r = met[static_cast<std::size_t>(number)].row;
    r.cells += static_cast<std::uint32_t>((box.x2 - box.x1 + 1) * (box.y2 - box.y1 + 1));
    r.SetLayer(box.z);
  };
  for (;;) {
    const std::size_t from = file.Position();
    try {
      ReadRecords(file, want, add);
      break;
    } catch (const Fault&) {
      // A line a load would refuse counts for nothing here: showing its type reports it. The
      // reader has taken such a line whole; a fault that stops the reading itself (a NUL byte, a
      // line without end) ends the table, and the run's own read reports it.
      if (file.Position() == from) break;
    }
  }
  std::vector<std::int32_t> order(met.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), [&](std::int32_t a, std::int32_t b) {
    return met[static_cast<std::size_t>(a)].first_tile <
           met[static_cast<std::size_t>(b)].first_tile;
  });
  table.row.assign(met.size(), -1);
  for (const std::int32_t number : order) {
    const Met& m = met[static_cast<std::size_t>(number)];
    if (m.first_tile == std::numeric_limits<long long>::max()) break;
    table.row[static_cast<std::size_t>(number)] = static_cast<std::int32_t>(table.rows.size());
    table.rows.push_back(m.row);
  }
  return table;
}

}  // namespace quarnel
