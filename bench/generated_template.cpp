#include "bench/generated_template.h"

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <stdexcept>
#include <vector>

namespace quarnel::bench {

std::string TypeId1(int index) {
  return index == kLateType ? "late" : std::to_string(index / 7 + 1);
}
std::string TypeId2(int index) {
  return index == kLateType ? "1" : std::to_string(index % 7);
}

double PeakRssMiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

std::string GeneratedTemplate(const TemplateShape& shape) {
  const auto path = std::filesystem::temp_directory_path() /
                    ("quarnel-bench-" + std::to_string(shape.lines) + "-" +
                     std::to_string(shape.types) + "-" + std::to_string(shape.seed) + ".tmp");
  if (std::filesystem::exists(path)) return path.string();

  const auto partial = path.string() + ".part";
  {
    std::ofstream out(partial, std::ios::binary);
    out << "Generated map\r\n seed " << shape.seed << "\r\n";
    std::mt19937 random(shape.seed);
    std::uniform_int_distribution<int> type(0, shape.types - 1);
    std::uniform_int_distribution<int> cell(0, 50);
    std::uniform_int_distribution<int> layer(0, 100);
    std::uniform_int_distribution<int> bound(-3, 44);
    std::bernoulli_distribution rectangle(shape.rectangle_share);
    std::string line;
    for (long long i = 0; i < shape.lines; ++i) {
      // Every type gets a tile record early on, so that a run visits all of them.
      const bool late = i >= shape.lines - shape.lines / 100 && i % 50 == 0;
      const int t = i < shape.types ? static_cast<int>(i) : late ? kLateType : type(random);
      line.clear();
      if (i >= shape.types && rectangle(random)) {
        const int x = bound(random);
        const int y = bound(random);
        line += "TILEW " + TypeId1(t) + " " + TypeId2(t) + " " + std::to_string(x) + " " +
                std::to_string(x + 3) + " " + std::to_string(y) + " " + std::to_string(y + 2) +
                " " + std::to_string(layer(random));
      } else {
        line += TypeId1(t) + " " + TypeId2(t) + " " + std::to_string(cell(random)) + " " +
                std::to_string(cell(random)) + " " + std::to_string(layer(random));
      }
      out << line << "\r\n";
    }
    if (!out) throw std::runtime_error("cannot write " + partial);
  }
  std::filesystem::rename(partial, path);
  return path.string();
}

std::string DenseTemplate(long long records, int types, std::uint32_t seed) {
  const auto path = std::filesystem::temp_directory_path() /
                    ("quarnel-bench-dense-" + std::to_string(records) + "-" +
                     std::to_string(types) + "-" + std::to_string(seed) + ".tmp");
  if (std::filesystem::exists(path)) return path.string();

  std::mt19937 random(seed);
  std::uniform_int_distribution<int> corner(0, 39), side(1, 11), layer(0, 100);
  std::vector<std::string> lines;
  std::vector<std::uint8_t> taken(51 * 51 * 101);
  for (int t = 0; t < types; ++t) {
    std::fill(taken.begin(), taken.end(), 0);
    const std::string key = "t" + std::to_string(t) + " 1 ";
    for (long long cells = 0; cells < records / types;) {
      const int x = corner(random), y = corner(random), z = layer(random);
      const int width = side(random), height = side(random);
      for (int i = x; i < std::min(51, x + width); ++i) {
        for (int j = y; j < std::min(51, y + height); ++j) {
          auto& flag = taken[static_cast<std::size_t>(i + 51 * j + 2601 * z)];
          if (flag) continue;
          flag = 1;
          ++cells;
          lines.push_back(key + std::to_string(i) + " " + std::to_string(j) + " " +
                          std::to_string(z));
        }
      }
    }
  }
  std::shuffle(lines.begin(), lines.end(), random);

  const auto partial = path.string() + ".part";
  {
    std::ofstream out(partial, std::ios::binary);
    out << "Dense map\r\n seed " << seed << "\r\n";
    for (const auto& line : lines) out << line << "\r\n";
    if (!out) throw std::runtime_error("cannot write " + partial);
  }
  std::filesystem::rename(partial, path);
  return path.string();
}

long long CountLineEnds(const std::string& path) {
  struct Closer {
    void operator()(std::FILE* file) const { std::fclose(file); }
  };
  std::unique_ptr<std::FILE, Closer> file(std::fopen(path.c_str(), "rb"));
  if (!file) throw std::runtime_error("cannot open " + path);
  std::vector<char> buffer(1 << 16);
  long long count = 0;
  std::size_t got = 0;
  while ((got = std::fread(buffer.data(), 1, buffer.size(), file.get())) > 0) {
    const char* at = buffer.data();
    const char* const end = at + got;
    while ((
        at = static_cast<const char*>(std::memchr(at, '\n', static_cast<std::size_t>(end - at))))) {
      ++count;
      ++at;
    }
  }
  return count;
}

}  // namespace quarnel::bench
