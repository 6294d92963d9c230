#include "cli/template_records.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>

#include "cli/two_parts.h"
#include "model/fault.h"
#include "model/records.h"
#include "model/template_file.h"
#include "model/template_format.h"

namespace quarnel {
namespace {

constexpr std::uint64_t kEachByte = 0x0101010101010101;
constexpr std::uint64_t kHighBits = 0x8080808080808080;
constexpr std::uint64_t kLowBits = 0x7F7F7F7F7F7F7F7F;

// 0x80 in each byte of `word` that is at least `limit` (at most 0x80), else 0; exact, as no
// carry crosses from one byte into the next.
constexpr std::uint64_t BytesAtLeast(std::uint64_t word, unsigned limit) {
  return (((word & kLowBits) + kEachByte * (0x80 - limit)) | word) & kHighBits;
}
// One bit per byte, from flags made as above.
constexpr std::uint32_t Gather(std::uint64_t flags) {
  return static_cast<std::uint32_t>(((flags >> 7) * 0x0102040810204080) >> 56);
}

// The line at some place in the text, if it is at most 32 bytes long and ends in LF or CR LF, with
// its spaces and non-digits as bit masks: its fields are found without a branch per byte. Nearly
// every record is such a line, and the branches of a byte loop over fields of varying length
// would cost more than all the rest of reading them.
class ShortLine {
 public:
  static constexpr int kMaxSize = 32;
  // Bytes read from the line's start, whatever its size.
  static constexpr std::size_t kReadable = kMaxSize + 8;
  // The masks take byte i of a word read from memory as its i-th lowest byte.
  static constexpr bool kWorksHere = std::endian::native == std::endian::little;

  // kReadable bytes must be readable from `at`.
  explicit ShortLine(const char* at) : bytes_(at) {
    Scan(0);
    Scan(1);
    if ((controls_ & 0xFFFF) == 0) {  // longer than 16 bytes
      Scan(2);
      Scan(3);
    }
    size_ = std::countr_zero(controls_);
    if (size_ < kMaxSize) {
      const char end = bytes_[size_];
      end_size_ = end == '\n' ? 1 : end == '\r' && bytes_[size_ + 1] == '\n' ? 2 : 0;
    }
    spaces_ &= Below(size_);
    not_digits_ &= Below(size_) & ~spaces_;
  }

  // Whether the line is such a line; nothing else here means anything otherwise.
  bool Found() const { return end_size_ != 0; }
  std::string_view Line() const { return {bytes_, static_cast<std::size_t>(size_)}; }
  int Size() const { return size_; }
  int SizeWithEnd() const { return size_ + end_size_; }

  std::uint32_t Spaces() const { return spaces_; }
  char At(int index) const { return bytes_[index]; }
  // Positions from `begin` on that hold neither a digit nor a space.
  std::uint32_t NotDigitsFrom(int begin) const { return not_digits_ & ~Below(begin); }
  // The value of the 1 to 3 digits at `begin`. Weighing all three bytes read, instead of
  // branching on how many there are, keeps the branch predictor out of it.
  int Value(int begin, int digits) const {
    static constexpr int kWeights[4][3] = {{0, 0, 0}, {1, 0, 0}, {10, 1, 0}, {100, 10, 1}};
    const auto& weight = kWeights[digits];
    return (bytes_[begin] - '0') * weight[0] + (bytes_[begin + 1] - '0') * weight[1] +
           (bytes_[begin + 2] - '0') * weight[2];
  }
  // The `size` bytes at `begin` as TypeKeys stores a short key.
  std::uint64_t ShortKey(int begin, int size) const {
    std::uint64_t word = 0;
    std::memcpy(&word, bytes_ + begin, 8);
    return size >= 8 ? word : word & ((std::uint64_t{1} << (8 * size)) - 1);
  }

 private:
  static std::uint32_t Below(int index) { return index >= 32 ? ~0u : (1u << index) - 1; }

  void Scan(int index) {
    std::uint64_t word = 0;
    std::memcpy(&word, bytes_ + 8 * index, 8);
    const int shift = 8 * index;
    controls_ |= Gather(~BytesAtLeast(word, 0x20) & kHighBits) << shift;
    spaces_ |= Gather(~BytesAtLeast(word ^ (kEachByte * ' '), 1) & kHighBits) << shift;
    not_digits_ |= Gather(BytesAtLeast(word ^ (kEachByte * '0'), 10)) << shift;
  }

  const char* bytes_;
  std::uint32_t controls_ = 0;  // bytes below the space: line ends among them
  std::uint32_t spaces_ = 0;
  std::uint32_t not_digits_ = 0;
  int size_ = 0;
  int end_size_ = 0;
};

// What a record gives, from a short line that needs none of the general reading.
struct Lexed {
  std::string_view key;  // "id1 id2"
  std::uint64_t short_key;
  bool covers;  // false for a rectangle record with an empty range
  Box box;
};

// The lexers fill a Lexed in place and say whether the line was theirs: returning one by value
// copied it in wide pieces just after it was written in narrow ones, which stalls the processor.
void SetKey(const ShortLine& line, int begin, int end, Lexed& lexed) {
  const int size = end - begin;
  lexed.key = line.Line().substr(static_cast<std::size_t>(begin), static_cast<std::size_t>(size));
  lexed.short_key =
      size <= static_cast<int>(TypeKeys::kShortKeySize) ? line.ShortKey(begin, size) : 0;
}

// The position of the first space left in `spaces`, which it takes out; 32 when none is left.
int NextSpace(std::uint32_t& spaces) {
  const int at = std::countr_zero(spaces);
  spaces &= spaces - 1;
  return at;
}

// A plain tile record "id1 id2 x y z": exactly five fields, with x, y and z plain decimal
// integers (no sign, no leading zero) inside the grid. Any other line gives nothing.
bool LexPlainTile(const ShortLine& line, Lexed& lexed) {
  // Plain variables, not arrays: the compiler would store an array and load it back in wider
  // pieces, which stalls the processor.
  std::uint32_t spaces = line.Spaces();
  NextSpace(spaces);
  const int key_end = NextSpace(spaces);
  const int x_begin = key_end + 1;
  const int y_begin = NextSpace(spaces) + 1;
  const int z_begin = NextSpace(spaces) + 1;
  const int x_digits = y_begin - 1 - x_begin;
  const int y_digits = z_begin - 1 - y_begin;
  const int z_digits = line.Size() - z_begin;
  // All tests at once, with one branch: four spaces, then 1 to 3 digits a number, no leading zero.
  const auto number_ok = [&line](int begin, int digits) {
    return (static_cast<unsigned>(digits - 1) < 3) & ((digits == 1) | (line.At(begin) != '0'));
  };
  bool plain = spaces == 0;
  plain &= z_begin <= line.Size();
  plain &= line.NotDigitsFrom(x_begin) == 0;
  plain &= number_ok(x_begin, x_digits);
  plain &= number_ok(y_begin, y_digits);
  plain &= number_ok(z_begin, z_digits);
  if (!plain) return false;
  const int x = line.Value(x_begin, x_digits);
  const int y = line.Value(y_begin, y_digits);
  const int z = line.Value(z_begin, z_digits);
  if ((x >= kColumns) | (y >= kRows) | (z >= kLayers)) return false;
  SetKey(line, 0, key_end, lexed);
  lexed.covers = true;
  lexed.box = {x, x, y, y, z};
  return true;
}

// A rectangle record "TILEW id1 id2 x-from x-to y-from y-to z" of exactly eight fields, its
// numbers whole, of up to three digits with an optional minus, and its bounds inside the grid or
// an empty range. Any other line gives nothing, and goes the general way.
bool LexRectangle(const ShortLine& line, Lexed& lexed) {
  std::uint32_t spaces = line.Spaces();
  const int key_begin = NextSpace(spaces) + 1;
  NextSpace(spaces);
  const int key_end = NextSpace(spaces);
  int value[5];
  std::uint32_t minus = 0;
  int begin = key_end + 1;
  for (int i = 0; i < 5; ++i) {
    const int end = i < 4 ? NextSpace(spaces) : line.Size();
    const bool negative = line.At(begin) == '-';
    const int digits = end - begin - (negative ? 1 : 0);
    if (digits < 1 || digits > 3) return false;
    minus |= (negative ? 1u : 0u) << begin;
    const int magnitude = line.Value(begin + (negative ? 1 : 0), digits);
    value[i] = negative ? -magnitude : magnitude;
    begin = end + 1;
  }
  if (spaces != 0 || line.NotDigitsFrom(key_end + 1) != minus) return false;
  SetKey(line, key_begin, key_end, lexed);
  const int x1 = value[0] + kRectangleOffset;
  const int x2 = value[1] + kRectangleOffset;
  const int y1 = value[2] + kRectangleOffset;
  const int y2 = value[3] + kRectangleOffset;
  lexed.covers = false;
  if (x1 > x2 || y1 > y2) return true;  // covers nothing, whatever its other fields say
  const auto inside = [](int index, int size) { return index >= 0 && index < size; };
  if (!inside(x1, kColumns) || !inside(x2, kColumns) || !inside(y1, kRows) || !inside(y2, kRows) ||
      !inside(value[4], kLayers)) {
    return false;  // the general reading says what is wrong
  }
  lexed.covers = true;
  lexed.box = {x1, x2, y1, y2, value[4]};
  return true;
}

// A number field as the shortener may rewrite it: plain decimal digits, no sign, no leading zero.
bool IsPlainInteger(std::string_view text) {
  if (text.empty() || (text.size() > 1 && text[0] == '0')) return false;
  return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// "id1 id2" of a record whose ids are fields `first` and `first` + 1, as it stands in the line.
std::string_view KeyOf(std::string_view line, const Fields& fields, int first) {
  const auto begin = static_cast<std::size_t>(fields[first].data() - line.data());
  const auto end =
      static_cast<std::size_t>(fields[first + 1].data() - line.data()) + fields[first + 1].size();
  return line.substr(begin, end - begin);
}

// Calls `each_run(first, last)` for each run of consecutive indices in `indices`, which never
// decrease.
template <typename EachRun>
void ForEachRun(const std::vector<int>& indices, EachRun each_run) {
  for (std::size_t i = 0; i < indices.size();) {
    std::size_t j = i + 1;
    while (j < indices.size() && indices[j] - indices[j - 1] <= 1) ++j;
    each_run(indices[i], indices[j - 1]);
    i = j;
  }
}

// Reads every record of `text`, a part of a template that starts at offset `begin` of the
// whole, in file order; the header lines too when `begin` is 0. Returns the count of lines.
// `number(key, short_key)` gives the type number of a key, or a negative number to stop reading,
// which then returns nothing. `add(type, box, plain, offset)` takes each box a record gives.
template <typename Number, typename Add>
std::optional<long long> ReadRecords(const std::string& name, std::string_view text,
                                     std::size_t begin, Number number, Add add) {
  TemplateFile file(name, text);
  for (int header = 0; header < 2 && begin == 0; ++header) {
    if (file.AtEnd()) {
      throw Fault({name, file.LineNumber() + 1}, "the template ends before its two header lines");
    }
    file.ReadLine();
  }
  const auto number_of = [&](std::string_view key) {
    return number(key, key.size() <= TypeKeys::kShortKeySize ? TypeKeys::ShortKey(key) : 0);
  };
  // Short lines are read here; any other goes to the general reader, which goes on from there.
  std::size_t offset = file.Offset();
  long long line_number = file.LineNumber();
  for (;;) {
    if (ShortLine::kWorksHere && text.size() - offset >= ShortLine::kReadable) {
      const ShortLine bytes(text.data() + offset);
      const bool rectangle = IsRectangleRecord(bytes.Line());
      if (bytes.Found()) {
        Lexed lexed;
        if (rectangle ? LexRectangle(bytes, lexed) : LexPlainTile(bytes, lexed)) {
          const int type = number(lexed.key, lexed.short_key);
          if (type < 0) return std::nullopt;
          if (lexed.covers) add(type, lexed.box, !rectangle, begin + offset);
          offset += static_cast<std::size_t>(bytes.SizeWithEnd());
          ++line_number;
          continue;
        }
      }
    }
    file.SkipTo(offset, line_number);
    if (file.AtEnd()) break;
    const std::string_view line = file.ReadLine();
    const bool rectangle = IsRectangleRecord(line);
    const std::size_t line_start = begin + offset;
    offset = file.Offset();
    line_number = file.LineNumber();

    if (rectangle) {
      RequireIds(file, line, 1);
      const Fields fields = SplitFields(line);
      const int type = number_of(KeyOf(line, fields, 1));
      if (type < 0) return std::nullopt;
      const RectangleCells covered = RectangleRecordCells(file, fields);
      ForEachRun(covered.columns, [&](int x1, int x2) {
        ForEachRun(covered.rows, [&](int y1, int y2) {
          add(type, Box{x1, x2, y1, y2, covered.z}, false, line_start);
        });
      });
    } else {
      RequireIds(file, line, 0);
      // Six fields tell whether the record has exactly five.
      const Fields fields = SplitFields(line, 6);
      const int type = number_of(KeyOf(line, fields, 0));
      if (type < 0) return std::nullopt;
      const GridCell cell = TileRecordCell(file, fields);
      const bool plain = fields.count == 5 && IsPlainInteger(fields[2]) &&
                         IsPlainInteger(fields[3]) && IsPlainInteger(fields[4]);
      add(type, Box{cell.x, cell.x, cell.y, cell.y, cell.z}, plain, line_start);
    }
  }
  return line_number;
}

// A template of this size or more is read in two parts side by side.
constexpr std::size_t kReadInPartsFrom = std::size_t{1} << 16;

// Where a template is cut in two to be read side by side: just after the first LF from its
// middle on, which always ends a line, and after the header lines. 0 to read it whole.
std::size_t CutPoint(const std::string& name, std::string_view text) {
  if (text.size() < kReadInPartsFrom) return 0;
  TemplateFile file(name, text);
  for (int header = 0; header < 2 && !file.AtEnd(); ++header) file.ReadLine();
  const std::size_t lf = text.find('\n', std::max(file.Offset(), text.size() / 2));
  return lf == std::string_view::npos || lf + 1 == text.size() ? 0 : lf + 1;
}

// Reads a template whole, or in two parts side by side where CutPoint says so:
// `read_part(index, part, begin)` reads the part of the text from offset `begin`, as ReadRecords
// does. Returns the count of lines, or nothing if a part stopped. A fault names its line in the
// whole template, and the first fault in the file is the one thrown.
template <typename ReadPart>
std::optional<long long> ReadInParts(const std::string& name, std::string_view text,
                                     ReadPart read_part) {
  if (text.size() > std::numeric_limits<std::uint32_t>::max()) {
    throw Fault({name}, "is too large to shorten: 4 GiB or more");
  }
  const std::size_t cut = CutPoint(name, text);
  if (cut == 0) return read_part(0, text, 0);
  std::optional<long long> lines[2];
  std::optional<Fault> second_fault;  // its line counted from the cut
  InParts(2, [&](int index) {
    if (index == 0) {
      lines[0] = read_part(0, text.substr(0, cut), 0);
      return;
    }
    try {
      lines[1] = read_part(1, text.substr(cut), cut);
    } catch (const Fault& fault) {
      second_fault = fault;
    }
  });
  if (!lines[0]) return std::nullopt;
  if (second_fault) {
    const FaultPlace& place = second_fault->place();
    throw Fault({place.file, place.line + *lines[0], place.field}, second_fault->problem());
  }
  if (!lines[1]) return std::nullopt;
  return *lines[0] + *lines[1];
}

// The `add` of ReadRecords that keeps every record in `records`, which the reading of one part
// owns: the two parts' threads never write side by side.
auto KeepIn(std::vector<TemplateRecord>& records) {
  return [&records](int type, const Box& box, bool plain, std::size_t offset) {
    records.push_back({static_cast<std::uint32_t>(type), RecordCells::Of(offset, box, plain)});
  };
}

}  // namespace

TemplateRecords ReadTemplateRecords(const std::string& name, std::string_view text) {
  TemplateRecords parts[2];  // each with types numbered on its own
  const auto lines =
      ReadInParts(name, text, [&](int index, std::string_view part, std::size_t begin) {
        TemplateRecords read;
        std::vector<TemplateRecord> records;
        // Lines are some 16 bytes long; reserving spares most regrowth.
        records.reserve(part.size() / 14);
        const auto lines = ReadRecords(
            name, part, begin,
            [&](std::string_view key, std::uint64_t short_key) {
              const int type = read.keys.FindOrAdd(key, short_key);
              if (type == static_cast<int>(read.type_keys.size())) read.type_keys.emplace_back(key);
              return type;
            },
            KeepIn(records));
        read.parts.push_back(std::move(records));
        parts[index] = std::move(read);
        return lines;
      });
  TemplateRecords& read = parts[0];
  read.lines = *lines;
  if (parts[1].parts.empty()) return std::move(read);

  // The second part's types, numbered on from the first's in the order of first records.
  std::vector<std::uint32_t> renumbered;
  for (const std::string& key : parts[1].type_keys) {
    const int type = read.keys.FindOrAdd(key);
    if (type == static_cast<int>(read.type_keys.size())) read.type_keys.push_back(key);
    renumbered.push_back(static_cast<std::uint32_t>(type));
  }
  auto& second = read.parts.emplace_back(std::move(parts[1].parts[0]));
  for (auto& record : second) record.type = renumbered[record.type];
  return std::move(read);
}

std::optional<RecordParts> ReadRecordsOfTypes(const std::string& name, std::string_view text,
                                              const TypeKeys& keys, RecordParts spare) {
  spare.resize(2);
  RecordParts parts(2);
  std::vector<bool> seen[2];
  const auto lines =
      ReadInParts(name, text, [&](int index, std::string_view part, std::size_t begin) {
        std::vector<TemplateRecord> records = std::move(spare[static_cast<std::size_t>(index)]);
        records.clear();
        records.reserve(part.size() / 14);
        std::vector<bool> part_seen(static_cast<std::size_t>(keys.Size()), false);
        const auto lines = ReadRecords(
            name, part, begin,
            [&](std::string_view key, std::uint64_t short_key) {
              const int type = keys.Find(key, short_key);
              if (type >= 0) part_seen[static_cast<std::size_t>(type)] = true;
              return type;
            },
            KeepIn(records));
        parts[static_cast<std::size_t>(index)] = std::move(records);
        seen[index] = std::move(part_seen);
        return lines;
      });
  if (!lines) return std::nullopt;
  for (std::size_t type = 0; type < static_cast<std::size_t>(keys.Size()); ++type) {
    if (!seen[0][type] && (seen[1].empty() || !seen[1][type])) return std::nullopt;
  }
  if (seen[1].empty()) parts.pop_back();  // read whole
  return parts;
}

}  // namespace quarnel
