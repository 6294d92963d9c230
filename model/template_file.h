#pragma once

#include <bit>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "model/huge_pages.h"

namespace quarnel {

// The first CR, LF or NUL in [at, end), or end: the one scanner for line ends. Looks at 16 or 8
// bytes a step: lines are short, and this beats several memchr calls a line.
inline const char* FindLineEnd(const char* at, const char* const end) {
#if defined(__SSE2__)
  while (end - at >= 16) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
    const __m128i ends = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('\n')),
                                                   _mm_cmpeq_epi8(bytes, _mm_set1_epi8('\r'))),
                                      _mm_cmpeq_epi8(bytes, _mm_setzero_si128()));
    if (const auto found = static_cast<unsigned>(_mm_movemask_epi8(ends))) {
      return at + std::countr_zero(found);
    }
    at += 16;
  }
#endif
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

// Reads a template line by line as raw bytes, from a file or from text in memory. A line ends at
// CR LF, LF or CR; the end is not part of the line, and a last line without an end still counts.
// A NUL byte is a Fault: templates are text, and NULs mean binary data. A file is closed when the
// reader goes out of scope, whichever way that happens.
class TemplateFile {
 public:
  // No template line comes near this; a longer one is refused as soon as it is seen, so that a
  // file without line ends costs neither time nor memory.
  static constexpr std::size_t kMaxLineSize = std::size_t{1} << 20;

  // Throws Fault when the path is empty, missing, not a regular file or cannot be read. A FIFO or
  // device is refused before it is opened, so the caller never blocks on one.
  explicit TemplateFile(std::string path);
  // Reads `text`, which must outlive the reader; `name` stands for the file in messages.
  TemplateFile(std::string name, std::string_view text);

  // True when no line is left. Always ask before ReadLine.
  bool AtEnd() { return begin_ >= end_ && !Fill(); }
  // The next line, valid until the next call. Number of the line just read: LineNumber().
  std::string_view ReadLine() {
    // Most lines lie whole in the buffer and end in LF or CR LF: take those here, inline.
    if (begin_ < end_) {
      const char* const start = data_ + begin_;
      const char* const end = data_ + end_;
      const char* const stop = FindLineEnd(start, end);
      if (end - stop >= 2 && (*stop == '\n' || (*stop == '\r' && stop[1] == '\n')) &&
          static_cast<std::size_t>(stop - start) <= kMaxLineSize) {
        ++line_number_;
        begin_ = static_cast<std::size_t>(stop - data_) + (*stop == '\r' ? 2 : 1);
        return {start, static_cast<std::size_t>(stop - start)};
      }
    }
    return ReadLineSlowly();
  }

  long long LineNumber() const { return line_number_; }
  // Where the next line starts, counted in bytes from the start of the input.
  std::size_t Position() const { return consumed_ + begin_; }
  // Goes on from a line start found earlier, after `line_number` lines.
  void SeekTo(std::size_t position, long long line_number);

  // The unread bytes at hand, without reading more: for a reader that takes whole lines itself.
  std::string_view Unread() const { return {data_ + begin_, end_ - begin_}; }
  // Passes over one whole line of the unread bytes, `size` bytes long with its end.
  void Consume(std::size_t size) {
    begin_ += size;
    ++line_number_;
  }
  const std::string& Path() const { return path_; }

  // The most a whole read takes, 4 GiB less one byte: record offsets are 32 bits.
  static constexpr std::size_t kMaxWholeSize = std::numeric_limits<std::uint32_t>::max();

  // The whole file, with the same checks as opening it for reading. Refuses a file larger than
  // kMaxWholeSize from its size alone, reads no more than the size it had when opened, and stops
  // at a NUL byte or an over-long line as soon as it has read it, with the reader's own message.
  static LargeText ReadAll(const std::string& path);
  // Standard input, read whole the same way; messages name it "standard input".
  static LargeText ReadStandardInput();

 private:
  struct Closer {
    void operator()(std::FILE* file) const { std::fclose(file); }
  };

  std::string_view ReadLineSlowly();
  // Throws the Fault of a line longer than kMaxLineSize.
  [[noreturn]] void LineTooLong() const;
  // Makes sure unread bytes are at hand, unless the input is spent. Returns false at its end.
  bool Fill();

  std::string path_;
  std::unique_ptr<std::FILE, Closer> file_;  // none when reading from memory
  std::vector<char> buffer_;                 // what was last read from the file
  const char* data_ = nullptr;               // buffer_, or the text in memory
  std::size_t begin_ = 0;                    // first unread byte in data_
  std::size_t end_ = 0;                      // one past the last valid byte in data_
  std::size_t consumed_ = 0;                 // bytes of the file before data_
  bool spent_ = false;
  std::string carry_;  // a line that runs across buffer refills
  long long line_number_ = 0;
};

// Reads the two header lines and returns the caption they make: line 1 followed directly by
// line 2. Throws Fault when the file has fewer than two lines.
std::string ReadHeader(TemplateFile& file);

}  // namespace quarnel
