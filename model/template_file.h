#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace quarnel {

// Reads a template line by line as raw bytes. A line ends at CR LF, LF or CR; the end is not part
// of the line, and a last line without an end still counts. A NUL byte is a Fault: templates are
// text, and NULs mean binary data. The file is closed when the reader
// goes out of scope, whichever way that happens.
class TemplateFile {
 public:
  // Throws Fault when the path is empty, missing, not a regular file or cannot be read. A FIFO or
  // device is refused before it is opened, so the caller never blocks on one.
  explicit TemplateFile(std::string path);

  // True when no line is left. Always ask before ReadLine.
  bool AtEnd() { return (begin_ >= end_ || skip_lf_) && !Fill(); }
  // The next line, valid until the next call. Number of the line just read: LineNumber().
  std::string_view ReadLine();

  long long LineNumber() const { return line_number_; }
  const std::string& Path() const { return path_; }

 private:
  struct Closer {
    void operator()(std::FILE* file) const { std::fclose(file); }
  };

  // Makes sure unread bytes are in the buffer, unless the file is spent. Returns false at its end.
  bool Fill();

  std::string path_;
  std::unique_ptr<std::FILE, Closer> file_;
  std::vector<char> buffer_;
  std::size_t begin_ = 0;  // first unread byte in buffer_
  std::size_t end_ = 0;    // one past the last valid byte in buffer_
  bool skip_lf_ = false;   // the last line ended in CR at the end of a buffer: a LF may follow
  bool spent_ = false;
  std::string carry_;  // a line that runs across buffer refills
  long long line_number_ = 0;
};

// Reads the two header lines and returns the caption they make: line 1 followed directly by
// line 2. Throws Fault when the file has fewer than two lines.
std::string ReadHeader(TemplateFile& file);

}  // namespace quarnel
