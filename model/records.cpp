#include "model/records.h"

#include <algorithm>
#include <cmath>
#include <span>
#include <string>
#include <vector>

#include "model/fault.h"

namespace quarnel {
namespace {

struct Axis {
  const char* name;  // what the index means, for messages
  int size;          // valid indices: 0..size-1
};
constexpr Axis kColumnAxis{"column", kColumns};
constexpr Axis kRowAxis{"row", kRows};
constexpr Axis kLayerAxis{"layer", kLayers};

// What each field of a record means, for messages.
constexpr const char* kTileFieldNames[] = {"id1", "id2", "x", "y", "z"};
constexpr const char* kRectangleFieldNames[] = {"TILEW", "id1",    "id2",  "x-from",
                                                "x-to",  "y-from", "y-to", "z"};

FaultPlace Place(const TemplateFile& file, const Fields& fields, int field) {
  const bool rectangle = fields.count > 0 && IsRectangleRecord(fields[0]);
  const std::span<const char* const> names =
      rectangle ? std::span<const char* const>(kRectangleFieldNames) : kTileFieldNames;
  const bool named = field >= 0 && static_cast<std::size_t>(field) < names.size();
  return {file.Path(), file.LineNumber(), field, named ? names[field] : ""};
}

double ParseFinite(const TemplateFile& file, const Fields& fields, int index,
                   std::string_view purpose) {
  const std::string_view text = RequireField(file, fields, index, purpose);
  const auto value = ParseNumber(text);
  if (!value) throw Fault(Place(file, fields, index), Quoted(text) + " is not a number");
  if (!std::isfinite(*value))
    throw Fault(Place(file, fields, index), Quoted(text) + " is too large");
  return *value;
}

[[noreturn]] void OutOfRange(const TemplateFile& file, const Fields& fields, int index,
                             const Axis& axis, double where) {
  throw Fault(Place(file, fields, index),
              Quoted(fields[index]) + " puts the " + axis.name + " at " +
                  (std::abs(where) < 1e15 ? std::to_string(static_cast<long long>(where))
                                          : std::string("a value far")) +
                  ", outside 0.." + std::to_string(axis.size - 1));
}

int ParseIndex(const TemplateFile& file, const Fields& fields, int index, const Axis& axis,
               std::string_view purpose) {
  const double value = RoundHalfEven(ParseFinite(file, fields, index, purpose));
  if (value < 0 || value >= axis.size) OutOfRange(file, fields, index, axis, value);
  return static_cast<int>(value);
}

// The indices that a counting loop from `from` to `to` in steps of 1 visits, each counter rounded
// half to even, as a rectangle record's bounds define them. Throws Fault at the first index outside
// the axis; a range far too long to fit is refused from its ends without being walked.
std::vector<int> CoveredIndices(const TemplateFile& file, const Fields& fields, int from_field,
                                double from, double to, const Axis& axis) {
  std::vector<int> indices;
  if (from > to) return indices;
  const double first = RoundHalfEven(from);
  if (first < 0 || first >= axis.size) OutOfRange(file, fields, from_field, axis, first);
  if (to - from > 2.0 * axis.size) {
    OutOfRange(file, fields, from_field + 1, axis, RoundHalfEven(to));
  }
  // The last counter's index, which the message names: where the record's far bound puts it.
  const double last = RoundHalfEven(from + std::floor(to - from));
  if (last >= axis.size) OutOfRange(file, fields, from_field + 1, axis, last);
  // Sized at once: grown a push at a time, a whole row took seven allocations.
  indices.reserve(static_cast<std::size_t>(std::floor(to - from)) + 1);
  if (from == std::floor(from)) {  // whole counters: nothing to round
    for (auto index = static_cast<int>(from); index <= static_cast<int>(last); ++index) {
      indices.push_back(index);
    }
    return indices;
  }
  for (double counter = from; counter <= to; counter += 1) {
    indices.push_back(static_cast<int>(RoundHalfEven(counter)));
  }
  return indices;
}

}  // namespace

void MissingField(const TemplateFile& file, const Fields& fields, int index,
                  std::string_view purpose) {
  if (fields.count == 0) {
    throw Fault({file.Path(), file.LineNumber()},
                "the line is empty; every line after the header must be a record");
  }
  throw Fault(Place(file, fields, index), "is missing (" + std::string(purpose) + ")");
}

GridCell TileRecordCell(const TemplateFile& file, const Fields& fields) {
  constexpr std::string_view kPurpose = "a tile record is: id1 id2 x y z";
  const int x = ParseIndex(file, fields, 2, kColumnAxis, kPurpose);
  const int y = ParseIndex(file, fields, 3, kRowAxis, kPurpose);
  const int z = ParseIndex(file, fields, 4, kLayerAxis, kPurpose);
  return {x, y, z};
}

RectangleCells RectangleRecordCells(const TemplateFile& file, const Fields& fields) {
  constexpr std::string_view kPurpose =
      "a rectangle record is: TILEW id1 id2 x-from x-to y-from y-to z";
  // The stored bounds lie kRectangleOffset below the grid indices.
  const double x_from = ParseFinite(file, fields, 3, kPurpose) + kRectangleOffset;
  const double x_to = ParseFinite(file, fields, 4, kPurpose) + kRectangleOffset;
  if (x_from > x_to) return {};
  const double y_from = ParseFinite(file, fields, 5, kPurpose) + kRectangleOffset;
  const double y_to = ParseFinite(file, fields, 6, kPurpose) + kRectangleOffset;
  if (y_from > y_to) return {};
  const double z_value = RoundHalfEven(ParseFinite(file, fields, 7, kPurpose));

  RectangleCells cells;
  cells.columns = CoveredIndices(file, fields, 3, x_from, x_to, kColumnAxis);
  cells.rows = CoveredIndices(file, fields, 5, y_from, y_to, kRowAxis);
  if (z_value < 0 || z_value >= kLayers) OutOfRange(file, fields, 7, kLayerAxis, z_value);
  cells.z = static_cast<int>(z_value);
  return cells;
}

void RequireCompleteRectangle(const TemplateFile& file, const Fields& fields) {
  constexpr std::string_view kPurpose =
      "a rectangle record is: TILEW id1 id2 x-from x-to y-from y-to z";
  for (int index = 3; index <= 6; ++index) {
    const Axis& axis = index < 5 ? kColumnAxis : kRowAxis;
    const double at = RoundHalfEven(ParseFinite(file, fields, index, kPurpose) + kRectangleOffset);
    if (at < 0 || at >= axis.size) OutOfRange(file, fields, index, axis, at);
  }
  ParseIndex(file, fields, 7, kLayerAxis, kPurpose);
}

void AddRectangleRecord(const TemplateFile& file, const Fields& fields, TileArray& tilearray) {
  const RectangleCells cells = RectangleRecordCells(file, fields);
  for (const int column : cells.columns) {
    for (const int row : cells.rows) tilearray.Set(column, row, cells.z);
  }
}

std::string_view KeyOfLine(std::string_view line, bool rectangle) {
  const std::size_t begin = rectangle ? line.find(' ') + 1 : 0;
  const std::size_t between = line.find(' ', begin);
  const std::size_t end = std::min(line.find(' ', between + 1), line.size());
  return line.substr(begin, end - begin);
}

}  // namespace quarnel
