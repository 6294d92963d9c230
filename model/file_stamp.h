#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "model/platform.h"

namespace quarnel {

// What tells that a file changed: its size and the time it was last written.
struct FileStamp {
  std::uintmax_t size = 0;
  std::filesystem::file_time_type written{};

  bool operator==(const FileStamp&) const = default;
};

// The file's stamp now; nothing when it cannot be read.
inline std::optional<FileStamp> StampOf(const std::string& path) {
  std::error_code error;
  const std::filesystem::path file = platform::PathOf(path);
  const auto size = std::filesystem::file_size(file, error);
  if (error) return std::nullopt;
  const auto written = std::filesystem::last_write_time(file, error);
  if (error) return std::nullopt;
  return FileStamp{size, written};
}

}  // namespace quarnel
