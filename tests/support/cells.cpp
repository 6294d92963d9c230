#include "tests/support/cells.h"

#include <algorithm>
#include <iterator>
#include <map>
#include <random>

#include "model/box_read.h"
#include "model/grid.h"
#include "shorten/cell_set.h"
#include "shorten/same_tiles.h"
#include "shorten/template_records.h"

namespace quarnel {

std::vector<TypeCells> ReadTypeCells(const std::string& name, std::string_view text) {
  const TemplateRecords read = ReadTemplateRecords(name, text);
  std::vector<TypeCells> result;
  CellSet cells;
  for (std::size_t t = 0; t < read.Types(); ++t) {
    for (const auto& r : read.by_type.Of(t)) {
      ForEachRow(text, r, [&](std::uint32_t row_start, std::uint64_t columns) {
        cells.AddRow(row_start, columns);
      });
    }
    TypeCells& type = result.emplace_back(TypeCells{std::string(read.Key(t)), {}});
    cells.TakeSorted(type.cells);
  }
  return result;
}

bool SameTiles(const std::string& first_name, std::string_view first,
               const std::string& second_name, std::string_view second) {
  TemplateRecords read = ReadTemplateRecords(first_name, first);
  return SameTilesAs(read, first, second_name, second);
}

std::optional<Difference> FirstDifference(const std::vector<TypeCells>& first,
                                          const std::vector<TypeCells>& second) {
  std::map<std::string_view, const std::vector<std::uint32_t>*> of_first;
  std::map<std::string_view, const std::vector<std::uint32_t>*> of_second;
  for (const auto& type : first) of_first.emplace(type.key, &type.cells);
  for (const auto& type : second) of_second.emplace(type.key, &type.cells);
  const std::vector<std::uint32_t> none;
  const auto apart = [&](const std::string& key, const std::vector<std::uint32_t>& a,
                         const std::vector<std::uint32_t>& b) -> std::optional<Difference> {
    std::vector<std::uint32_t> either;
    std::set_symmetric_difference(a.begin(), a.end(), b.begin(), b.end(),
                                  std::back_inserter(either));
    if (either.empty()) return std::nullopt;
    const GridCell cell = GridCell::FromIndex(either.front());
    return Difference{key, cell.x, cell.y, cell.z,
                      std::binary_search(a.begin(), a.end(), either.front())};
  };
  for (const auto& type : first) {
    const auto other = of_second.find(type.key);
    if (auto d = apart(type.key, type.cells, other == of_second.end() ? none : *other->second)) {
      return d;
    }
  }
  for (const auto& type : second) {
    if (of_first.contains(type.key)) continue;
    if (auto d = apart(type.key, none, type.cells)) return d;
  }
  return std::nullopt;
}

TileArray CoveredCells(std::string_view text, std::string_view key) {
  TileArray covered;
  ForEachBoxRecord(text, [&](std::string_view of, const Box& box) {
    if (of == key) covered.SetBox(box);
  });
  return covered;
}

std::string GeneratedTemplate(std::mt19937& random, int records) {
  std::string text = "Generated\r\n\r\n";
  std::uniform_int_distribution<int> cell(0, 12), layer(0, 3), type(0, 4), kind(0, 19);
  for (int i = 0; i < records; ++i) {
    const std::string ids = std::to_string(type(random)) + " 1";
    const std::string x = std::to_string(cell(random)), y = std::to_string(cell(random));
    const std::string z = std::to_string(layer(random));
    switch (kind(random)) {
      case 0:
        text += "TILEW " + ids + " " + x + " " + x + " " + y + " 9 " + z + "\n";
        break;
      case 1:
        text += ids + " " + x + " " + y + " " + z + " extra\r";
        break;
      case 2:
        text += ids + " 0" + x + " " + y + " " + z + "\r\n";
        break;
      default:
        text += ids + " " + x + " " + y + " " + z + "\r\n";
        break;
    }
  }
  return text;
}

}  // namespace quarnel
