#include "shorten/template_records.h"

#include <algorithm>
#include <limits>

#include "model/fault.h"
#include "model/huge_pages.h"
#include "model/record_reader.h"
#include "model/template_file.h"
#include "shorten/edits.h"

namespace quarnel {
namespace {

// Reads every record of a template in file order. Returns the count of lines, header included.
// `number(key, short_key)` gives the type number of a key, or a negative number to stop reading,
// which then returns nothing. Keeps each record in `records`.
template <typename Number>
std::optional<long long> ReadAllRecords(const std::string& name, std::string_view text,
                                        Number number, Records& records) {
  if (text.size() > std::numeric_limits<std::uint32_t>::max()) {
    throw Fault({name}, "is too large to shorten: 4 GiB or more");
  }
  // Lines are some 16 bytes long; reserving spares most regrowth.
  records.clear();
  records.reserve(text.size() / 14);
  AdviseHugePages(records.data(), records.capacity() * sizeof(TemplateRecord));
  TemplateFile file(name, text);
  ReadHeader(file);
  const bool read = ReadRecords(
      file,
      [&](const RecordKey& record) {
        const int type = number(record.key, record.short_key);
        return type < 0 ? kStopReading : type;
      },
      [&](int type, const Box& box, bool plain, std::size_t offset) {
        // The further boxes of one line make it a scattered record, still one.
        if (!records.empty() && records.back().cells.offset == offset) {
          records.back().cells.MarkScattered();
          return;
        }
        records.push_back({static_cast<std::uint32_t>(type), RecordCells::Of(offset, box, plain)});
      });
  if (!read) return std::nullopt;
  return file.LineNumber();
}

}  // namespace

TemplateRecords ReadTemplateRecords(const std::string& name, std::string_view text) {
  TemplateRecords read;
  read.lines = *ReadAllRecords(
      name, text,
      [&](std::string_view key, std::uint64_t short_key) {
        const int type = read.keys.FindOrAdd(key, short_key);
        if (type == static_cast<int>(read.type_keys.size())) read.type_keys.emplace_back(key);
        return type;
      },
      read.records);
  return read;
}

std::optional<Records> ReadRecordsOfTypes(const std::string& name, std::string_view text,
                                          const TypeKeys& keys, Records spare) {
  std::vector<bool> seen(static_cast<std::size_t>(keys.Size()), false);
  const auto lines = ReadAllRecords(
      name, text,
      [&](std::string_view key, std::uint64_t short_key) {
        const int type = keys.Find(key, short_key);
        if (type >= 0) seen[static_cast<std::size_t>(type)] = true;
        return type;
      },
      spare);
  if (!lines || std::find(seen.begin(), seen.end(), false) != seen.end()) return std::nullopt;
  return spare;
}

ScatteredCells CellsOfScattered(std::string_view text, const RecordCells& record) {
  const std::string_view line = text.substr(record.offset, LineAt(text, record.offset).size);
  TemplateFile file("", line);
  const RectangleCells covered = RectangleRecordCells(file, SplitFields(file.ReadLine()));
  ScatteredCells cells;
  for (const int x : covered.columns) cells.columns |= std::uint64_t{1} << x;
  cells.rows = covered.rows;
  cells.rows.erase(std::unique(cells.rows.begin(), cells.rows.end()), cells.rows.end());
  cells.z = covered.z;
  return cells;
}

ByType::ByType(const Records& records, std::size_t types) : begin_(types + 1, 0) {
  for (const auto& r : records) ++begin_[r.type + 1];
  for (std::size_t t = 0; t < types; ++t) begin_[t + 1] += begin_[t];
  std::vector<std::uint32_t> next(begin_.begin(), begin_.end() - 1);
  grouped_ = std::make_unique_for_overwrite<RecordCells[]>(records.size());
  AdviseHugePages(grouped_.get(), records.size() * sizeof(RecordCells));
  for (const auto& r : records) grouped_[next[r.type]++] = r.cells;
}

}  // namespace quarnel
