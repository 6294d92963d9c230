#pragma once

#include <filesystem>
#include <set>
#include <string>
#include <string_view>
#include <tuple>

#include "editor/covered.h"
#include "editor/program.h"
#include "tests/support/window_record.h"

namespace quarnel::testing {

// A template file in a fresh temporary folder, removed again when the object goes.
class TempTemplate {
 public:
  explicit TempTemplate(std::string_view content, std::string_view name = "level.tmp");
  ~TempTemplate();
  TempTemplate(const TempTemplate&) = delete;
  TempTemplate& operator=(const TempTemplate&) = delete;

  // Replaces the file's content.
  void Write(std::string_view content) const;
  const std::string& Path() const { return path_; }
  const std::filesystem::path& Folder() const { return folder_; }

 private:
  std::filesystem::path folder_;
  std::string path_;
};

// Header lines followed by the given record lines, each ending in CR LF.
std::string Template(std::initializer_list<std::string_view> records,
                     std::string_view header1 = "Test map", std::string_view header2 = " v1");

using Cell = std::tuple<int, int, int>;  // column, row, layer

// Every set cell of the array.
std::set<Cell> SetCells(const TileArray& tilearray);

// A program with its own window record, pointed at `path`. A change of the output text is
// handled at once, as in the window.
struct TestProgram {
  WindowRecord window;
  Program program{window};
  explicit TestProgram(std::string path = {}) {
    window.path = std::move(path);
    window.on_output_change = [this] { OutputChanged(program); };
  }
};

}  // namespace quarnel::testing
