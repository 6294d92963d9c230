#include "model/template_format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "model/box_text.h"
#include "model/fault.h"

namespace quarnel {
namespace {

std::vector<std::string> FieldsOf(std::string_view line) {
  const Fields fields = SplitFields(line);
  std::vector<std::string> out;
  for (int i = 0; i < fields.count; ++i) out.emplace_back(fields[i]);
  return out;
}

TEST(SplitFields, SplitsAtEverySingleSpace) {
  const struct {
    std::string_view line;
    std::vector<std::string> fields;
  } cases[] = {
      {"", {}},
      {"7 3 10 12 4", {"7", "3", "10", "12", "4"}},
      {"7  3 10", {"7", "", "3", "10"}},
      {" 7 3", {"", "7", "3"}},
      {"7 3 ", {"7", "3", ""}},
      {" ", {"", ""}},
      {"7\t3 1", {"7\t3", "1"}},
      {"a b c d e f g h i j", {"a", "b", "c", "d", "e", "f", "g", "h"}},
      {std::string_view("a\0b c", 5), {std::string("a\0b", 3), "c"}},
  };
  for (const auto& c : cases) EXPECT_EQ(FieldsOf(c.line), c.fields) << '"' << c.line << '"';
}

TEST(IsRectangleRecord, IsACaseSensitivePrefix) {
  EXPECT_TRUE(IsRectangleRecord("TILEW 7 3 0 2 0 1 5"));
  EXPECT_TRUE(IsRectangleRecord("TILEWALL 7 3 0 2 0 1 5"));
  EXPECT_TRUE(IsRectangleRecord("TILEW"));
  EXPECT_FALSE(IsRectangleRecord("tilew 7 3 0 2 0 1 5"));
  EXPECT_FALSE(IsRectangleRecord(" TILEW 7 3"));
  EXPECT_FALSE(IsRectangleRecord("TILE"));
}

TEST(ParseNumber, AcceptsPlainDecimalNumbersOnly) {
  const double inf = INFINITY;
  const struct {
    std::string_view text;
    std::optional<double> value;
  } cases[] = {
      {"0", 0},
      {"42", 42},
      {"-7", -7},
      {"+7", 7},
      {"-0", 0},
      {"2.5", 2.5},
      {"5.", 5},
      {".5", 0.5},
      {"1e3", 1000},
      {"1E+2", 100},
      {"25e-1", 2.5},
      {" 7", 7},
      {"7\t", 7},
      {"1e400", inf},
      {"-1e400", -inf},
      {"1e-400", 0},
      {"", std::nullopt},
      {" ", std::nullopt},
      {"nan", std::nullopt},
      {"inf", std::nullopt},
      {"0x10", std::nullopt},
      {"1,5", std::nullopt},
      {"1.2.3", std::nullopt},
      {"e5", std::nullopt},
      {"1e", std::nullopt},
      {".", std::nullopt},
      {"--1", std::nullopt},
      {"1 2", std::nullopt},
      {"x1", std::nullopt},
      {"١", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(ParseNumber(c.text), c.value) << '"' << c.text << '"';
}

TEST(RoundHalfEven, RoundsHalvesToTheEvenNeighbour) {
  const struct {
    double value, rounded;
  } cases[] = {{0.5, 0},        {1.5, 2},
               {2.5, 2},        {3.5, 4},
               {-0.5, 0},       {-1.5, -2},
               {2.49, 2},       {2.51, 3},
               {-2.51, -3},     {7, 7},
               {50.5, 50},      {100.5, 100},
               {-2.5, -2},      {4503599627370495.5, 4503599627370496.0},
               {-1e300, -1e300}};
  for (const auto& c : cases) EXPECT_EQ(RoundHalfEven(c.value), c.rounded) << c.value;
}

TEST(Fault, NamesFileLineAndField) {
  EXPECT_STREQ(Fault({"level1.tmp", 7, 3, "y"}, Quoted("x1") + " is not a number").what(),
               "level1.tmp, line 7: y (the 4th field) \"x1\" is not a number");
  EXPECT_STREQ(Fault({"level1.tmp", 7, 0}, "is odd").what(),
               "level1.tmp, line 7: the 1st field is odd");
  EXPECT_STREQ(Fault({"a.tmp", 2}, "too short").what(), "a.tmp, line 2: too short");
  EXPECT_STREQ(Fault({"a.tmp"}, "cannot be opened").what(), "a.tmp: cannot be opened");
}

TEST(Fault, QuotesBinaryAndLongFieldsReadably) {
  EXPECT_EQ(Quoted(std::string_view("a\0\x1b", 3)), "\"a\\x00\\x1B\"");
  EXPECT_EQ(Quoted(std::string(100, 'x')), "\"" + std::string(40, 'x') + "...\"");
}

TEST(Fault, EscapesControlsAndInvalidUtf8InEveryText) {
  const struct {
    std::string text;
    std::string shown;
  } cases[] = {
      {"\x1b]0;title\x07", "\\x1B]0;title\\x07"},  // sets a terminal's title
      {"a\xc2\x9b"
       "31m",
       "a\\xC2\\x9B31m"},  // C1 control: CSI
      {"caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x99\x82", "caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x99\x82"},
      {"\xff\xc3", "\\xFF\\xC3"},                    // a stray byte, a cut sequence
      {"\xc0\xaf", "\\xC0\\xAF"},                    // overlong "/"
      {"\xed\xa0\x80", "\\xED\\xA0\\x80"},           // a surrogate
      {"\xf4\x90\x80\x80", "\\xF4\\x90\\x80\\x80"},  // past U+10FFFF
      {"\xe2\x82", "\\xE2\\x82"},                    // cut at the end
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Printable(c.text), c.shown);
    EXPECT_EQ(Quoted(c.text), "\"" + c.shown + "\"");
  }
}

// The output box shows bytes that are not UTF-8 as escapes and reads them back, byte for byte.
TEST(BoxText, KeepsEveryByteThroughTheBox) {
  const struct {
    std::string bytes, shown;
  } cases[] = {{"TILEW 7 3 1 2 3 4 0\r\n", "TILEW 7 3 1 2 3 4 0\r\n"},
               {"\xFF b 1 1 1", "\\xFF b 1 1 1"},
               {"caf\xC3\xA9 \xE9", "caf\xC3\xA9 \\xE9"},  // UTF-8 stays as it is
               {"\\x41 \\y \\x4", "\\x5Cx41 \\y \\x4"},  // only a backslash that reads as an escape
               {"\\\xFF", "\\\\xFF"}};
  for (const auto& c : cases) {
    EXPECT_EQ(ToBoxText(c.bytes), c.shown) << c.shown;
    EXPECT_EQ(FromBoxText(c.shown), c.bytes) << c.shown;
  }
  EXPECT_EQ(FromBoxText("\\xfe\\xG1"), "\xFE\\xG1");  // typed by hand, in either case
}

TEST(GridCell, DecodesWhatItsIndexEncodes) {
  for (const GridCell cell : {GridCell{0, 0, 0}, GridCell{50, 0, 0}, GridCell{0, 50, 0},
                              GridCell{0, 0, 100}, GridCell{7, 3, 2}, GridCell{50, 50, 100}}) {
    EXPECT_EQ(GridCell::FromIndex(cell.Index()), cell) << cell.x << " " << cell.y << " " << cell.z;
    EXPECT_EQ(GridCell::FromLayerIndex(cell.LayerIndex(), cell.z), cell) << cell.x << " " << cell.y;
  }
  EXPECT_EQ(GridCell({50, 50, 100}).Index(), static_cast<std::uint32_t>(kGridCells - 1));
}

}  // namespace
}  // namespace quarnel
