#include "model/template_file.h"

#include <bit>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "model/fault.h"

namespace quarnel {
namespace {

constexpr std::size_t kBufferSize = 1 << 16;

// The first CR, LF or NUL in [at, end), or end. Looks at eight bytes a step: lines are short, and
// this beats several memchr calls a line.
const char* FindLineEnd(const char* at, const char* const end) {
  if constexpr (std::endian::native == std::endian::little) {
    constexpr std::uint64_t kOnes = 0x0101010101010101u;
    constexpr std::uint64_t kHighs = 0x8080808080808080u;
    while (end - at >= 8) {
      std::uint64_t word;
      std::memcpy(&word, at, sizeof word);
      const std::uint64_t lf = word ^ (kOnes * '\n');
      const std::uint64_t cr = word ^ (kOnes * '\r');
      // The high bit of a byte is set where lf, cr or the word itself is zero, that is where the
      // word holds LF, CR or NUL; the lowest such bit is exact.
      const std::uint64_t found = ((lf - kOnes) & ~lf & kHighs) | ((cr - kOnes) & ~cr & kHighs) |
                                  ((word - kOnes) & ~word & kHighs);
      if (found) return at + std::countr_zero(found) / 8;
      at += 8;
    }
  }
  while (at < end && *at != '\n' && *at != '\r' && *at != '\0') ++at;
  return at;
}

[[noreturn]] void CannotOpen(const std::string& path, const std::string& why) {
  throw Fault({path}, "cannot be opened: " + why);
}

}  // namespace

TemplateFile::TemplateFile(std::string path) : path_(std::move(path)) {
  if (path_.empty()) throw Fault({}, "No template chosen: the path box is empty.");
  std::error_code error;
  const auto status = std::filesystem::status(path_, error);
  if (error) CannotOpen(path_, error.message());
  if (std::filesystem::is_directory(status)) CannotOpen(path_, "it is a folder, not a file");
  if (!std::filesystem::is_regular_file(status)) CannotOpen(path_, "it is not a regular file");
  file_.reset(std::fopen(path_.c_str(), "rb"));
  if (!file_) CannotOpen(path_, std::strerror(errno));
  buffer_.resize(kBufferSize);
}

bool TemplateFile::Fill() {
  while (true) {
    if (begin_ < end_) {
      if (skip_lf_) {
        skip_lf_ = false;
        if (buffer_[begin_] == '\n') {
          ++begin_;
          continue;
        }
      }
      return true;
    }
    if (spent_) return false;
    begin_ = 0;
    end_ = std::fread(buffer_.data(), 1, buffer_.size(), file_.get());
    if (end_ < buffer_.size()) {
      if (std::ferror(file_.get())) throw Fault({path_, line_number_ + 1}, "cannot be read");
      spent_ = true;
    }
  }
}

std::string_view TemplateFile::ReadLine() {
  carry_.clear();
  ++line_number_;
  while (Fill()) {
    const char* const start = buffer_.data() + begin_;
    const char* const stop = FindLineEnd(start, buffer_.data() + end_);
    if (stop == buffer_.data() + end_) {
      carry_.append(start, end_ - begin_);
      begin_ = end_;
      continue;
    }
    const auto length = static_cast<std::size_t>(stop - start);
    if (*stop == '\0') {
      throw Fault({path_, line_number_},
                  "holds a NUL byte at column " + std::to_string(carry_.size() + length + 1) +
                      ": a template is text, and this looks like binary data");
    }
    begin_ += length + 1;
    if (*stop == '\r') {
      if (begin_ < end_) {
        if (buffer_[begin_] == '\n') ++begin_;
      } else {
        skip_lf_ = true;
      }
    }
    if (carry_.empty()) return {start, length};
    carry_.append(start, length);
    break;
  }
  // The line ran across refills, or the file ended without a line end.
  return carry_;
}

std::string ReadHeader(TemplateFile& file) {
  std::string caption;
  for (int i = 0; i < 2; ++i) {
    if (file.AtEnd()) {
      throw Fault({file.Path(), file.LineNumber() + 1},
                  "the template ends before its two header lines");
    }
    caption += file.ReadLine();
  }
  return caption;
}

}  // namespace quarnel
