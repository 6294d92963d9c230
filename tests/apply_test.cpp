#include "shorten/apply.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <string>

#include "model/fault.h"
#include "shorten/apply_to_template.h"
#include "shorten/shorten.h"
#include "tests/support/cells.h"
#include "tests/test_template.h"

namespace quarnel {
namespace {

using testing::Template;

std::map<std::string, std::vector<std::uint32_t>> CellsByType(std::string_view text) {
  std::map<std::string, std::vector<std::uint32_t>> cells;
  for (auto& type : ReadTypeCells("t", text)) cells[type.key] = std::move(type.cells);
  return cells;
}

// A 3 x 2 block of type 7 3 on layer 0, at columns 4..6 and rows 4..5, one record a cell, with a
// rectangle record of 8 1, a tile record of 7 3 that is not plain, and a cell of 7 3 held only by
// a rectangle record.
const std::string kBlock =
    Template({"7 3 4 4 0", "7 3 5 4 0", "TILEW 8 1 0 0 0 0 0", "7 3 6 4 0", "7 3 4 5 0",
              "7 3 05 5 0", "7 3 6 5 0", "7 3 9 9 0 x", "TILEW 7 3 17 17 17 17 1"});

// Blank lines after the records: with enough bytes to read ahead, a short record's line is read
// from its bit masks, not field by field.
const std::string kReadAhead(40, '\n');

TEST(ApplyRecords, WritesEachRecordWhereItsFirstCoveredTileStoodAndLeavesCoveredTilesOut) {
  const struct {
    const char* what;
    std::string records;
    std::string text;  // the template after, with header "Test map", " v1"
    long long left_out;
    long long standing = 0;  // records the template holds already, not written again
  } cases[] = {
      {"one record, LF ends and blank lines", "\n  \nTILEW 7 3 1 3 1 1 0\n\n",
       Template({"TILEW 7 3 1 3 1 1 0", "TILEW 8 1 0 0 0 0 0", "7 3 4 5 0", "7 3 05 5 0",
                 "7 3 6 5 0", "7 3 9 9 0 x", "TILEW 7 3 17 17 17 17 1"}),
       3},
      {"overlapping records share a place", "TILEW 7 3 1 2 1 2 0\r\nTILEW 7 3 2 3 1 1 0\r\n",
       Template({"TILEW 7 3 1 2 1 2 0", "TILEW 7 3 2 3 1 1 0", "TILEW 8 1 0 0 0 0 0", "7 3 05 5 0",
                 "7 3 6 5 0", "7 3 9 9 0 x", "TILEW 7 3 17 17 17 17 1"}),
       4},
      {"records of two types", "TILEW 8 1 0 0 0 0 0\r\nTILEW 7 3 3 3 2 2 0\r\n",
       Template({"7 3 4 4 0", "7 3 5 4 0", "TILEW 8 1 0 0 0 0 0", "7 3 6 4 0", "7 3 4 5 0",
                 "7 3 05 5 0", "TILEW 7 3 3 3 2 2 0", "7 3 9 9 0 x", "TILEW 7 3 17 17 17 17 1"}),
       1, 1},
      {"cells held only by records that are not plain tiles",
       "TILEW 7 3 2 2 2 2 0\r\nTILEW 7 3 17 17 17 17 1\r\n", kBlock + "TILEW 7 3 2 2 2 2 0\r\n", 0,
       1},
  };
  for (const auto& c : cases) {
    for (const std::string& records : {c.records, c.records + kReadAhead}) {
      const Applied applied = ApplyRecords("records.txt", records, "level.tmp", kBlock, false);
      EXPECT_EQ(std::string_view(applied.text), c.text) << c.what;
      EXPECT_EQ(CellsByType(applied.text), CellsByType(kBlock)) << c.what;
      EXPECT_EQ(applied.summary.tile_records_left_out, c.left_out) << c.what;
      EXPECT_EQ(applied.summary.records_standing, c.standing) << c.what;
      EXPECT_EQ(applied.summary.new_cells, 0) << c.what;
    }
  }
}

// Tile records that the template's own rectangle records hold go too, of every type, as shortening
// leaves them out.
TEST(ApplyRecords, LeavesOutTheTilesTheTemplatesRectangleRecordsHold) {
  const std::string held = Template({"7 3 4 4 0", "7 3 5 4 0", "TILEW 7 3 1 1 1 1 0", "9 9 1 1 0",
                                     "TILEW 9 9 -2 -2 -2 -2 0", "9 9 2 2 0"});
  const Applied applied =
      ApplyRecords("records.txt", "TILEW 7 3 2 2 1 1 0", "level.tmp", held, false);
  EXPECT_EQ(std::string_view(applied.text), Template({"TILEW 7 3 2 2 1 1 0", "TILEW 7 3 1 1 1 1 0",
                                                      "TILEW 9 9 -2 -2 -2 -2 0", "9 9 2 2 0"}));
  EXPECT_EQ(applied.summary.tile_records_left_out, 3);
  EXPECT_EQ(applied.summary.tile_records_held, 2);  // 7 3 4 4 0 and 9 9 1 1 0
}

// Shortening the rest never gives more lines than shortening the template alone, unless the
// records add cells, which the template alone lacks.
TEST(ApplyToTemplate, ShorteningTheRestIsNeverLongerThanShorteningAlone) {
  const std::string pair = Template({"7 3 1 1 0", "7 3 2 1 0"});
  const struct {
    const char* records;
    bool replaced;
    long long lines;
  } cases[] = {{"TILEW 7 3 -2 -2 -2 -2 0", true, 3},
               {"TILEW 7 3 -2 -1 -2 -2 0", false, 3},
               {"TILEW 7 3 -2 -2 -2 -2 0\r\nTILEW 7 3 -3 -3 -3 -3 0", false, 5}};
  for (const auto& c : cases) {
    const AppliedTemplate result =
        ApplyToTemplate("records.txt", c.records, "level.tmp", pair, true, true);
    EXPECT_EQ(result.records_replaced, c.replaced) << c.records;
    EXPECT_EQ(result.shortened->lines_after, c.lines) << c.records;
  }
}

TEST(ApplyRecords, RefusesNewCellsUnlessAllowed) {
  const std::string records = "TILEW 7 3 1 4 1 2 0\r\nTILEW 9 9 0 0 0 0 5\r\n";
  try {
    ApplyRecords("records.txt", records, "level.tmp", kBlock, false);
    ADD_FAILURE() << "no fault";
  } catch (const Fault& fault) {
    EXPECT_EQ(std::string(fault.what()),
              "records.txt, line 1: the record adds 2 cells that type 7 3 does not have in "
              "level.tmp, such as (7, 4, 0), (7, 5, 0); --allow-new-cells applies it anyway");
  }
  const Applied applied = ApplyRecords("records.txt", records, "level.tmp", kBlock, true);
  EXPECT_EQ(applied.summary.new_cells, 3);
  auto cells = CellsByType(kBlock);
  cells["7 3"].insert(cells["7 3"].end(), {7 + 51 * 4, 7 + 51 * 5});
  std::sort(cells["7 3"].begin(), cells["7 3"].end());
  cells["9 9"] = {3 + 51 * 3 + 2601 * 5};
  EXPECT_EQ(CellsByType(applied.text), cells);
}

TEST(ApplyRecords, RefusesBadRecordLinesNamingThem) {
  const struct {
    std::string records;
    std::string message;
  } cases[] = {
      {"TILEW 7 3 1 1 1 1 0\r\n7 3 1 1 0\r\n",
       "records.txt, line 2: \"7 3 1 1 0\" is not a rectangle record"},
      {"\r\nTILEW 7\r\n", "records.txt, line 2: id2 (the 3rd field) is missing"},
      {"TILEW 7 3 1 x 1 1 0\n", "records.txt, line 1: x-to (the 5th field) \"x\" is not a number"},
      {"TILEW 7 3 1 60 1 1 0\n",
       "records.txt, line 1: x-to (the 5th field) \"60\" puts the column at 63"},
      {"TILEW 7 3 1 1 1 1\n", "records.txt, line 1: z (the 8th field) is missing"},
      // Empty ranges, which a load reads no further: the window never writes these.
      {"TILEW a b 5 2\n", "records.txt, line 1: y-from (the 6th field) is missing"},
      {"\nTILEW a b 0 0 5 2 x\n", "records.txt, line 2: z (the 8th field) \"x\" is not a number"},
      {"TILEW a b 0 50 5 2 0\n",
       "records.txt, line 1: x-to (the 5th field) \"50\" puts the column at 53"},
      {"TILEW a b 0 0 5 2 999\n",
       "records.txt, line 1: z (the 8th field) \"999\" puts the layer at 999"},
      {"TILEW a b 2 1 0 -4 0\n",
       "records.txt, line 1: y-to (the 7th field) \"-4\" puts the row at -1"},
      // Quoting the self-check's own words makes no refusal a failed self-check.
      {"pwould not give the tiles it must\xbb\n",
       "records.txt, line 1: \"pwould not give the tiles it must\\xBB\" is not a rectangle record"},
  };
  for (const auto& c : cases) {
    if (const auto at = c.records.find("TILEW a b"); at != std::string::npos) {
      // A load still takes these.
      const std::string line = c.records.substr(at, c.records.find('\n', at) - at);
      EXPECT_NO_THROW(ReadTypeCells("t", Template({line}))) << line;
    }
    for (const std::string& records : {c.records, c.records + kReadAhead}) {
      try {
        ApplyRecords("records.txt", records, "level.tmp", kBlock, true);
        ADD_FAILURE() << c.message << ": no fault";
      } catch (const Fault& fault) {
        EXPECT_EQ(std::string(fault.what()).substr(0, c.message.size()), c.message) << fault.what();
        EXPECT_EQ(dynamic_cast<const SelfCheckFailure*>(&fault), nullptr) << fault.what();
      }
    }
  }
}

TEST(ApplyRecords, AppliesCompleteRecordsThatCoverNothingAndCountsEachNewCellOnce) {
  const struct {
    const char* what;
    std::string records;
    bool allow_new_cells;
    std::string tail;  // after the template's lines, which all stay
    long long new_cells;
  } cases[] = {
      {"corners in reverse order, as marking writes them", "TILEW 7 3 5 4 7 6 2\n", false,
       "TILEW 7 3 5 4 7 6 2\r\n", 0},
      {"two records over the same new cells", "TILEW 7 3 7 8 7 8 0\nTILEW 7 3 7 8 7 8 0\n", true,
       "TILEW 7 3 7 8 7 8 0\r\nTILEW 7 3 7 8 7 8 0\r\n", 4},
      {"overlapping records of a new type", "TILEW 9 9 0 1 0 0 0\nTILEW 9 9 1 2 0 0 0\n", true,
       "TILEW 9 9 0 1 0 0 0\r\nTILEW 9 9 1 2 0 0 0\r\n", 3},
  };
  for (const auto& c : cases) {
    const Applied applied =
        ApplyRecords("records.txt", c.records, "level.tmp", kBlock, c.allow_new_cells);
    EXPECT_EQ(std::string_view(applied.text), kBlock + c.tail) << c.what;
    EXPECT_EQ(applied.summary.new_cells, c.new_cells) << c.what;
  }
}

// Writes `to` over `from`, of the same size, in a result.
void Overwrite(LargeText& text, std::string_view from, std::string_view to) {
  const std::size_t at = std::string_view(text).find(from);
  ASSERT_NE(at, std::string_view::npos) << from;
  std::copy(to.begin(), to.end(), text.data() + at);
}

// A spoiled result never leaves ApplyRecords, though the result's boxes, the template's and the
// records' match one for one, so that it compares most types without their cells.
TEST(ApplyRecords, RefusesASpoiledResult) {
  const std::string text = Template({"TILEW 7 3 1 3 1 2 0", "TILEW 8 1 0 0 0 0 0", "7 3 9 9 0"});
  const std::string standing = "TILEW 7 3 1 3 1 2 0\r\n";
  const struct {
    const char* what;
    std::string records;
    BeforeCheck spoil;
  } cases[] = {
      {"a column more", standing, [](LargeText& t) { Overwrite(t, "1 3 1 2", "1 4 1 2"); }},
      {"a row less", standing, [](LargeText& t) { Overwrite(t, "1 3 1 2", "1 3 1 1"); }},
      {"x and y swapped", standing, [](LargeText& t) { Overwrite(t, "1 3 1 2", "1 2 1 3"); }},
      {"a type no record names", standing,
       [](LargeText& t) { Overwrite(t, "8 1 0 0 0 0 0", "8 1 0 0 0 0 1"); }},
      {"a record adding cells left out", "TILEW 7 3 1 3 1 3 0\r\n",
       [](LargeText& t) { t.resize(t.size() - std::strlen("TILEW 7 3 1 3 1 3 0\r\n")); }},
  };
  for (const auto& c : cases) {
    for (const std::string& records : {c.records, c.records + kReadAhead}) {
      EXPECT_NO_THROW(ApplyRecords("records.txt", records, "level.tmp", text, true)) << c.what;
      EXPECT_THROW(ApplyRecords("records.txt", records, "level.tmp", text, true, c.spoil),
                   SelfCheckFailure)
          << c.what;
    }
  }
}

TEST(ApplyRecords, EscapesIdsInItsMessages) {
  try {
    ApplyRecords("records.txt", "TILEW \x1b]0;x\x07 \xff 0 0 0 0 0\n", "level.tmp", kBlock, false);
    ADD_FAILURE() << "no fault";
  } catch (const Fault& fault) {
    EXPECT_NE(std::string(fault.what()).find("type \\x1B]0;x\\x07 \\xFF does not have"),
              std::string::npos)
        << fault.what();
  }
}

TEST(ApplyRecords, AppendsARecordOnALineOfItsOwnAfterALastLineWithoutAnEnd) {
  // The record covers only a cell held by a rectangle record, so it goes to the end.
  const Applied applied =
      ApplyRecords("records.txt", "TILEW 7 3 14 14 14 14 1\r\n", "level.tmp",
                   Template({"TILEW 7 3 14 15 14 14 1", "7 3 4 4 0"}) + "8 1 1 1 1", false);
  EXPECT_EQ(std::string_view(applied.text), Template({"TILEW 7 3 14 15 14 14 1", "7 3 4 4 0",
                                                      "8 1 1 1 1", "TILEW 7 3 14 14 14 14 1"}));
}

TEST(ApplyRecords, RefusesARecordThatAddsASingleCell) {
  try {
    ApplyRecords("records.txt", "TILEW 7 3 1 4 1 1 0\n", "level.tmp", kBlock, false);
    ADD_FAILURE() << "no fault";
  } catch (const Fault& fault) {
    EXPECT_EQ(std::string(fault.what()),
              "records.txt, line 1: the record adds 1 cell that type 7 3 does not have in "
              "level.tmp, such as (7, 4, 0); --allow-new-cells applies it anyway");
  }
}

}  // namespace
}  // namespace quarnel
