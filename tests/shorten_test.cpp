#include "shorten/shorten.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <string>

#include "editor/steps.h"
#include "model/fault.h"
#include "model/template_file.h"
#include "model/template_format.h"
#include "shorten/side_by_side.h"
#include "tests/support/cells.h"
#include "tests/test_template.h"

namespace quarnel {
namespace {

using testing::Template;
using testing::TempTemplate;

std::map<std::string, std::vector<std::uint32_t>> CellsByType(std::string_view text) {
  std::map<std::string, std::vector<std::uint32_t>> cells;
  for (auto& type : ReadTypeCells("t", text)) cells[type.key] = std::move(type.cells);
  return cells;
}

// The type of every record line, as a load reads it.
std::set<std::string> KeysIn(const std::string& text) {
  std::set<std::string> keys;
  TemplateFile file("t", text);
  for (int line = 0; !file.AtEnd(); ++line) {
    const std::string_view read = file.ReadLine();
    const Fields fields = SplitFields(read);
    const int first = IsRectangleRecord(read) ? 1 : 0;
    if (line >= 2 && fields.Has(first + 1)) {
      keys.insert(std::string(fields[first]) + " " + std::string(fields[first + 1]));
    }
  }
  return keys;
}

// The cells LoadToArray gives type `key` ("id1 id2"), as sorted cell indices.
std::vector<std::uint32_t> LoadedCells(Program& program, const std::string& key) {
  const auto space = key.find(' ');
  LoadToArray(program, key.substr(0, space), key.substr(space + 1));
  std::vector<std::uint32_t> cells;
  for (const auto& [x, y, z] : testing::SetCells(program.tilearray)) {
    cells.push_back(static_cast<std::uint32_t>(TileArray::Index(x, y, z)));
  }
  std::sort(cells.begin(), cells.end());
  return cells;
}

std::string FileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(Shorten, KeepsEveryTileOfTheExamplesAndShortensThem) {
  for (const char* name : {"castle.tmp", "harbour.tmp", "mine.tmp"}) {
    const std::string text = FileText(std::string(QUARNEL_EXAMPLES_DIR) + "/" + name);
    const Shortened shortened = Shorten(name, text);
    EXPECT_EQ(CellsByType(shortened.text), CellsByType(text)) << name;
    EXPECT_LT(shortened.summary.lines_after * 4, shortened.summary.lines_before) << name;
    EXPECT_LE(shortened.summary.rectangles_at_least, shortened.summary.rectangles_found);
  }
}

// A 45° corridor five cells wide on one layer, a cell on its own on another: one rectangle per
// row of the corridor, and both layers proven.
TEST(Shorten, WritesTheFewestRectanglesAndCountsTheLayersProven) {
  std::string text = "Map\r\n\r\n7 3 9 9 1\r\n";
  for (int y = 0; y < 8; ++y) {
    for (int x = y; x < y + 5; ++x) {
      text += "7 3 " + std::to_string(x) + " " + std::to_string(y) + " 0\r\n";
    }
  }
  const ShortenSummary s = Shorten("corridor", text).summary;
  EXPECT_EQ(s.records_written, 8);
  EXPECT_EQ(s.rectangles_found, 9);
  EXPECT_EQ(s.rectangles_at_least, 9);
  EXPECT_EQ(s.layers, 2);
  EXPECT_EQ(s.layers_proven, 2);
}

TEST(Shorten, KeepsEveryTileOfGeneratedTemplates) {
  std::mt19937 random(21);
  for (int round = 0; round < 20; ++round) {
    const std::string text = GeneratedTemplate(random, 400);
    const Shortened shortened = Shorten("generated", text);
    ASSERT_EQ(CellsByType(shortened.text), CellsByType(text)) << text;
    EXPECT_LT(shortened.summary.lines_after, shortened.summary.lines_before);
  }
}

// Every record form the shortener reads, against LoadToArray itself.
TEST(ReadTypeCells, ReadsEachTypeAsItsLoadDoes) {
  std::mt19937 random(5);
  const char* const numbers[] = {"0", "7", "50", "07", "1e1", "2.5", "-0", "12"};
  std::uniform_int_distribution<int> pick(0, 7), type(0, 3), fields(3, 5);
  std::string text = "H\r\n\r\n";
  for (int i = 0; i < 300; ++i) {
    const std::string ids = std::to_string(type(random)) + (i % 7 == 0 ? "  " : " x ");
    const int count = fields(random);
    std::string line = (i % 5 == 0 ? "TILEW " : "") + ids;
    // Coordinates in range for every field, so that each line loads.
    for (int f = 0; f < count; ++f) line += std::string(f ? " " : "") + numbers[pick(random)];
    if (i % 5 == 0) line = "TILEW " + ids + "0 1 0 1 2";
    text += line + "\r\n";
  }
  TempTemplate file(text);
  testing::TestProgram t(file.Path());
  for (const auto& type : ReadTypeCells("t", text)) {
    EXPECT_EQ(type.cells, LoadedCells(t.program, type.key)) << type.key;
  }
}

// `count` records of type `key` on cells no two of which touch: nothing merges them. The same
// count gives the same number of bytes whatever the key, if keys are as long.
std::string LoneCells(std::string_view key, int count) {
  std::string lines;
  for (int i = 0; i < count; ++i) {
    lines += std::string(key) + " " + std::to_string(i % 26 * 2) + " " +
             std::to_string(i / 26 % 26 * 2) + " " + std::to_string(i / 676) + "\r\n";
  }
  return lines;
}

// `text` with lines put in after its header, so that it is read in two parts, its own lines in the
// second: the same types with the same cells, or the same fault on the same line.
void ExpectTheSameInALargeTemplate(const std::string& text, const std::vector<TypeCells>& types,
                                   const std::optional<Fault>& fault) {
  static const int kPadding = 6000;  // lines: some 75 KB
  static const std::string padding = LoneCells("f 1", kPadding);
  try {
    const auto padded = ReadTypeCells("t", "H\r\n\r\n" + padding + text.substr(5));
    EXPECT_FALSE(fault) << text;
    ASSERT_EQ(padded.size(), types.size() + 1);
    for (std::size_t t = 0; t < types.size(); ++t) {
      EXPECT_EQ(padded[t + 1].key, types[t].key);
      EXPECT_EQ(padded[t + 1].cells, types[t].cells);
    }
  } catch (const Fault& f) {
    ASSERT_TRUE(fault) << f.what();
    EXPECT_EQ(f.place().line, fault->place().line + kPadding);
    EXPECT_EQ(f.problem(), fault->problem());
  }
}

// Random short records, dense in the forms a fast reader could get wrong, read by ReadTypeCells
// and by LoadToArray of each type: the same cells, or the same fault. Read again after enough
// lines to make the template large, they come out the same.
TEST(ReadTypeCells, AgreesWithLoadsOnRandomRecords) {
  const char* const starts[] = {"7 3", "TILEW 7 3", "7  3", "TILEWX 70 3", "70 3", "7 3 9"};
  const char* const numbers[] = {"0",  "5",  "50", "51",  "100", "101", "007", "-0", "-3",   "-4",
                                 "47", "48", "10", "1e1", "2.5", "x",   "",    "-",  "1000", "3\t"};
  // numbers[0] and numbers[10] fit every field of every record.
  const char* const ends[] = {"\r\n", "\n", "\r\n", "\r"};
  std::mt19937 random(8);
  std::uniform_int_distribution<int> start(0, 5), number(0, 19), count(3, 6), end(0, 3);
  std::bernoulli_distribution odd(0.08);
  int loaded = 0;
  const TempTemplate file("");
  testing::TestProgram t(file.Path());
  for (int round = 0; round < 2000; ++round) {
    std::string text = "H\r\n\r\n";
    for (int line = 0; line < 4; ++line) {
      text += starts[start(random)];
      const bool rectangle = text.ends_with("TILEW 7 3") || text.ends_with("TILEWX 70 3");
      const int fields = rectangle ? count(random) + 2 : count(random);
      for (int f = 0; f < fields; ++f) {
        // Mostly numbers in range, so that most templates load and their cells are compared.
        text += " " + std::string(odd(random) ? numbers[number(random)]
                                              : numbers[number(random) % 2 * 10]);
      }
      text += ends[end(random)];
    }
    std::optional<Fault> fault;
    std::vector<TypeCells> types;
    try {
      types = ReadTypeCells("t", text);
    } catch (const Fault& f) {
      fault = f;
    }
    // Reading a large template takes longer: every eighth will do.
    if (round % 8 == 0) ExpectTheSameInALargeTemplate(text, types, fault);
    file.Write(text);
    const auto load = [&](const std::string& key) { return LoadedCells(t.program, key); };
    if (fault) {
      // The first faulty line faults the load of its own type, with the same message.
      bool refused = false;
      for (const std::string& key : KeysIn(text)) {
        try {
          load(key);
        } catch (const Fault& f) {
          refused = refused || std::string(f.what()).substr(file.Path().size()) ==
                                   std::string(fault->what()).substr(1);
        }
      }
      EXPECT_TRUE(refused) << fault->what() << "\n" << text;
      continue;
    }
    ++loaded;
    for (const auto& type : types)
      ASSERT_EQ(type.cells, load(type.key)) << type.key << "\n" << text;
  }
  EXPECT_GT(loaded, 300);
}

TEST(Shorten, MergesOnlyPlainTileRecords) {
  const struct {
    const char* what;
    std::string input;
    std::string output;
  } cases[] = {
      {"a run becomes one record in place of its first tile",
       "H\r\n\r\n8 1 0 0 0\r\n7 3 4 6 2\r\n7 3 5 6 2\r\n8 1 9 9 9\r\n",
       "H\r\n\r\n8 1 0 0 0\r\nTILEW 7 3 1 2 3 3 2\r\n8 1 9 9 9\r\n"},
      {"line ends and other lines stay byte for byte",
       "H\n\n7 3 4 6 2\n9  9 1 1 2\n7 3 5 6 2\nTILEW 9 9 0 0 0 0 0\r",
       "H\n\nTILEW 7 3 1 2 3 3 2\n9  9 1 1 2\nTILEW 9 9 0 0 0 0 0\r"},
      {"lone cells in the grid's corners stay as they are",
       "H\r\n\r\n7 3 0 0 2\r\n7 3 50 0 2\r\n7 3 0 50 2\r\n7 3 50 50 2\r\n",
       "H\r\n\r\n7 3 0 0 2\r\n7 3 50 0 2\r\n7 3 0 50 2\r\n7 3 50 50 2\r\n"},
      {"a lone cell keeps its first record; duplicates go",
       "H\r\n\r\n7 3 4 6 2\r\n7 3 4 6 2\r\n7 3 9 9 2\r\n7 3 4 6 2\r\n",
       "H\r\n\r\n7 3 4 6 2\r\n7 3 9 9 2\r\n"},
      {"records that are not plain stay as they are",
       "H\r\n\r\n7 3 04 6 2\r\n7 3 5 6 2 x\r\n7 3 6.0 6 2\r\n7 3 -0 6 2\r\n",
       "H\r\n\r\n7 3 04 6 2\r\n7 3 5 6 2 x\r\n7 3 6.0 6 2\r\n7 3 -0 6 2\r\n"},
      {"tiles a rectangle record covers are dropped; the cover may reuse its cells",
       "H\r\n\r\nTILEW 7 3 1 1 3 3 2\r\n7 3 4 6 2\r\n7 3 5 6 2\r\n",
       "H\r\n\r\nTILEW 7 3 1 1 3 3 2\r\n7 3 5 6 2\r\n"},
      {"cells kept by rectangle records count on each layer anew",
       "H\r\n\r\nTILEW 7 3 -2 -2 -3 -3 0\r\nTILEW 7 3 -2 -2 -3 -3 1\r\n7 3 0 0 1\r\n7 3 2 0 1\r\n",
       "H\r\n\r\nTILEW 7 3 -2 -2 -3 -3 0\r\nTILEW 7 3 -2 -2 -3 -3 1\r\nTILEW 7 3 -3 -1 -3 -3 "
       "1\r\n"},
      {"types and layers are kept apart", "H\r\n\r\n7 3 4 6 2\r\n7 4 5 6 2\r\n7 3 5 6 3\r\n",
       "H\r\n\r\n7 3 4 6 2\r\n7 4 5 6 2\r\n7 3 5 6 3\r\n"},
      {"a last line without an end", "H\r\n\r\n7 3 4 6 2\r\n7 3 5 6 2",
       "H\r\n\r\nTILEW 7 3 1 2 3 3 2\r\n"},
      {"header only", "H\r\n\r\n", "H\r\n\r\n"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(std::string_view(Shorten("t", c.input).text), c.output) << c.what;
  }
}

// A large template is read, shortened and checked in two halves side by side; the records around
// the cut must come out as they do in a small one.
// Cells that records kept as they stand hold may be covered again, up to the grid's last row and
// column; a plain record on such a cell goes.
TEST(Shorten, CoversAgainWhatKeptRecordsHoldToTheGridsEdges) {
  const struct {
    std::string text;
    std::string shortened;
  } cases[] = {
      {Template({"7 3 0 50 0", "TILEW 7 3 -2 -2 47 47 0", "7 3 2 50 0"}, "H", ""),
       Template({"TILEW 7 3 -3 -1 47 47 0", "TILEW 7 3 -2 -2 47 47 0"}, "H", "")},
      {Template({"7 3 50 0 0", "TILEW 7 3 47 47 -2 -2 0", "7 3 50 2 0"}, "H", ""),
       Template({"TILEW 7 3 47 47 -3 -1 0", "TILEW 7 3 47 47 -2 -2 0"}, "H", "")},
      {Template({"7 3 5 5 0", "TILEW 7 3 2 2 2 2 0", "7 3 9 9 0"}, "H", ""),
       Template({"TILEW 7 3 2 2 2 2 0", "7 3 9 9 0"}, "H", "")},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(std::string_view(Shorten("t", c.text).text), c.shortened) << c.text;
  }
}

TEST(Shorten, ShortensALargeTemplateAsASmallOne) {
  const struct {
    std::string body;
    std::string shortened;
  } cases[] = {
      {"8 1 0 0 0\r\n7 3 4 6 2\r\n7 3 5 6 2\r\n8 1 9 9 9\r\n",
       "8 1 0 0 0\r\nTILEW 7 3 1 2 3 3 2\r\n8 1 9 9 9\r\n"},
      {"7 3 4 6 2\n9  9 1 1 2\n7 3 5 6 2\nTILEW 9 9 0 0 0 0 0\r\n",
       "TILEW 7 3 1 2 3 3 2\n9  9 1 1 2\nTILEW 9 9 0 0 0 0 0\r\n"},
      {"7 3 4 6 2\r\n7 3 4 6 2\r\n7 3 9 9 2\r\n7 3 4 6 2\r\n", "7 3 4 6 2\r\n7 3 9 9 2\r\n"},
      {"TILEW 7 3 1 1 3 3 2\r\n7 3 4 6 2\r\n7 3 5 6 2\r\n", "TILEW 7 3 1 1 3 3 2\r\n7 3 5 6 2\r\n"},
  };
  // Halves of equal size put the cut inside the body.
  const std::string before = LoneCells("f 1", 3000);
  const std::string after = LoneCells("g 1", 3000);
  for (const auto& c : cases) {
    const Shortened shortened = Shorten("t", "H\r\n\r\n" + before + c.body + after);
    EXPECT_EQ(std::string_view(shortened.text), "H\r\n\r\n" + before + c.shortened + after)
        << c.body;
    const auto count = [](const std::string& text) {
      return std::count(text.begin(), text.end(), '\n');
    };
    EXPECT_EQ(shortened.summary.lines_before - shortened.summary.lines_after,
              count(c.body) - count(c.shortened));
  }
  std::vector<std::string> keys;
  for (const auto& type : ReadTypeCells("t", "H\r\n\r\n" + before + cases[0].body + after)) {
    keys.push_back(type.key);
  }
  EXPECT_EQ(keys, (std::vector<std::string>{"f 1", "8 1", "7 3", "g 1"}));
}

// Shortened in two parts side by side, each part's types with edits of their own, a template large
// enough for it comes out byte for byte, and with the same counts, as shortened in one. Types of
// both parts merge records, keep others and lose duplicates, on lines that interleave.
TEST(Shorten, ShortensInTwoPartsAsInOne) {
  std::mt19937 random(34);
  const std::string text = GeneratedTemplate(random, 6000);
  ASSERT_GE(text.size(), kSideBySideFrom);
  const Shortened two = Shorten("t", text);
  const Shortened one = Shorten("t", text, nullptr, 1);
  const std::string_view two_text(two.text), one_text(one.text);
  const auto at = static_cast<std::size_t>(
      std::mismatch(two_text.begin(), two_text.end(), one_text.begin(), one_text.end()).first -
      two_text.begin());
  EXPECT_EQ(two_text.substr(at, 40), one_text.substr(at, 40)) << "at byte " << at;
  const auto counts = [](const ShortenSummary& s) {
    return std::vector<long long>{s.lines_after,         s.records_written,  s.rectangles_found,
                                  s.rectangles_at_least, s.layers,           s.layers_proven,
                                  s.unproven_rectangles, s.unproven_at_least};
  };
  EXPECT_EQ(counts(two.summary), counts(one.summary));
}

TEST(Shorten, NamesTheFirstFaultOfALargeTemplateByItsLine) {
  const std::string before = LoneCells("f 1", 3000);
  const std::string after = LoneCells("g 1", 3000);
  const std::string bad = "8 1 51 0 0\r\n";
  const struct {
    std::string text;
    std::string message;
  } cases[] = {
      {"H\r\n\r\n" + before + after + bad,
       "t, line 6003: x (the 3rd field) \"51\" puts the column at 51"},
      {"H\r\n\r\n" + bad + before + after + bad, "t, line 3: x (the 3rd field) \"51\""},
      {"H\r\n\r\n" + before + bad + after + bad, "t, line 3003: x (the 3rd field) \"51\""},
  };
  for (const auto& c : cases) {
    try {
      Shorten("t", c.text);
      ADD_FAILURE() << "no fault for " << c.message;
    } catch (const Fault& fault) {
      EXPECT_EQ(std::string(fault.what()).substr(0, c.message.size()), c.message);
    }
  }
}

TEST(Shorten, RefusesWhatAnyLoadWouldRefuse) {
  const struct {
    std::string text;
    std::string message;
  } cases[] = {
      {"one line", "t, line 2: the template ends before its two header lines"},
      {Template({"7 3 1 1 0", "8 1 51 0 0"}),
       "t, line 4: x (the 3rd field) \"51\" puts the column at 51"},
      {Template({"TILEW 9 9 0 x 0 0 0"}), "t, line 3: x-to (the 5th field) \"x\" is not a number"},
      {Template({"7 3 1 1 0", ""}), "t, line 4: the line is empty"},
  };
  for (const auto& c : cases) {
    try {
      Shorten("t", c.text);
      ADD_FAILURE() << "no fault for " << c.text;
    } catch (const Fault& fault) {
      EXPECT_EQ(std::string(fault.what()).substr(0, c.message.size()), c.message);
      EXPECT_EQ(dynamic_cast<const SelfCheckFailure*>(&fault), nullptr) << fault.what();
    }
  }
}

// A result that lost a tile, gained one or moved one never leaves Shorten.
TEST(Shorten, RefusesASpoiledResult) {
  const std::string text = Template({"7 3 1 1 0", "7 3 2 1 0", "7 3 3 1 0", "8 1 4 4 4"});
  const BeforeCheck spoils[] = {
      [](LargeText& result) { result.resize(result.size() - 11); },  // "8 1 4 4 4\r\n"
      [](LargeText& result) { result.Append("9 9 0 0 0\r\n"); },
      [](LargeText& result) { result.data()[result.size() - 3] = '5'; },
  };
  for (const BeforeCheck spoil : spoils) {
    try {
      Shorten("t", text, spoil);
      ADD_FAILURE() << "a spoiled result passed";
    } catch (const SelfCheckFailure& failure) {
      EXPECT_EQ(std::string(failure.what()),
                "t: the shortened template would not hold the same tiles; nothing is written");
    }
  }
}

TEST(SameTiles, TellsTemplatesWithTheSameTilesFromOthers) {
  const std::string first = Template({"7 3 1 1 0", "7 3 2 1 0", "8 1 0 0 5", "8 1 0 0 5"});
  const std::string before = LoneCells("f 1", 3000);
  const std::string after = LoneCells("g 1", 3000);
  const auto large = [&](std::string_view middle) {
    return "H\r\n\r\n" + before + std::string(middle) + after;
  };
  const struct {
    std::string what;
    std::string first;
    std::string second;
    bool same;
  } cases[] = {
      {"the same lines", first, first, true},
      {"other records, other order, other header", first,
       Template({"8 1 0 0 5", "TILEW 7 3 -2 -1 -2 -2 0"}, "Other", ""), true},
      {"a cell moved", first, Template({"7 3 1 1 0", "7 3 3 1 0", "8 1 0 0 5"}), false},
      {"a cell on another layer", first, Template({"7 3 1 1 0", "7 3 2 1 1", "8 1 0 0 5"}), false},
      {"a type missing", first, Template({"7 3 1 1 0", "7 3 2 1 0"}), false},
      {"a type more", first, first + "9 9 1 1 1\r\n", false},
      {"a rectangle's x and y swapped", Template({"TILEW 7 3 1 3 1 2 0"}),
       Template({"TILEW 7 3 1 2 1 3 0"}), false},
      {"the same scattered records", Template({"TILEW 7 3 -2.5 -1.5 0 0 0"}),
       Template({"TILEW 7 3 -2.5 -1.5 0 0 0"}), true},
      {"scattered records on the same rows", Template({"TILEW 7 3 -2.5 -1.5 0 0 0"}),
       Template({"TILEW 7 3 -2.5 0.5 0 0 0"}), false},
      {"a type more that covers nothing", first, first + "TILEW 9 9 5 4 0 0 0\r\n", false},
      {"a type less that covers nothing", first + "TILEW 9 9 5 4 0 0 0\r\n", first, false},
      {"large, the same", large("7 3 1 1 0\r\n"), large("TILEW 7 3 -2 -2 -2 -2 0\r\n"), true},
      {"large, a cell moved", large("7 3 1 1 0\r\n"), large("7 3 1 1 1\r\n"), false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SameTiles("a", c.first, "b", c.second), c.same) << c.what;
  }
}

TEST(FirstDifference, FindsAOneCellDifference) {
  const std::string a = Template({"7 3 1 1 0", "7 3 2 2 5", "8 1 0 0 0"});
  const std::string b = Template({"8 1 0 0 0", "TILEW 7 3 -2 -2 -2 -2 0"});
  const auto difference = FirstDifference(ReadTypeCells("a", a), ReadTypeCells("b", b));
  ASSERT_TRUE(difference);
  EXPECT_EQ(difference->type, "7 3");
  EXPECT_EQ(std::tie(difference->x, difference->y, difference->z), std::make_tuple(2, 2, 5));
  EXPECT_TRUE(difference->in_first);

  const auto other_way = FirstDifference(ReadTypeCells("b", b), ReadTypeCells("a", a));
  ASSERT_TRUE(other_way);
  EXPECT_FALSE(other_way->in_first);
  EXPECT_FALSE(FirstDifference(ReadTypeCells("a", a), ReadTypeCells("a", a)));
  // A type only in the second template.
  const auto extra =
      FirstDifference(ReadTypeCells("a", a), ReadTypeCells("c", a + "9 9 3 3 3\r\n"));
  ASSERT_TRUE(extra);
  EXPECT_EQ(extra->type, "9 9");
}

}  // namespace
}  // namespace quarnel
