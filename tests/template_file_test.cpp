#include "model/template_file.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "model/fault.h"
#include "model/huge_pages.h"
#include "tests/test_template.h"

namespace quarnel {
namespace {

using testing::TempTemplate;

// Each line of `content` followed by the line end the reader passed over, in brackets, read from
// memory and from a file alike.
std::vector<std::string> LinesAndEnds(TemplateFile& file, const std::string& content) {
  std::vector<std::string> lines;
  while (!file.AtEnd()) {
    const std::size_t start = file.Position();
    std::string line(file.ReadLine());
    for (std::size_t at = start + line.size(); at < file.Position(); ++at) {
      line += content[at] == '\r' ? "[CR]" : content[at] == '\n' ? "[LF]" : "[?]";
    }
    lines.push_back(line);
  }
  return lines;
}

TEST(TemplateFile, EndsLinesAtCrLfLfOrCr) {
  const struct {
    std::string content;
    std::vector<std::string> lines;
  } cases[] = {
      {"", {}},
      {"a\r\nb\r\n", {"a[CR][LF]", "b[CR][LF]"}},
      {"a\nb\n", {"a[LF]", "b[LF]"}},
      {"a\rb\r", {"a[CR]", "b[CR]"}},
      {"a\r\n\r\nb", {"a[CR][LF]", "[CR][LF]", "b"}},
      {"a\n\rb", {"a[LF]", "[CR]", "b"}},
      {"a\r\rb", {"a[CR]", "[CR]", "b"}},
      {"last line without end", {"last line without end"}},
  };
  for (const auto& c : cases) {
    TempTemplate on_disk(c.content);
    TemplateFile from_file(on_disk.Path());
    EXPECT_EQ(LinesAndEnds(from_file, c.content), c.lines) << c.content;
    TemplateFile from_memory("memory", c.content);
    EXPECT_EQ(LinesAndEnds(from_memory, c.content), c.lines) << c.content;
  }
}

TEST(TemplateFile, JoinsLinesAcrossBufferRefills) {
  // Line ends placed around the 64 KiB read size, a CR LF split across two reads, and one line far
  // longer than a read.
  const std::string long_line(200'000, 'x');
  for (const std::size_t first : {65'534u, 65'535u, 65'536u}) {
    const std::string a(first, 'a');
    const std::string content = a + "\r\n" + long_line + "\r\nz\r\n";
    TempTemplate file(content);
    TemplateFile reader(file.Path());
    const auto lines = LinesAndEnds(reader, content);
    ASSERT_EQ(lines.size(), 3u) << first;
    EXPECT_EQ(lines[0], a + "[CR][LF]");
    EXPECT_EQ(lines[1], long_line + "[CR][LF]");
    EXPECT_EQ(lines[2], "z[CR][LF]");
  }
}

TEST(TemplateFile, ReadsACrLfSplitByARefillWhateverFollows) {
  // The CR ends one 64 KiB read, the LF starts the next, and the byte of the next read at the
  // CR's place is a LF too: the line must still come from the first read.
  constexpr std::size_t kRead = 65'536;
  const std::string first(kRead - 1, 'a');
  const std::string second(kRead - 3, 'b');
  const std::string content = first + "\r\n" + second + "\r\nc\r\n";
  TempTemplate file(content);
  TemplateFile reader(file.Path());
  EXPECT_EQ(LinesAndEnds(reader, content),
            (std::vector<std::string>{first + "[CR][LF]", second + "[CR][LF]", "c[CR][LF]"}));
}

TEST(TemplateFile, CountsLines) {
  TempTemplate file("a\r\nb\nc");
  TemplateFile reader(file.Path());
  reader.ReadLine();
  reader.ReadLine();
  EXPECT_EQ(reader.LineNumber(), 2);
  EXPECT_EQ(reader.ReadLine(), "c");
  EXPECT_EQ(reader.LineNumber(), 3);
  EXPECT_TRUE(reader.AtEnd());
}

TEST(TemplateFile, RefusesWhatItCannotRead) {
  TempTemplate existing("a\r\nb\r\n");
  const std::string folder = existing.Folder().string();
  const struct {
    std::string path;
    std::string message;
  } cases[] = {
      {"", "No template chosen: the path box is empty."},
      {folder + "/missing.tmp", folder + "/missing.tmp: cannot be opened: No such file"},
      {folder, folder + ": cannot be opened: it is a folder, not a file"},
  };
  for (const auto& c : cases) {
    try {
      TemplateFile file(c.path);
      ADD_FAILURE() << "opened " << c.path;
    } catch (const Fault& fault) {
      EXPECT_EQ(std::string(fault.what()).substr(0, c.message.size()), c.message);
    }
  }
}

TEST(TemplateFile, ReadsAWholeFileOfAnySize) {
  for (const std::size_t size : {0, 1, 65535, 65536, 65537, 200000}) {
    std::string content(size, 'x');
    for (std::size_t i = 0; i < size; i += 7) content[i] = static_cast<char>('a' + i % 26);
    const TempTemplate file(content);
    EXPECT_EQ(std::string_view(TemplateFile::ReadAll(file.Path())), content) << size;
  }
  EXPECT_THROW(TemplateFile::ReadAll("/nonexistent/level.tmp"), Fault);
}

// However the template is read, a line of 1 MiB passes and a longer one is refused, naming it.
TEST(TemplateFile, RefusesALineLongerThanOneMiB) {
  constexpr std::size_t kMiB = std::size_t{1} << 20;
  for (const std::size_t size : {kMiB, kMiB + 1}) {
    const std::string content = "h\n" + std::string(size, 'x') + "\nlast\n";
    const TempTemplate file(content);
    const auto read_lines = [&](TemplateFile reader) {
      while (!reader.AtEnd()) reader.ReadLine();
    };
    const std::function<void()> ways[] = {
        [&] { read_lines(TemplateFile(file.Path())); },
        [&] { read_lines(TemplateFile("t", content)); },
        [&] { TemplateFile::ReadAll(file.Path()); },
    };
    for (const auto& way : ways) {
      if (size == kMiB) {
        EXPECT_NO_THROW(way());
        continue;
      }
      try {
        way();
        ADD_FAILURE() << "no fault";
      } catch (const Fault& fault) {
        EXPECT_NE(std::string(fault.what()).find("line 2: is longer than 1 MiB"), std::string::npos)
            << fault.what();
      }
    }
  }
}

// A whole read stops at what it refuses, and reads no more than the file held when opened.
TEST(TemplateFile, AWholeReadStopsAtANulByte) {
  std::string content = "h\nh\n7 3 1 1 0\n";
  content += std::string(1, '\0') + std::string(5'000'000, 'x');
  const TempTemplate file(content);
  try {
    TemplateFile::ReadAll(file.Path());
    ADD_FAILURE() << "no fault";
  } catch (const Fault& fault) {
    EXPECT_NE(std::string(fault.what()).find("line 4: holds a NUL byte at column 1"),
              std::string::npos)
        << fault.what();
  }
}

// A whole read checks a large file a piece at a time: it refuses what reading it line by line
// refuses, naming the same line, wherever the fault lies against the pieces.
TEST(TemplateFile, AWholeReadRefusesWhatALineByLineReadRefuses) {
  std::string body = "h\r\nh\r\n";
  while (body.size() < 3'000'000) body += "7 3 " + std::to_string(body.size() % 51) + " 1 0\r\n";
  const std::size_t middle = body.size() / 2;
  const std::string long_line(std::size_t{1} << 20, '9');
  const struct {
    const char* what;
    std::string content;
    bool refused;
  } cases[] = {
      {"nothing wrong", body, false},
      {"NUL in the first half", body.substr(0, middle / 2) + '\0' + body.substr(middle / 2), true},
      {"NUL in the second half",
       body.substr(0, middle * 3 / 2) + '\0' + body.substr(middle * 3 / 2), true},
      {"NUL in both",
       body.substr(0, 100) + '\0' + body.substr(100, middle) + '\0' + body.substr(middle + 100),
       true},
      {"long line across the middle",
       body.substr(0, middle - 500) + long_line + body.substr(middle - 500), true},
      {"long line in the second half",
       body.substr(0, middle + 9) + long_line + "9" + body.substr(middle + 9), true},
      {"1 MiB line across the middle",
       body.substr(0, middle - 20) + "\r\n" + long_line + "\r\n" + body.substr(middle - 20), false},
  };
  for (const auto& c : cases) {
    const TempTemplate file(c.content);
    std::string expected;
    try {
      TemplateFile reader(file.Path());
      while (!reader.AtEnd()) reader.ReadLine();
    } catch (const Fault& fault) {
      expected = fault.what();
    }
    std::string got;
    try {
      EXPECT_EQ(TemplateFile::ReadAll(file.Path()).size(), c.content.size()) << c.what;
    } catch (const Fault& fault) {
      got = fault.what();
    }
    EXPECT_EQ(got, expected) << c.what;
    EXPECT_EQ(!got.empty(), c.refused) << c.what;
  }
}

TEST(ReadHeader, JoinsTheTwoHeaderLines) {
  TempTemplate file("AB \r\nCD\r\nrest\r\n");
  TemplateFile reader(file.Path());
  EXPECT_EQ(ReadHeader(reader), "AB CD");
  EXPECT_EQ(reader.ReadLine(), "rest");
}

TEST(ReadHeader, RefusesAFileOfFewerThanTwoLines) {
  for (const char* content : {"", "only one line\r\n", "one"}) {
    TempTemplate file(content);
    TemplateFile reader(file.Path());
    try {
      ReadHeader(reader);
      ADD_FAILURE() << content;
    } catch (const Fault& fault) {
      EXPECT_NE(std::string(fault.what()).find("ends before its two header lines"),
                std::string::npos);
    }
  }
}

// Large buffers grow from small blocks into 2 MiB pages and back out of them keeping every byte.
TEST(LargeAllocator, KeepsContentsAcrossEveryGrowth) {
  LargeVector<std::uint32_t> numbers;
  LargeText text;
  std::string expected;
  for (std::uint32_t i = 0; i < 1'500'000; ++i) {
    numbers.push_back(i * 2654435761u);
    if (i % 3 == 0) {
      const std::string piece = std::to_string(i) + "\r\n";
      text.Append(piece);
      expected += piece;
    }
  }
  for (std::uint32_t i = 0; i < numbers.size(); i += 9973) ASSERT_EQ(numbers[i], i * 2654435761u);
  EXPECT_EQ(std::string_view(text), expected);
  text.resize(10);
  EXPECT_EQ(std::string_view(text), expected.substr(0, 10));
}

}  // namespace
}  // namespace quarnel
