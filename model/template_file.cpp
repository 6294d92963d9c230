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

[[noreturn]] void CannotOpen(const std::string& path, const std::string& why) {
  throw Fault({path}, "cannot be opened: " + why);
}

// Opens a template for reading, refusing what is not a regular file before opening it.
std::FILE* OpenForReading(const std::string& path) {
  if (path.empty()) throw Fault({}, "No template chosen: the path box is empty.");
  std::error_code error;
  const auto status = std::filesystem::status(path, error);
  if (error) CannotOpen(path, error.message());
  if (std::filesystem::is_directory(status)) CannotOpen(path, "it is a folder, not a file");
  if (!std::filesystem::is_regular_file(status)) CannotOpen(path, "it is not a regular file");
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) CannotOpen(path, std::strerror(errno));
  return file;
}

}  // namespace

// Looks at eight bytes a step: lines are short, and this beats several memchr calls a line.
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

TemplateFile::TemplateFile(std::string path)
    : path_(std::move(path)), file_(OpenForReading(path_)), buffer_(kBufferSize) {
  data_ = buffer_.data();
}

TemplateFile::TemplateFile(std::string name, std::string_view text)
    : path_(std::move(name)), data_(text.data()), end_(text.size()), spent_(true) {}

std::string TemplateFile::ReadAll(const std::string& path) {
  const std::unique_ptr<std::FILE, Closer> file(OpenForReading(path));
  std::error_code ignored;
  const auto size = std::filesystem::file_size(path, ignored);
  // Read straight into the text; a file that changes meanwhile is read to its actual end.
  std::string text;
  text.reserve((ignored ? 0 : static_cast<std::size_t>(size)) + kBufferSize);  // room for the end
  text.resize(ignored ? 0 : static_cast<std::size_t>(size));
  std::size_t filled = std::fread(text.data(), 1, text.size(), file.get());
  while (filled == text.size() && !std::feof(file.get()) && !std::ferror(file.get())) {
    text.resize(filled + kBufferSize);
    filled += std::fread(text.data() + filled, 1, kBufferSize, file.get());
  }
  if (std::ferror(file.get())) throw Fault({path}, "cannot be read");
  text.resize(filled);
  return text;
}

void TemplateFile::SeekTo(std::size_t position, long long line_number) {
  line_number_ = line_number;
  if (!file_) {
    begin_ = position;
    return;
  }
  if (std::fseek(file_.get(), static_cast<long>(position), SEEK_SET) != 0) {
    throw Fault({path_, line_number + 1}, "cannot be read");
  }
  consumed_ = position;
  begin_ = end_ = 0;
  spent_ = false;
}

bool TemplateFile::Fill() {
  if (begin_ < end_) return true;
  if (spent_) return false;
  consumed_ += end_;
  begin_ = 0;
  end_ = std::fread(buffer_.data(), 1, buffer_.size(), file_.get());
  if (end_ < buffer_.size()) {
    if (std::ferror(file_.get())) throw Fault({path_, line_number_ + 1}, "cannot be read");
    spent_ = true;
  }
  return end_ > 0;
}

std::string_view TemplateFile::ReadLineSlowly() {
  carry_.clear();
  ++line_number_;
  line_end_ = {};
  while (Fill()) {
    const char* const start = data_ + begin_;
    const char* const stop = FindLineEnd(start, data_ + end_);
    if (stop == data_ + end_) {
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
    // Read the end before any refill below overwrites the buffer that `stop` points into.
    const char end_byte = *stop;
    const bool whole = carry_.empty();
    if (!whole || end_byte == '\r') carry_.append(start, length);
    if (end_byte == '\n') {
      line_end_ = kLf;
    } else {
      // A LF after this CR may only arrive with the next read; the line is safe in carry_.
      line_end_ = kCr;
      if (Fill() && data_[begin_] == '\n') {
        ++begin_;
        line_end_ = kCrLf;
      }
    }
    if (whole && end_byte == '\n') return {start, length};
    return carry_;
  }
  // The input ended without a line end.
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
