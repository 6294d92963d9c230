#include "shorten/edits.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <iterator>

#include "model/huge_pages.h"
#include "model/template_file.h"
#include "shorten/side_by_side.h"

namespace quarnel {

LineSpan LineAt(std::string_view text, std::size_t offset) {
  // The text was read already: it holds no NUL.
  const char* const stop = FindLineEnd(text.data() + offset, text.data() + text.size());
  const auto at = static_cast<std::size_t>(stop - text.data());
  if (at == text.size()) return {at - offset, {}};
  const std::size_t end_size = *stop == '\r' && at + 1 < text.size() && stop[1] == '\n' ? 2 : 1;
  return {at + end_size - offset, {stop, end_size}};
}

Edits::Edits(std::size_t text_size) : dropped((text_size + 64) / 64, 0) {
  // Room for the records of a large template from the start, on 2 MiB pages, rather than
  // growing through small blocks.
  records.reserve(std::min(text_size / 16, kHugePageFrom));
}

void Edits::Insert(std::uint32_t place, std::string_view record) {
  inserted.push_back({place, static_cast<std::uint32_t>(records.size()),
                      static_cast<std::uint32_t>(record.size())});
  records.Append(record);
}

void Edits::Add(Edits&& other) {
  for (std::size_t w = 0; w < dropped.size(); ++w) dropped[w] |= other.dropped[w];
  dropped_count += other.dropped_count;
  const auto shift = static_cast<std::uint32_t>(records.size());
  inserted.reserve(inserted.size() + other.inserted.size());
  for (Inserted record : other.inserted) {
    record.begin += shift;
    inserted.push_back(record);
  }
  records.Append(other.records);
}

namespace {

// A piece of the rewritten text: bytes of the text or of a record put in.
struct Piece {
  const char* data;
  std::size_t size;
};

constexpr std::string_view kCrLf = "\r\n";

// The pieces that rewrite the text from `begin` up to `end`, both line starts or the text's end,
// with the records put in whose places lie there, from `next` on. Adds them to `pieces` and
// returns their size.
std::size_t PiecesOf(std::string_view text, const Edits& edits, std::size_t begin, std::size_t end,
                     const Edits::Inserted* next, LargeVector<Piece>& pieces) {
  std::size_t size = 0;
  const auto add = [&](std::string_view piece) {
    if (piece.empty()) return;
    pieces.push_back({piece.data(), piece.size()});
    size += piece.size();
  };
  const Edits::Inserted* const last = edits.inserted.data() + edits.inserted.size();
  std::size_t copied = begin;  // text before this is in a piece, or left out
  for (std::size_t word = begin / 64; word < (end + 63) / 64 && word < edits.dropped.size();
       ++word) {
    for (std::uint64_t bits = edits.dropped[word]; bits != 0; bits &= bits - 1) {
      const std::size_t offset = word * 64 + static_cast<std::size_t>(std::countr_zero(bits));
      if (offset < begin) continue;
      if (offset >= end) break;
      add(text.substr(copied, offset - copied));
      const LineSpan line = LineAt(text, offset);
      for (const auto* first = next; next != last && next->place == offset; ++next) {
        // Records in place of a last line without a line end still need ends between them.
        if (next != first && line.end.empty()) add(kCrLf);
        add(edits.Record(*next));
      }
      copied = offset + line.size;
    }
  }
  add(text.substr(copied, end - copied));
  if (end == text.size()) {  // records put in after the last line
    for (; next != last; ++next) {
      const char last_byte = pieces.empty() ? '\n' : pieces.back().data[pieces.back().size - 1];
      if (size != 0 && last_byte != '\n' && last_byte != '\r') add(kCrLf);
      add(edits.Record(*next));
    }
  }
  return size;
}

}  // namespace

LargeText ApplyEdits(std::string_view text, Edits& edits) {
  // By place, and in the order put in among records of one place: records put in later start
  // later in `records`. A plain sort, with no buffer.
  std::sort(edits.inserted.begin(), edits.inserted.end(), [](const auto& a, const auto& b) {
    return a.place != b.place ? a.place < b.place : a.begin < b.begin;
  });
  // A large text is rewritten in two halves side by side, cut just after a LF, which always ends
  // a line: first the pieces of each half, then each half's pieces copied to their place.
  const std::size_t lf =
      text.size() >= kSideBySideFrom ? text.find('\n', text.size() / 2) : std::string_view::npos;
  const std::size_t cut = lf == std::string_view::npos ? text.size() : lf + 1;
  const int parts = cut < text.size() ? 2 : 1;
  const std::size_t bounds[3] = {0, cut, text.size()};
  const auto* const second = std::lower_bound(
      edits.inserted.data(), edits.inserted.data() + edits.inserted.size(), cut,
      [](const Edits::Inserted& record, std::size_t place) { return record.place < place; });
  const Edits::Inserted* const firsts[2] = {edits.inserted.data(), second};
  LargeVector<Piece> pieces[2];
  std::size_t sizes[2] = {0, 0};
  SideBySide(parts, [&](int p) {
    LargeVector<Piece> own;  // on this thread's own stack while it grows
    sizes[p] = PiecesOf(text, edits, bounds[p], bounds[p + 1 + (parts == 1)], firsts[p], own);
    pieces[p] = std::move(own);
  });
  LargeText out;
  out.resize(sizes[0] + sizes[1]);
  SideBySide(parts, [&](int p) {
    char* at = out.data() + (p == 0 ? 0 : sizes[0]);
    for (const Piece& piece : pieces[p]) {
      std::memcpy(at, piece.data, piece.size);
      at += piece.size;
    }
  });
  return out;
}

}  // namespace quarnel
