#include "shorten/template_records.h"

#include <algorithm>
#include <limits>

#include "model/fault.h"
#include "model/huge_pages.h"
#include "model/record_reader.h"
#include "model/template_file.h"
#include "shorten/edits.h"
#include "shorten/side_by_side.h"

namespace quarnel {
namespace {

// Reads every record of `part`, the text of a template from offset `begin` on, in file order; the
// header lines too when `begin` is 0. Returns the count of its lines. `number(key)` gives the
// type number of a key, or a negative number to stop reading, which then returns nothing. Keeps
// each record in `kept`.
template <typename Number>
std::optional<long long> ReadPart(const std::string& name, std::string_view part, std::size_t begin,
                                  Number number, Records& kept) {
  // Filled here, on the reading thread's own stack: a vector the other part's thread writes next
  // to would share a cache line with it, and every record would move that line between the two.
  Records records = std::move(kept);
  // Lines are some 16 bytes long; reserving spares most regrowth.
  records.clear();
  records.reserve(part.size() / 14);
  TemplateFile file(name, part);
  if (begin == 0) ReadHeader(file);
  const bool read = ReadRecords(
      file,
      [&](const RecordKey& record) {
        const int type = number(record.key);
        return type < 0 ? kStopReading : type;
      },
      [&](int type, const Box& box, bool plain, std::size_t offset) {
        // A further box of one line makes it a scattered record, still one: no more are wanted.
        if (!records.empty() && records.back().cells.offset == begin + offset) {
          records.back().cells.MarkScattered();
          return false;
        }
        records.push_back(
            {static_cast<std::uint32_t>(type), RecordCells::Of(begin + offset, box, plain)});
        return true;
      });
  kept = std::move(records);
  if (!read) return std::nullopt;
  return file.LineNumber();
}

// Where a template is cut in two to be read side by side: just after the first LF from its middle
// on, which always ends a line, and after the header lines. 0 to read it whole.
std::size_t CutPoint(const std::string& name, std::string_view text) {
  if (text.size() < kSideBySideFrom) return 0;
  TemplateFile file(name, text);
  for (int header = 0; header < 2 && !file.AtEnd(); ++header) file.ReadLine();
  const std::size_t lf = text.find('\n', std::max(file.Position(), text.size() / 2));
  return lf == std::string_view::npos || lf + 1 == text.size() ? 0 : lf + 1;
}

// Reads a template whole, or in two parts side by side where CutPoint says so:
// `read_part(index, part, begin)` reads part `index`, the text from offset `begin` on, as ReadPart
// does. Returns the count of lines, or nothing if a part stopped. A fault names its line in the
// whole template, and the first fault in the file is the one thrown.
template <typename ReadOnePart>
std::optional<long long> ReadInParts(const std::string& name, std::string_view text,
                                     ReadOnePart read_part) {
  if (text.size() > std::numeric_limits<std::uint32_t>::max()) {
    throw Fault({name}, "is too large to shorten: 4 GiB or more");
  }
  const std::size_t cut = CutPoint(name, text);
  if (cut == 0) return read_part(0, text, 0);
  std::optional<long long> lines[2];
  std::optional<Fault> second_fault;  // its line counted from the cut
  SideBySide(2, [&](int index) {
    if (index == 0) {
      lines[0] = read_part(0, text.substr(0, cut), 0);
      return;
    }
    try {
      lines[1] = read_part(1, text.substr(cut), cut);
    } catch (const Fault& fault) {
      second_fault = fault;
    }
  });
  if (!lines[0]) return std::nullopt;
  if (second_fault) {
    FaultPlace place = second_fault->place();
    place.line += *lines[0];
    throw Fault(std::move(place), second_fault->problem());
  }
  if (!lines[1]) return std::nullopt;
  return *lines[0] + *lines[1];
}

}  // namespace

TemplateRecords ReadTemplateRecords(const std::string& name, std::string_view text) {
  struct Part {
    TypeKeys keys;  // each part numbers its types on its own
    Records records;
  };
  Part parts[2];
  const auto lines =
      ReadInParts(name, text, [&](int index, std::string_view part, std::size_t begin) {
        Part& read = parts[index];
        return ReadPart(
            name, part, begin, [&](const TypeKey& key) { return read.keys.FindOrAdd(key); },
            read.records);
      });
  TemplateRecords read;
  read.lines = *lines;
  read.keys = std::move(parts[0].keys);
  read.as_read_.push_back(std::move(parts[0].records));
  if (parts[1].keys.Size() > 0 || !parts[1].records.empty()) {
    // The second part's types, numbered on from the first's in the order of their first records.
    const std::vector<std::uint32_t> renumbered = read.keys.FindOrAddAll(parts[1].keys);
    Records& second = read.as_read_.emplace_back(std::move(parts[1].records));
    for (auto& record : second) record.type = renumbered[record.type];
  }
  read.by_type = ByType(read.as_read_, read.Types());
  return read;
}

std::optional<ByType> ReadGroupedLike(const std::string& name, std::string_view text,
                                      TemplateRecords& like) {
  const TypeKeys& keys = like.keys;
  RecordParts parts = std::move(like.as_read_);
  parts.resize(2);
  std::vector<bool> seen[2];
  const auto lines =
      ReadInParts(name, text, [&](int index, std::string_view part, std::size_t begin) {
        std::vector<bool>& part_seen = seen[index];
        part_seen.assign(static_cast<std::size_t>(keys.Size()), false);
        std::size_t next = 0;  // the type after the last one met
        return ReadPart(
            name, part, begin,
            [&](const TypeKey& key) {
              // A template compared with the one it came from meets its types in much the same
              // order: the type after the last one met is tried before the table, which a
              // million types make a cache miss a look-up.
              const int type = next < static_cast<std::size_t>(keys.Size()) &&
                                       keys.Key(static_cast<int>(next)) == key
                                   ? static_cast<int>(next)
                                   : keys.Find(key);
              if (type >= 0) {
                part_seen[static_cast<std::size_t>(type)] = true;
                next = static_cast<std::size_t>(type) + 1;
              }
              return type;
            },
            parts[static_cast<std::size_t>(index)]);
      });
  if (!lines) return std::nullopt;
  for (std::size_t type = 0; type < static_cast<std::size_t>(keys.Size()); ++type) {
    if (!seen[0][type] && (seen[1].empty() || !seen[1][type])) return std::nullopt;
  }
  if (seen[1].empty()) parts.pop_back();  // read whole
  return ByType(parts, like.Types());
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

ByType::ByType(const RecordParts& parts, std::size_t types) : begin_(types + 1, 0) {
  // The parts are grouped side by side, the first part's records of a type before the second's.
  const int count = static_cast<int>(parts.size());
  LargeVector<std::uint32_t> next[2];
  SideBySide(count, [&](int p) {
    next[p].assign(types, 0);
    for (const auto& r : parts[p]) ++next[p][r.type];
  });
  std::uint32_t at = 0;
  for (std::size_t t = 0; t < types; ++t) {
    begin_[t] = at;
    for (int p = 0; p < count; ++p) {
      const std::uint32_t records = next[p][t];
      next[p][t] = at;
      at += records;
    }
  }
  begin_[types] = at;
  grouped_.resize(at);
  SideBySide(count, [&](int p) {
    for (const auto& r : parts[p]) grouped_[next[p][r.type]++] = r.cells;
  });
}

std::size_t ByType::HalfwayType() const {
  const auto half = std::lower_bound(begin_.begin(), begin_.end(), begin_.back() / 2);
  return static_cast<std::size_t>(half - begin_.begin());
}

// The types each of two parts works on: all for one part, else about half the records each.
std::pair<std::size_t, std::size_t> TypesOfPart(const ByType& by_type, std::size_t types, int parts,
                                                int index) {
  if (parts < 2) return {0, types};
  const std::size_t cut = std::min(by_type.HalfwayType(), types);
  return index == 0 ? std::pair{std::size_t{0}, cut} : std::pair{cut, types};
}

// How many parts, side by side, a template of this size is worked on in.
int PartsFor(std::string_view text) {
  return text.size() >= kSideBySideFrom ? 2 : 1;
}

}  // namespace quarnel
