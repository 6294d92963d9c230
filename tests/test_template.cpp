#include "tests/test_template.h"

#include <fstream>
#include <random>
#include <stdexcept>

namespace quarnel::testing {

TempTemplate::TempTemplate(std::string_view content, std::string_view name) {
  // A folder no other test process has: not named by the process id, which WebAssembly under
  // Node gives every process alike.
  static std::mt19937_64 random{std::random_device{}()};
  do {
    folder_ = std::filesystem::temp_directory_path() / ("quarnel-test-" + std::to_string(random()));
  } while (!std::filesystem::create_directory(folder_));
  path_ = (folder_ / name).string();
  Write(content);
}

TempTemplate::~TempTemplate() {
  std::error_code ignored;
  std::filesystem::remove_all(folder_, ignored);
}

void TempTemplate::Write(std::string_view content) const {
  std::ofstream out(path_, std::ios::binary | std::ios::trunc);
  out.write(content.data(), static_cast<std::streamsize>(content.size()));
  if (!out) throw std::runtime_error("cannot write " + path_);
}

std::string Template(std::initializer_list<std::string_view> records, std::string_view header1,
                     std::string_view header2) {
  std::string text = std::string(header1) + "\r\n" + std::string(header2) + "\r\n";
  for (const auto record : records) text.append(record).append("\r\n");
  return text;
}

std::set<Cell> SetCells(const TileArray& tilearray) {
  std::set<Cell> cells;
  for (int z = 0; z < kLayers; ++z) {
    if (!tilearray.LayerHasCells(z)) continue;
    for (int y = 0; y < kRows; ++y) {
      for (int x = 0; x < kColumns; ++x) {
        if (tilearray.At(x, y, z)) cells.emplace(x, y, z);
      }
    }
  }
  return cells;
}

}  // namespace quarnel::testing
