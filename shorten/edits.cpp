#include "shorten/edits.h"

#include <algorithm>
#include <bit>

#include "model/huge_pages.h"
#include "model/template_file.h"

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

LargeText ApplyEdits(std::string_view text, Edits& edits) {
  // By place, and in the order put in among records of one place: records put in later start
  // later in `records`. A plain sort, with no buffer.
  std::sort(edits.inserted.begin(), edits.inserted.end(), [](const auto& a, const auto& b) {
    return a.place != b.place ? a.place < b.place : a.begin < b.begin;
  });
  std::size_t extra = 0;
  for (const auto& record : edits.inserted) extra += record.size + 2;
  LargeText out;
  out.ReserveToFill(text.size() + extra);
  auto next = edits.inserted.begin();
  std::size_t copied = 0;  // text before this is in `out`, or left out
  for (std::size_t word = 0; word < edits.dropped.size(); ++word) {
    for (std::uint64_t bits = edits.dropped[word]; bits != 0; bits &= bits - 1) {
      const std::size_t offset = word * 64 + static_cast<std::size_t>(std::countr_zero(bits));
      if (offset > copied) out.Append(text.substr(copied, offset - copied));
      const LineSpan line = LineAt(text, offset);
      for (const auto first = next; next != edits.inserted.end() && next->place == offset; ++next) {
        // Records in place of a last line without a line end still need ends between them.
        if (next != first && line.end.empty()) out.Append("\r\n");
        out.Append(edits.Record(*next));
      }
      copied = offset + line.size;
    }
  }
  out.Append(text.substr(copied));
  for (; next != edits.inserted.end(); ++next) {
    if (!out.empty() && out.back() != '\n' && out.back() != '\r') out.Append("\r\n");
    out.Append(edits.Record(*next));
  }
  return out;
}

}  // namespace quarnel
