#include "cli/shorten.h"

#include <algorithm>
#include <map>
#include <unordered_map>

#include "cover/cover.h"
#include "model/fault.h"
#include "model/records.h"
#include "model/template_file.h"
#include "model/template_format.h"
#include "model/tile_array.h"

namespace quarnel {
namespace {

constexpr std::uint32_t kLayerCells = kColumns * kRows;

std::uint32_t CellIndex(int x, int y, int z) {
  return static_cast<std::uint32_t>(TileArray::Index(x, y, z));
}

void SortUnique(std::vector<std::uint32_t>& cells) {
  std::sort(cells.begin(), cells.end());
  cells.erase(std::unique(cells.begin(), cells.end()), cells.end());
}

// A number field as the shortener may rewrite it: plain decimal digits, no sign, no leading zero.
bool IsPlainInteger(std::string_view text) {
  if (text.empty() || (text.size() > 1 && text[0] == '0')) return false;
  return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// A template read record by record: every record checked as its own type's load checks it.
struct ReadTemplate {
  struct Line {
    std::size_t offset;  // of the line in the text
    std::size_t size;    // with its line end
    std::string_view end;
  };
  struct PlainRecord {
    std::uint32_t cell;
    std::uint32_t line;
  };
  struct Type {
    std::string key;
    std::vector<std::uint32_t> cells;       // every cell of the type
    std::vector<std::uint32_t> kept_cells;  // cells of lines that stay as they are
    std::vector<PlainRecord> plain;         // plain tile records, in file order
  };

  std::vector<Line> lines;
  std::vector<Type> types;
  std::unordered_map<std::string, std::size_t> type_index;

  Type& TypeOf(std::string_view id1, std::string_view id2) {
    std::string key = std::string(id1) + " " + std::string(id2);
    const auto [at, added] = type_index.try_emplace(key, types.size());
    if (added) types.push_back({std::move(key), {}, {}, {}});
    return types[at->second];
  }

  ReadTemplate(const std::string& name, std::string_view text) {
    TemplateFile file(name, text);
    std::size_t offset = 0;
    const auto note_line = [&](std::string_view line) {
      lines.push_back({offset, line.size() + file.LineEnd().size(), file.LineEnd()});
      offset += lines.back().size;
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
      const auto line_index = static_cast<std::uint32_t>(lines.size() - 1);
      if (IsRectangleRecord(line)) {
        RequireIds(file, line, 1);
        const Fields fields = SplitFields(line);
        Type& type = TypeOf(fields[1], fields[2]);
        const RectangleCells covered = RectangleRecordCells(file, fields);
        for (const int column : covered.columns) {
          for (const int row : covered.rows) {
            type.cells.push_back(CellIndex(column, row, covered.z));
            type.kept_cells.push_back(type.cells.back());
          }
        }
      } else {
        RequireIds(file, line, 0);
        const Fields fields = SplitFields(line);
        Type& type = TypeOf(fields[0], fields[1]);
        const GridCell cell = TileRecordCell(file, fields);
        type.cells.push_back(CellIndex(cell.x, cell.y, cell.z));
        const bool plain = fields.count == 5 && IsPlainInteger(fields[2]) &&
                           IsPlainInteger(fields[3]) && IsPlainInteger(fields[4]);
        if (plain) {
          type.plain.push_back({type.cells.back(), line_index});
        } else {
          type.kept_cells.push_back(type.cells.back());
        }
      }
    }
    for (Type& type : types) {
      SortUnique(type.cells);
      SortUnique(type.kept_cells);
    }
  }
};

std::string RecordLine(const std::string& key, const Rect& r, int z, std::string_view end) {
  const auto bound = [](int index) { return std::to_string(index - kRectangleOffset); };
  return "TILEW " + key + " " + bound(r.x1) + " " + bound(r.x2) + " " + bound(r.y1) + " " +
         bound(r.y2) + " " + std::to_string(z) + std::string(end);
}

}  // namespace

std::vector<TypeCells> ReadTypeCells(const std::string& name, std::string_view text) {
  ReadTemplate read(name, text);
  std::vector<TypeCells> result;
  for (auto& type : read.types) result.push_back({type.key, std::move(type.cells)});
  return result;
}

Shortened Shorten(const std::string& name, std::string_view text) {
  const ReadTemplate read(name, text);
  const std::size_t line_count = read.lines.size();
  std::vector<bool> keep(line_count, true);
  std::vector<std::vector<std::string>> inserted(line_count);  // records written in a line's place
  Shortened result;

  std::vector<std::uint8_t> kept(TileArray::kSize, 0);  // cells of the type that stay covered
  std::vector<std::uint32_t> first_line(TileArray::kSize, 0);
  std::vector<std::uint8_t> merged(TileArray::kSize, 0);
  for (const auto& type : read.types) {
    for (const auto cell : type.kept_cells) kept[cell] = 1;
    // Plain records grouped by layer; the first record of each cell, in file order, stands for it.
    std::vector<ReadTemplate::PlainRecord> plain = type.plain;
    std::stable_sort(plain.begin(), plain.end(),
                     [](const auto& a, const auto& b) { return a.cell < b.cell; });
    for (std::size_t begin = 0; begin < plain.size();) {
      const std::uint32_t z = plain[begin].cell / kLayerCells;
      std::size_t end = begin;
      std::vector<int> must;
      while (end < plain.size() && plain[end].cell / kLayerCells == z) {
        const auto& record = plain[end];
        keep[record.line] = false;
        if (!kept[record.cell] && (must.empty() || must.back() != int(record.cell % kLayerCells))) {
          must.push_back(static_cast<int>(record.cell % kLayerCells));
          first_line[record.cell] = record.line;
        }
        ++end;
      }
      std::vector<int> allowed;
      const auto layer_begin =
          std::lower_bound(type.cells.begin(), type.cells.end(), z * kLayerCells);
      for (auto it = layer_begin; it != type.cells.end() && *it / kLayerCells == z; ++it) {
        allowed.push_back(static_cast<int>(*it % kLayerCells));
      }
      const LayerCover cover = CoverCells(must, allowed);
      result.summary.rectangles_found += static_cast<long long>(cover.rects.size());
      result.summary.rectangles_at_least += cover.lower_bound;
      std::vector<std::uint32_t> merged_cells;  // must cells taken by a rectangle record
      for (const Rect& r : cover.rects) {
        // A rectangle with one new cell saves no line: that cell keeps its plain record instead.
        std::vector<std::uint32_t> replaced;
        for (int y = r.y1; y <= r.y2; ++y) {
          for (int x = r.x1; x <= r.x2; ++x) {
            if (std::binary_search(must.begin(), must.end(), x + kColumns * y)) {
              replaced.push_back(CellIndex(x, y, static_cast<int>(z)));
            }
          }
        }
        if (replaced.size() < 2) continue;
        // Written where the first plain record it replaces stood.
        std::uint32_t place = UINT32_MAX;
        for (const auto cell : replaced) {
          merged[cell] = 1;
          merged_cells.push_back(cell);
          place = std::min(place, first_line[cell]);
        }
        inserted[place].push_back(
            RecordLine(type.key, r, static_cast<int>(z), read.lines[place].end));
        ++result.summary.records_written;
      }
      // A cell that no rectangle record took keeps its first plain record.
      for (const int cell : must) {
        const std::uint32_t index = z * kLayerCells + static_cast<std::uint32_t>(cell);
        if (!merged[index]) keep[first_line[index]] = true;
      }
      for (const auto cell : merged_cells) merged[cell] = 0;
      begin = end;
    }
    for (const auto cell : type.kept_cells) kept[cell] = 0;
  }

  std::string& out = result.text;
  out.reserve(text.size());
  for (std::size_t i = 0; i < line_count; ++i) {
    const auto& line = read.lines[i];
    for (std::size_t r = 0; r < inserted[i].size(); ++r) {
      std::string record = std::move(inserted[i][r]);
      // A record replacing a last line without a line end still needs one if more follow.
      if (line.end.empty() && (r + 1 < inserted[i].size() || keep[i])) record += "\r\n";
      out += record;
      ++result.summary.lines_after;
    }
    if (keep[i]) {
      out.append(text.substr(line.offset, line.size));
      ++result.summary.lines_after;
    }
  }
  result.summary.lines_before = static_cast<long long>(line_count);

  // The check that makes the result safe to use: the same cells for every type, read back with
  // the loader's own rules.
  std::map<std::string, std::vector<std::uint32_t>> before;
  for (const auto& type : read.types) before[type.key] = type.cells;
  std::map<std::string, std::vector<std::uint32_t>> after;
  for (auto& type : ReadTypeCells(name + " (shortened)", out))
    after[type.key] = std::move(type.cells);
  if (before != after) {
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
