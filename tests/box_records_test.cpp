#include "editor/box_records.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quarnel {
namespace {

const std::string kBox =
    "TILEW 7 3 1 2 3 3 0\r\n"  // cells (4, 6) to (5, 6)
    "not a record\r\n"
    "TILEW 7 3 2 2 3 4 0\r\n"  // (5, 6) to (5, 7)
    "TILEW 8 1 1 2 3 3 0\r\n"
    "TILEW 7 3 1.5 2 3 3 1";  // (4, 6) on layer 1 as a load reads it, without a line end

TEST(BoxRecords, FindsARecordByItsLine) {
  const struct {
    std::size_t line;
    bool found;
    std::string key;
    CellBox cells;
    int z;
  } cases[] = {{0, true, "7 3", {4, 6, 5, 6}, 0}, {1, false, "", {}, 0},
               {2, true, "7 3", {5, 6, 5, 7}, 0}, {3, true, "8 1", {4, 6, 5, 6}, 0},
               {4, true, "7 3", {4, 6, 4, 6}, 1}, {5, false, "", {}, 0}};
  for (const auto& c : cases) {
    const auto record = RecordOnLine(kBox, c.line);
    ASSERT_EQ(record.has_value(), c.found) << c.line;
    if (!record) continue;
    EXPECT_EQ(record->line, c.line);
    EXPECT_EQ(record->key, c.key) << c.line;
    EXPECT_EQ(std::vector<int>({record->cells.left, record->cells.top, record->cells.right,
                                record->cells.bottom, record->z}),
              std::vector<int>({c.cells.left, c.cells.top, c.cells.right, c.cells.bottom, c.z}))
        << c.line;
  }
}

TEST(BoxRecords, FindsTheRecordsHoldingACellAndTakesThemOut) {
  const struct {
    const char* key;
    int x, y, z;
    std::vector<std::size_t> lines;
  } cases[] = {{"7 3", 5, 6, 0, {0, 2}}, {"7 3", 4, 6, 0, {0}}, {"7 3", 5, 7, 0, {2}},
               {"7 3", 6, 6, 0, {}},     {"7 3", 4, 6, 1, {4}}, {"8 1", 4, 6, 0, {3}},
               {"8 1", 4, 6, 1, {}}};
  for (const auto& c : cases) {
    EXPECT_EQ(RecordsHolding(kBox, c.key, c.x, c.y, c.z), c.lines) << c.key << " " << c.x;
  }
  EXPECT_EQ(WithoutLines(kBox, {2, 0}),
            "not a record\r\nTILEW 8 1 1 2 3 3 0\r\nTILEW 7 3 1.5 2 3 3 1");
  EXPECT_EQ(WithoutLines(kBox, {4}), kBox.substr(0, kBox.rfind('\n') + 1));
}

}  // namespace
}  // namespace quarnel
