#include "model/record_reader.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <tuple>

#include "model/fault.h"

namespace quarnel {
namespace {

using Read = std::tuple<std::string, int, int, int, bool>;  // key, column, row, layer, plain

// What the reader gives for `line`, the third line of a template, with `after` behind it: the
// cells of that line's record, or the fault's message.
std::string ReadLineOf(const std::string& line, const std::string& after, std::set<Read>& cells) {
  const std::string text = "Map\r\nv1\r\n" + line + after;
  TemplateFile file("t", text);
  file.ReadLine();
  file.ReadLine();
  std::string key;
  try {
    ReadRecords(
        file,
        [&](const RecordKey& record) {
          if (record.line != 3) return kSkipRecord;
          key = record.key;
          return 0;
        },
        [&](int, const Box& box, bool plain, std::size_t) {
          for (int x = box.x1; x <= box.x2; ++x) {
            for (int y = box.y1; y <= box.y2; ++y) cells.emplace(key, x, y, box.z, plain);
          }
        });
  } catch (const Fault& fault) {
    return fault.what();
  }
  return {};
}

// The fast path takes a short line only when 40 bytes can be read from its start, so a line with
// more lines behind it goes that way and the same line last in the file goes the general way.
// Both must give the same cells and the same faults.
TEST(ReadRecords, ReadsALineAloneAndAmongOthersAlike) {
  const std::string kMore = "9 9 1 1 1\r\n9 9 2 2 2\r\n9 9 3 3 3\r\n9 9 4 4 4\r\n9 9 5 5 5\r\n";
  const struct {
    std::string line;
    std::set<Read> cells;
    std::string fault;
  } cases[] = {
      {"7 3 4 5 6\r\n", {{"7 3", 4, 5, 6, true}}, ""},
      {"7 3 50 50 100\n", {{"7 3", 50, 50, 100, true}}, ""},
      {"7 3 0 0 0\r", {{"7 3", 0, 0, 0, true}}, ""},
      {"abcdefgh ijkl 1 2 3\r\n", {{"abcdefgh ijkl", 1, 2, 3, true}}, ""},
      {"7 3 05 -0 +1\r\n", {{"7 3", 5, 0, 1, false}}, ""},
      {"7 3 1.4 2 3\r\n", {{"7 3", 1, 2, 3, false}}, ""},
      {"7 3 1 2 3 x\r\n", {{"7 3", 1, 2, 3, false}}, ""},
      {"TILEW 7 3 0 1 -3 -3 9\r\n", {{"7 3", 3, 0, 9, false}, {"7 3", 4, 0, 9, false}}, ""},
      {"TILEW 7 3 -3 -3 47 47 100\r\n", {{"7 3", 0, 50, 100, false}}, ""},
      {"TILEW 7 3 5 4 0 0 0\r\n", {}, ""},
      {"TILEW 7 3 0.5 2 0 0 0\r\n", {{"7 3", 4, 3, 0, false}}, ""},
      {"7 3 51 0 0\r\n", {}, "t, line 3: x (the 3rd field) \"51\" puts the column at 51"},
      {"7 3 0 51 0\r\n", {}, "t, line 3: y (the 4th field) \"51\" puts the row at 51"},
      {"7 3 0 0 101\r\n", {}, "t, line 3: z (the 5th field) \"101\""},
      {"7 3 -1 0 0\r\n", {}, "t, line 3: x (the 3rd field) \"-1\""},
      {"TILEW 7 3 -3 48 0 0 0\r\n",
       {},
       "t, line 3: x-to (the 5th field) \"48\" puts the column at 51"},
      {"TILEW 7 3 0 0 -4 0 0\r\n", {}, "t, line 3: y-from (the 6th field) \"-4\""},
      {"7 3 1 x 0\r\n", {}, "t, line 3: y (the 4th field) \"x\" is not a number"},
      {"7 3 1 1\r\n", {}, "t, line 3: z (the 5th field) is missing"},
      {"7\r\n", {}, "t, line 3: id2 (the 2nd field) is missing"},
  };
  for (const auto& c : cases) {
    for (const std::string& after : {kMore, std::string()}) {
      std::set<Read> cells;
      const std::string fault = ReadLineOf(c.line, after, cells);
      const std::string where = c.line + (after.empty() ? " (last)" : " (among others)");
      EXPECT_EQ(cells, c.cells) << where;
      EXPECT_EQ(fault.substr(0, c.fault.size()), c.fault) << where << ": " << fault;
      EXPECT_EQ(fault.empty(), c.fault.empty()) << where << ": " << fault;
    }
  }
}

}  // namespace
}  // namespace quarnel
