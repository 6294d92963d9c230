#include "cli/shorten.h"

#include <algorithm>
#include <functional>
#include <map>
#include <optional>
#include <span>

#include "cover/cover.h"
#include "model/fault.h"
#include "model/records.h"
#include "model/template_file.h"
#include "model/template_format.h"
#include "model/tile_array.h"
#include "model/type_keys.h"

namespace quarnel {
namespace {

constexpr std::uint32_t kLayerCells = kColumns * kRows;

std::uint32_t CellIndex(int x, int y, int z) {
  return static_cast<std::uint32_t>(TileArray::Index(x, y, z));
}

// A number field as the shortener may rewrite it: plain decimal digits, no sign, no leading zero.
bool IsPlainInteger(std::string_view text) {
  if (text.empty() || (text.size() > 1 && text[0] == '0')) return false;
  return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// "id1 id2" of a record whose ids are fields `first` and `first` + 1, as it stands in the line.
std::string_view KeyOf(std::string_view line, const Fields& fields, int first) {
  const auto begin = static_cast<std::size_t>(fields[first].data() - line.data());
  const auto end =
      static_cast<std::size_t>(fields[first + 1].data() - line.data()) + fields[first + 1].size();
  return line.substr(begin, end - begin);
}

// A plain tile record "id1 id2 x y z" read in one pass over its bytes: exactly five fields, with
// x, y and z plain decimal integers (no sign, no leading zero) inside the grid. For such a line
// this is what the record functions give; any other line returns nothing and goes their way.
struct PlainTile {
  std::string_view key;
  std::uint32_t cell;
};
std::optional<PlainTile> LexPlainTile(std::string_view line) {
  const char* const begin = line.data();
  const char* const end = begin + line.size();
  const char* at = begin;
  for (int space = 0; space < 2; ++space) {
    while (at < end && *at != ' ') ++at;
    if (at == end) return std::nullopt;
    ++at;
  }
  const std::string_view key(begin, static_cast<std::size_t>(at - 1 - begin));
  int values[3];
  for (int i = 0; i < 3; ++i) {
    const char* const start = at;
    int value = 0;
    while (at < end && at - start < 3 && *at >= '0' && *at <= '9')
      value = value * 10 + (*at++ - '0');
    if (at == start || (at - start > 1 && *start == '0')) return std::nullopt;
    if (i < 2) {
      if (at == end || *at != ' ') return std::nullopt;
      ++at;
    } else if (at != end) {
      return std::nullopt;
    }
    values[i] = value;
  }
  if (values[0] >= kColumns || values[1] >= kRows || values[2] >= kLayers) return std::nullopt;
  return PlainTile{key, CellIndex(values[0], values[1], values[2])};
}

// A template read as every load of it would read it: each record checked as a load of its own
// type checks it, and every cell each record gives, in file order.
struct ReadTemplate {
  // Lines follow each other in the text, so a line's size places the next one.
  struct Line {
    std::uint32_t size;  // with its line end
    std::uint8_t end;    // index into kLineEnds
  };
  static constexpr long long kMaxLines = (1LL << 31) - 1;  // line numbers fit in 31 bits
  static constexpr std::string_view kLineEnds[] = {"", "\n", "\r", "\r\n"};
  static std::uint8_t EndIndex(std::string_view end) {
    return static_cast<std::uint8_t>(end.empty()       ? 0
                                     : end.size() == 2 ? 3
                                     : end[0] == '\n'  ? 1
                                                       : 2);
  }
  // Twelve bytes: a million records are read twice, and less memory to touch is less time.
  struct CellRecord {
    std::uint32_t type;
    std::uint32_t cell;
    std::uint32_t line : 31;
    std::uint32_t plain : 1;  // from a plain tile record, which the shortener may merge
  };

  std::vector<Line> lines;
  TypeKeys keys;
  std::vector<std::string> type_keys;  // by type number: the order of first records
  std::vector<CellRecord> records;

  std::uint32_t TypeOf(std::string_view key) {
    const int number = keys.FindOrAdd(key);
    if (number == static_cast<int>(type_keys.size())) type_keys.emplace_back(key);
    return static_cast<std::uint32_t>(number);
  }

  // `keep_lines`: note where each line stands, to copy lines out later.
  ReadTemplate(const std::string& name, std::string_view text, bool keep_lines = true) {
    TemplateFile file(name, text);
    // Lines are some 16 bytes long; reserving spares most regrowth.
    if (keep_lines) lines.reserve(text.size() / 12 + 2);
    records.reserve(text.size() / 12);
    const auto note_line = [&](std::string_view line) {
      if (!keep_lines) return;
      lines.push_back({static_cast<std::uint32_t>(line.size() + file.LineEnd().size()),
                       EndIndex(file.LineEnd())});
    };
    for (int header = 0; header < 2; ++header) {
      if (file.AtEnd()) {
        throw Fault({name, file.LineNumber() + 1}, "the template ends before its two header lines");
      }
      note_line(file.ReadLine());
    }
    while (!file.AtEnd()) {
      const std::string_view line = file.ReadLine();
      note_line(line);
      if (file.LineNumber() > kMaxLines) {
        throw Fault({name, file.LineNumber()}, "the template has too many lines to shorten");
      }
      const auto line_index = static_cast<std::uint32_t>(file.LineNumber() - 1);
      if (IsRectangleRecord(line)) {
        RequireIds(file, line, 1);
        const Fields fields = SplitFields(line);
        const std::uint32_t type = TypeOf(KeyOf(line, fields, 1));
        const RectangleCells covered = RectangleRecordCells(file, fields);
        for (const int column : covered.columns) {
          for (const int row : covered.rows) {
            records.push_back({type, CellIndex(column, row, covered.z), line_index, false});
          }
        }
      } else if (const auto tile = LexPlainTile(line)) {
        records.push_back({TypeOf(tile->key), tile->cell, line_index, true});
      } else {
        RequireIds(file, line, 0);
        // Six fields tell whether the record has exactly five.
        const Fields fields = SplitFields(line, 6);
        const std::uint32_t type = TypeOf(KeyOf(line, fields, 0));
        const GridCell cell = TileRecordCell(file, fields);
        const bool plain = fields.count == 5 && IsPlainInteger(fields[2]) &&
                           IsPlainInteger(fields[3]) && IsPlainInteger(fields[4]);
        records.push_back({type, CellIndex(cell.x, cell.y, cell.z), line_index, plain});
      }
    }
  }
};

// Records grouped by type number, file order kept within a type: type t's records are
// grouped[begin[t] .. begin[t + 1]). `type_of` gives a record's group.
struct ByType {
  std::vector<std::uint32_t> begin;
  std::vector<ReadTemplate::CellRecord> grouped;

  template <typename TypeOf>
  ByType(const std::vector<ReadTemplate::CellRecord>& records, std::size_t types, TypeOf type_of)
      : begin(types + 1, 0), grouped(records.size()) {
    for (const auto& r : records) ++begin[type_of(r) + 1];
    for (std::size_t t = 0; t < types; ++t) begin[t + 1] += begin[t];
    std::vector<std::uint32_t> next(begin.begin(), begin.end() - 1);
    for (const auto& r : records) grouped[next[type_of(r)]++] = r;
  }
  auto Of(std::size_t type) const {
    return std::span(grouped.begin() + begin[type], grouped.begin() + begin[type + 1]);
  }
};

std::string RecordLine(const std::string& key, const Rect& r, int z, std::string_view end) {
  const auto bound = [](int index) { return std::to_string(index - kRectangleOffset); };
  return "TILEW " + key + " " + bound(r.x1) + " " + bound(r.x2) + " " + bound(r.y1) + " " +
         bound(r.y2) + " " + std::to_string(z) + std::string(end);
}

// Whether `after` gives every type of `before` (grouped in `old_cells`) exactly the same cells,
// and no other type.
bool SameTiles(const ReadTemplate& before, const ByType& old_cells, const ReadTemplate& after) {
  if (after.type_keys.size() != before.type_keys.size()) return false;
  std::vector<std::uint32_t> to_before(after.type_keys.size());
  for (std::size_t t = 0; t < after.type_keys.size(); ++t) {
    const int number = before.keys.Find(after.type_keys[t]);
    if (number == TypeKeys::kAbsent) return false;
    to_before[t] = static_cast<std::uint32_t>(number);
  }
  const std::size_t types = before.type_keys.size();
  const ByType new_cells(after.records, types, [&](const auto& r) { return to_before[r.type]; });
  std::vector<std::uint8_t> mark(TileArray::kSize, 0);  // 1: before, 2: after
  for (std::size_t t = 0; t < types; ++t) {
    for (const auto& r : old_cells.Of(t)) mark[r.cell] |= 1;
    for (const auto& r : new_cells.Of(t)) mark[r.cell] |= 2;
    bool same = true;
    for (const auto& r : old_cells.Of(t)) same = same && mark[r.cell] == 3;
    for (const auto& r : new_cells.Of(t)) same = same && mark[r.cell] == 3;
    if (!same) return false;
    for (const auto& r : old_cells.Of(t)) mark[r.cell] = 0;
    for (const auto& r : new_cells.Of(t)) mark[r.cell] = 0;
  }
  return true;
}

}  // namespace

std::vector<TypeCells> ReadTypeCells(const std::string& name, std::string_view text) {
  const ReadTemplate read(name, text, false);
  const ByType by_type(read.records, read.type_keys.size(), [](const auto& r) { return r.type; });
  std::vector<TypeCells> result;
  for (std::size_t t = 0; t < read.type_keys.size(); ++t) {
    TypeCells type{read.type_keys[t], {}};
    for (const auto& r : by_type.Of(t)) type.cells.push_back(r.cell);
    std::sort(type.cells.begin(), type.cells.end());
    type.cells.erase(std::unique(type.cells.begin(), type.cells.end()), type.cells.end());
    result.push_back(std::move(type));
  }
  return result;
}

Shortened Shorten(const std::string& name, std::string_view text) {
  const ReadTemplate read(name, text);
  const std::size_t line_count = read.lines.size();
  const std::size_t types = read.type_keys.size();
  const ByType by_type(read.records, types, [](const auto& r) { return r.type; });
  std::vector<bool> keep(line_count, true);
  struct Inserted {
    std::uint32_t place;  // the line whose place the record takes
    std::string record;
  };
  std::vector<Inserted> inserted;
  Shortened result;

  // Scratch marks over the whole grid, cleared after each type.
  std::vector<std::uint8_t> kept(TileArray::kSize, 0);    // stays covered by a line kept as is
  std::vector<std::uint8_t> listed(TileArray::kSize, 0);  // 1: in `allowed`, 2: in `must` too
  std::vector<std::uint8_t> merged(TileArray::kSize, 0);  // taken by a rectangle record
  std::vector<std::uint32_t> first_line(TileArray::kSize, 0);
  std::vector<std::vector<int>> must(kLayers), allowed(kLayers);
  std::vector<int> layers;              // layers with plain records, in the order met
  std::vector<std::uint32_t> taken;     // must cells taken by a rectangle record, on one layer
  std::vector<std::uint32_t> replaced;  // must cells of one rectangle

  for (std::size_t t = 0; t < types; ++t) {
    const auto records = by_type.Of(t);
    for (const auto& r : records) {
      if (!r.plain) kept[r.cell] = 1;
    }
    for (const auto& r : records) {
      const auto z = static_cast<int>(r.cell / kLayerCells);
      const auto local = static_cast<int>(r.cell % kLayerCells);
      if (!listed[r.cell]) {
        listed[r.cell] = 1;
        allowed[z].push_back(local);
      }
      if (!r.plain) continue;
      keep[r.line] = false;  // unless it turns out to be needed below
      if (kept[r.cell] || listed[r.cell] == 2) continue;
      listed[r.cell] = 2;
      first_line[r.cell] = r.line;  // the first plain record of the cell stands for it
      if (must[z].empty()) layers.push_back(z);
      must[z].push_back(local);
    }

    for (const int z : layers) {
      std::sort(must[z].begin(), must[z].end());
      const LayerCover cover = CoverCells(must[z], allowed[z]);
      result.summary.rectangles_found += static_cast<long long>(cover.rects.size());
      result.summary.rectangles_at_least += cover.lower_bound;
      taken.clear();
      for (const Rect& r : cover.rects) {
        // A rectangle with one new cell saves no line: that cell keeps its plain record instead.
        replaced.clear();
        for (int y = r.y1; y <= r.y2; ++y) {
          for (int x = r.x1; x <= r.x2; ++x) {
            if (std::binary_search(must[z].begin(), must[z].end(), x + kColumns * y)) {
              replaced.push_back(CellIndex(x, y, z));
            }
          }
        }
        if (replaced.size() < 2) continue;
        // Written where the first plain record it replaces stood.
        std::uint32_t place = UINT32_MAX;
        for (const auto cell : replaced) {
          merged[cell] = 1;
          taken.push_back(cell);
          place = std::min(place, first_line[cell]);
        }
        inserted.push_back({place, RecordLine(read.type_keys[t], r, z,
                                              ReadTemplate::kLineEnds[read.lines[place].end])});
        ++result.summary.records_written;
      }
      // A cell that no rectangle record took keeps its first plain record.
      for (const int cell : must[z]) {
        const std::uint32_t index =
            static_cast<std::uint32_t>(z) * kLayerCells + static_cast<std::uint32_t>(cell);
        if (!merged[index]) keep[first_line[index]] = true;
      }
      for (const auto cell : taken) merged[cell] = 0;
      must[z].clear();
    }
    for (const auto& r : records) {
      kept[r.cell] = 0;
      listed[r.cell] = 0;
      allowed[r.cell / kLayerCells].clear();
    }
    layers.clear();
  }

  std::stable_sort(inserted.begin(), inserted.end(),
                   [](const Inserted& a, const Inserted& b) { return a.place < b.place; });
  std::string& out = result.text;
  out.reserve(text.size());
  auto next_record = inserted.begin();
  std::size_t line_offset = 0;
  for (std::size_t i = 0; i < line_count; ++i) {
    const auto& line = read.lines[i];
    const std::size_t offset = line_offset;
    line_offset += line.size;
    for (; next_record != inserted.end() && next_record->place == i; ++next_record) {
      // A record replacing a last line without a line end still needs one if more follow.
      if (next_record != inserted.begin() && line.end == 0 && (next_record - 1)->place == i) {
        out += "\r\n";
      }
      out += next_record->record;
      ++result.summary.lines_after;
    }
    if (keep[i]) {
      out.append(text.substr(offset, line.size));
      ++result.summary.lines_after;
    }
  }
  result.summary.lines_before = static_cast<long long>(line_count);

  // The check that makes the result safe to use: the same cells for every type, read back with
  // the loader's own rules.
  if (!SameTiles(read, by_type, ReadTemplate(name + " (shortened)", out, false))) {
    throw Fault({name}, "the shortened template would not hold the same tiles; nothing is written");
  }
  return result;
}

std::optional<Difference> FirstDifference(const std::vector<TypeCells>& first,
                                          const std::vector<TypeCells>& second) {
  std::map<std::string, const std::vector<std::uint32_t>*> in_second;
  for (const auto& type : second) in_second[type.key] = &type.cells;
  std::map<std::string, const std::vector<std::uint32_t>*> in_first;
  for (const auto& type : first) in_first[type.key] = &type.cells;

  const std::vector<std::uint32_t> none;
  const auto compare = [&](const std::string& key, const std::vector<std::uint32_t>& a,
                           const std::vector<std::uint32_t>& b) -> std::optional<Difference> {
    auto ia = a.begin();
    auto ib = b.begin();
    while (ia != a.end() || ib != b.end()) {
      if (ib == b.end() || (ia != a.end() && *ia < *ib)) {
        return Difference{key, int(*ia % kColumns), int(*ia / kColumns % kRows),
                          int(*ia / kLayerCells), true};
      }
      if (ia == a.end() || *ib < *ia) {
        return Difference{key, int(*ib % kColumns), int(*ib / kColumns % kRows),
                          int(*ib / kLayerCells), false};
      }
      ++ia;
      ++ib;
    }
    return std::nullopt;
  };
  for (const auto& type : first) {
    const auto found = in_second.find(type.key);
    if (auto d = compare(type.key, type.cells, found == in_second.end() ? none : *found->second)) {
      return d;
    }
  }
  for (const auto& type : second) {
    if (in_first.contains(type.key)) continue;
    if (auto d = compare(type.key, none, type.cells)) return d;
  }
  return std::nullopt;
}

}  // namespace quarnel
