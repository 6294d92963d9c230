#include "model/template_file.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <optional>
#include <system_error>

#include "model/fault.h"
#include "model/huge_pages.h"
#include "model/platform.h"

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
  const auto status = std::filesystem::status(platform::PathOf(path), error);
  // The portable reason, which every system words alike ("No such file or directory").
  if (error) CannotOpen(path, error.default_error_condition().message());
  if (std::filesystem::is_directory(status)) CannotOpen(path, "it is a folder, not a file");
  if (!std::filesystem::is_regular_file(status)) CannotOpen(path, "it is not a regular file");
  std::FILE* file = platform::OpenFile(path, "rb");
  if (!file) CannotOpen(path, std::strerror(errno));
  return file;
}

}  // namespace

TemplateFile::TemplateFile(std::string path)
    : path_(std::move(path)), file_(OpenForReading(path_)), buffer_(kBufferSize) {
  data_ = buffer_.data();
}

TemplateFile::TemplateFile(std::string name, std::string_view text)
    : path_(std::move(name)), data_(text.data()), end_(text.size()), spent_(true) {}

namespace {

// Reads `file` whole, at most `limit` bytes, checking each piece as it comes: a NUL byte or a
// line longer than a line may be is refused at once, by reading what came so far as a template,
// which names the line. Pieces are no longer than a line may be, so a line too long either holds
// a whole piece or reaches from one piece into the next: only the line that runs into each new
// piece needs measuring.
LargeText ReadChecked(std::FILE* file, const std::string& name, std::size_t limit,
                      std::size_t size_hint) {
  constexpr std::size_t kPiece = TemplateFile::kMaxLineSize;
  LargeText text;
  text.ReserveToFill(std::min(size_hint, limit) + 1);
  std::size_t line_start = 0;  // of the last line begun
  while (text.size() < limit) {
    const std::size_t filled = text.size();
    text.resize(filled + std::min(kPiece, limit - filled));
    const std::size_t got = std::fread(text.data() + filled, 1, text.size() - filled, file);
    text.resize(filled + got);
    if (got == 0) break;
    const char* const piece = text.data() + filled;
    const char* const first_end = FindLineEnd(piece, piece + got);
    const bool refused =
        static_cast<std::size_t>(first_end - text.data()) - line_start >
            TemplateFile::kMaxLineSize ||
        std::memchr(first_end, '\0', static_cast<std::size_t>(piece + got - first_end));
    for (const char* at = piece + got; at-- > first_end;) {
      if (*at == '\n' || *at == '\r') {
        line_start = static_cast<std::size_t>(at - text.data()) + 1;
        break;
      }
    }
    if (refused) {
      TemplateFile reader(name, text);
      while (!reader.AtEnd()) reader.ReadLine();  // throws where the line is
    }
  }
  if (std::ferror(file)) throw Fault({name}, "cannot be read");
  return text;
}

// The most a whole read takes here: what record offsets reach, or what memory holds.
std::uint64_t MaxSize() {
  return std::min<std::uint64_t>(TemplateFile::kMaxWholeSize, platform::MaxTextSize());
}

// Refuses a text larger than MaxSize(): `size`, or more than that where the size is not known.
void RefuseSize(const std::string& name, std::optional<std::uint64_t> size) {
  if (size && *size <= MaxSize()) return;
  const std::uint64_t mib = std::uint64_t{1} << 20;
  const std::string limit =
      MaxSize() == TemplateFile::kMaxWholeSize
          ? "smaller than 4 GiB"
          : "at most " + std::to_string(MaxSize() / mib) + " MiB in the memory this build can use";
  throw Fault(
      {name},
      "is too large: " + (size ? std::to_string(*size / mib) + " MiB, where a" : std::string("a")) +
          " template must be " + limit);
}

}  // namespace

LargeText TemplateFile::ReadAll(const std::string& path) {
  const std::unique_ptr<std::FILE, Closer> file(OpenForReading(path));
  const std::optional<std::uint64_t> size = platform::SizeOf(file.get());
  if (!size) CannotOpen(path, std::strerror(errno));
  RefuseSize(path, *size);
  // A file that grows while it is read is read as it was when opened.
  return ReadChecked(file.get(), path, static_cast<std::size_t>(*size),
                     static_cast<std::size_t>(*size));
}

LargeText TemplateFile::ReadStandardInput() {
  const std::string name = "standard input";
  const auto limit = static_cast<std::size_t>(MaxSize());
  LargeText text = ReadChecked(stdin, name, limit, 0);
  if (text.size() == limit && std::fgetc(stdin) != EOF) RefuseSize(name, std::nullopt);
  return text;
}

void TemplateFile::SeekTo(std::size_t position, long long line_number) {
  line_number_ = line_number;
  if (!file_) {
    begin_ = position;
    return;
  }
  if (!platform::SeekTo(file_.get(), position)) {
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
  while (Fill()) {
    const char* const start = data_ + begin_;
    const char* const stop = FindLineEnd(start, data_ + end_);
    if (stop == data_ + end_) {
      carry_.append(start, end_ - begin_);
      begin_ = end_;
      if (carry_.size() > kMaxLineSize) LineTooLong();
      continue;
    }
    const auto length = static_cast<std::size_t>(stop - start);
    if (carry_.size() + length > kMaxLineSize) LineTooLong();
    if (*stop == '\0') {
      throw Fault({path_, line_number_},
                  "holds a NUL byte at column " + std::to_string(carry_.size() + length + 1) +
                      ": text holds none, and this looks like binary data");
    }
    begin_ += length + 1;
    // Read the end before any refill below overwrites the buffer that `stop` points into.
    const char end_byte = *stop;
    const bool whole = carry_.empty();
    if (!whole || end_byte == '\r') carry_.append(start, length);
    // A LF after this CR may only arrive with the next read; the line is safe in carry_.
    if (end_byte == '\r' && Fill() && data_[begin_] == '\n') ++begin_;
    if (whole && end_byte == '\n') return {start, length};
    return carry_;
  }
  // The input ended without a line end.
  return carry_;
}

void TemplateFile::LineTooLong() const {
  throw Fault({path_, line_number_},
              "is longer than " + std::to_string(kMaxLineSize >> 20) +
                  " MiB: no template line comes near that, so this is no template");
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
