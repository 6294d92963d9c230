// Bad paths and bad files: each gives a message naming the file (and the line, where there is
// one), and leaves the program exactly as it was.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <random>
#include <set>
#include <string>

#include "editor/steps.h"
#include "model/fault.h"
#include "model/template_file.h"
#include "model/type_keys.h"
#include "shorten/template_records.h"
#include "tests/test_template.h"

namespace quarnel {
namespace {

using testing::SetCells;
using testing::Template;
using testing::TempTemplate;
using testing::TestProgram;

const std::string kGood = Template({"7 3 1 1 0", "8 1 2 2 0"}, "Good", " map");

// A program that has shown the first type of a good template and collected one record.
struct Collected {
  TempTemplate good{kGood, "good.tmp"};
  TestProgram t{good.Path()};
  Collected() {
    StartTiles(t.program);
    t.window.output = "TILEW 7 3 -2 -2 -2 -2 0\r\n";
  }
  void ExpectUnchanged() const {
    EXPECT_EQ(t.program.curtype, "7 3");
    EXPECT_EQ(t.window.caption, "Good map");
    EXPECT_EQ(SetCells(t.program.tilearray), (std::set<testing::Cell>{{1, 1, 0}}));
    EXPECT_EQ(t.program.donelist.Shown().size(), 1u);
    EXPECT_EQ(t.program.types.rows.size(), 2u);
    EXPECT_EQ(t.window.output, "TILEW 7 3 -2 -2 -2 -2 0\r\n");
    EXPECT_EQ(t.window.surface.PointColour(14, 14), kRed);
  }
};

// Runs "go" on `path`, and "Next Tile Type" with `path` as the run's template gone bad since go;
// both must fault with `message` and change nothing. Hostile records belong to type (9, 9), which
// the collected run has not shown yet.
void ExpectRefused(const std::string& path, const std::string& message, const std::string& what) {
  Collected c;
  c.t.window.path = path;
  for (const auto& step : {StartTiles, DoNextTile}) {
    if (step == DoNextTile) c.t.program.read_path = path;
    try {
      step(c.t.program);
      ADD_FAILURE() << what << ": no fault";
    } catch (const Fault& fault) {
      EXPECT_NE(std::string(fault.what()).find(message), std::string::npos)
          << what << "\n  got:    " << fault.what() << "\n  wanted: " << message;
    }
    c.ExpectUnchanged();
  }
}

std::string Junk(std::size_t size, unsigned seed) {
  std::mt19937 random(seed);
  std::string bytes(size, '\0');
  for (auto& byte : bytes) byte = static_cast<char>(random() & 0xFF);
  return bytes;
}

TEST(HostileInput, BadFilesAreRefusedWithTheirLine) {
  const struct {
    const char* what;
    std::string content;
    std::string message;  // after the file's path
  } cases[] = {
      {"zero bytes", "", ", line 1: the template ends before its two header lines"},
      {"one line", "Map only\r\n", ", line 2: the template ends before its two header lines"},
      {"NUL byte in a record", Template({"9 9 1 1 0", std::string("9\0 9 1 1 0", 10)}),
       ", line 4: holds a NUL byte at column 2"},
      {"NUL byte in the header", std::string("Ma\0p\r\nx\r\n", 9), ", line 1: holds a NUL byte"},
      {"binary junk", "Map\r\n\r\n" + Junk(4096, 1), ", line "},
      {"10 MB line without an end", "Map\r\n\r\n" + std::string(10'000'000, 'x'),
       ", line 3: is longer than 1 MiB"},
      {"10 MB of spaces", "Map\r\n\r\n9 9" + std::string(10'000'000, ' '),
       ", line 3: is longer than 1 MiB"},
      {"a header line of 2 MB", std::string(2'000'000, 'h') + "\r\n\r\n9 9 1 1 0\r\n",
       ", line 1: is longer than 1 MiB"},

      {"empty line", Template({"9 9 1 1 0", ""}), ", line 4: the line is empty"},
      {"1e400", Template({"9 9 1e400 1 0"}), ", line 3: x (the 3rd field) \"1e400\" is too large"},
      {"nan", Template({"9 9 nan 1 0"}), ", line 3: x (the 3rd field) \"nan\" is not a number"},
      {"inf", Template({"9 9 1 inf 0"}), ", line 3: y (the 4th field) \"inf\" is not a number"},
      {"0x10", Template({"9 9 1 1 0x10"}), ", line 3: z (the 5th field) \"0x10\" is not a number"},
      {"1,5", Template({"9 9 0 0 0", "TILEW 9 9 1,5 2 0 0 0"}),
       ", line 4: x-from (the 4th field) \"1,5\" is not a number"},
      {"column 51", Template({"9 9 51 0 0"}),
       ", line 3: x (the 3rd field) \"51\" puts the column at 51"},
      {"row -1", Template({"9 9 0 -1 0"}), ", line 3: y (the 4th field) \"-1\" puts the row at -1"},
      {"layer 101", Template({"9 9 0 0 101"}),
       ", line 3: z (the 5th field) \"101\" puts the layer at 101"},
      {"rectangle past column 50", Template({"9 9 0 0 0", "TILEW 9 9 40 48 0 0 0"}),
       ", line 4: x-to (the 5th field) \"48\" puts the column at 51"},
  };
  for (const auto& c : cases) {
    TempTemplate file(c.content, "hostile.tmp");
    ExpectRefused(file.Path(), file.Path() + c.message, c.what);
  }
}

TEST(HostileInput, OddButValidNumbersAndOtherTypesAreAccepted) {
  const struct {
    const char* what;
    std::string content;
    std::set<testing::Cell> cells;
  } cases[] = {
      {"tab before a number", Template({"7 3 \t7 1 0"}), {{7, 1, 0}}},
      {"-0", Template({"7 3 -0 -0.4 0"}), {{0, 0, 0}}},
      {"other types are not examined past their ids",
       Template({"7 3 1 1 0", "8 1 51 -1 101", "TILEW 8 1 x y z w v", "9 9 1e400 nan inf"}),
       {{1, 1, 0}}},
  };
  for (const auto& c : cases) {
    TempTemplate file(c.content);
    TestProgram t(file.Path());
    LoadToArray(t.program, "7", "3");  // a load; go examines every type
    EXPECT_EQ(SetCells(t.program.tilearray), c.cells) << c.what;
  }
}

TEST(HostileInput, BadPathsAreRefused) {
  TempTemplate existing("x");
  const std::string folder = existing.Folder().string();
  ExpectRefused("", "No template chosen: the path box is empty.", "empty path");
  ExpectRefused(folder + "/missing.tmp", folder + "/missing.tmp: cannot be opened: No such file",
                "missing");
  ExpectRefused(folder, folder + ": cannot be opened: it is a folder", "folder");
}

// Input made to cost much: each case checks the property that keeps its cost bounded.
TEST(HostileInput, CraftedInputCostsLittle) {
  // Ids that differ only in their last two bytes once shared one slot of the type table, so
  // reading 100,000 of them took seconds and a million minutes.
  std::map<std::size_t, int> per_slot;
  for (char a = 0x21; a < 0x7f; ++a) {
    for (char b = 0x21; b < 0x7f; ++b) {
      ++per_slot[TypeKeys::Slot(TypeKeys::ShortKey(std::string("ab cde") + a + b), 64 - 15)];
    }
  }
  // Whatever odd multiplier a run draws, these keys differ only in the product's top bits.
  int most = 0;
  for (const auto& [slot, keys] : per_slot) most = std::max(most, keys);
  EXPECT_LE(most, 2) << "of 8836 keys in a table of 32768 slots";

  // A rectangle record with bounds on halves covers every other column and row: it stays one
  // record, where it was once one per pair of runs (up to 676) and thousands of times its size.
  std::string halves = "Halves\r\n\r\n";
  for (int i = 0; i < 100; ++i) halves += "TILEW a b -2.5 47.5 -2.5 47.5 0\r\n";
  const TemplateRecords read = ReadTemplateRecords("halves", halves);
  EXPECT_EQ(read.by_type.Of(0).size(), 100u);

  // A file too large is refused from its size, and one that starts with a NUL byte after the
  // first piece read: neither is read whole. Both are sparse, so they take no room on disk.
  const struct {
    const char* what;
    std::string head;
    std::uintmax_t size;
    std::string message;
  } files[] = {
      {"5 GiB", "Map\r\n", std::uintmax_t{5} << 30, "is too large: 5120 MiB"},
      {"exactly 4 GiB", "Map\r\n", std::uintmax_t{4} << 30, "is too large: 4096 MiB"},
      // Within what WebAssembly's memory holds too.
      {"a NUL at line 1 of 1 GiB", "", std::uintmax_t{1} << 30,
       "line 1: holds a NUL byte at column 1"},
  };
  for (const auto& f : files) {
    TempTemplate file(f.head, "sparse.tmp");
    // Made longer by writing its last byte: one WebAssembly runtime's resize drops the size's
    // high 32 bits.
    std::fstream grown(file.Path(), std::ios::in | std::ios::out | std::ios::binary);
    grown.seekp(static_cast<std::streamoff>(f.size - 1));
    grown.put('x');
    grown.close();
    ASSERT_EQ(std::filesystem::file_size(file.Path()), f.size) << f.what;
    try {
      TemplateFile::ReadAll(file.Path());
      ADD_FAILURE() << f.what << ": no fault";
    } catch (const Fault& fault) {
      EXPECT_NE(std::string(fault.what()).find(f.message), std::string::npos)
          << f.what << ": " << fault.what();
    }
  }

  // A path's control characters never reach the terminal as they are.
  EXPECT_EQ(std::string(Fault({"a\x1b[31mb\xc2\x9b.tmp", 2}, "x").what()),
            "a\\x1B[31mb\\xC2\\x9B.tmp, line 2: x");
}

// Each step reads the template once, afresh: a change between steps takes effect, and a fault it
// brings changes nothing.
TEST(HostileInput, AFileThatChangesBetweenSteps) {
  TempTemplate file(kGood, "moving.tmp");
  const struct {
    const char* what;
    std::function<void()> change;
    std::string message;  // empty: no fault
    std::string curtype;
  } cases[] = {
      {"disappears", [&] { std::filesystem::remove(file.Path()); },
       file.Path() + ": cannot be opened", "7 3"},
      {"gains a bad record", [&] { file.Write(kGood + "8 1 99 0 0\r\n"); },
       file.Path() + ", line 5: x (the 3rd field) \"99\" puts the column at 99", "7 3"},
      {"loses the type", [&] { file.Write(Template({"7 3 1 1 0"}, "Good", " map")); }, "", "7 3"},
      {"gains a type",
       [&] {
         file.Write(Template({"9 9 1 1 0", "7 3 1 1 0"}, "G", ""));
       },
       "", "9 9"},
  };
  for (const auto& c : cases) {
    file.Write(kGood);
    WindowRecord window;
    window.path = file.Path();
    Program program(window);
    StartTiles(program);
    c.change();
    try {
      DoNextTile(program);
      EXPECT_TRUE(c.message.empty()) << c.what << ": no fault";
    } catch (const Fault& fault) {
      EXPECT_NE(std::string(fault.what()).find(c.message), std::string::npos)
          << c.what << ": " << fault.what();
    }
    EXPECT_EQ(program.curtype, c.curtype) << c.what;
    EXPECT_EQ(program.donelist.Shown().size(), c.curtype == "7 3" ? 1u : 2u) << c.what;
  }
}

}  // namespace
}  // namespace quarnel
