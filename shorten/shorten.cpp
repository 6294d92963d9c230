#include "shorten/shorten.h"

#include <algorithm>
#include <array>
#include <bit>
#include <optional>
#include <span>
#include <utility>

#include "cover/cover.h"
#include "model/fault.h"
#include "model/template_file.h"
#include "model/template_format.h"
#include "model/tile_array.h"
#include "shorten/edits.h"
#include "shorten/same_tiles.h"
#include "shorten/side_by_side.h"
#include "shorten/template_records.h"

namespace quarnel {
namespace {

// Shortens one type on one layer. Every step works on this layer's cells only, which stay
// in the fastest cache; the arrays are reused from layer to layer and cleared as they were set.
class LayerShortener {
 public:
  LayerShortener(std::string_view text, Edits& edits, ShortenSummary& summary)
      : text_(text), edits_(edits), summary_(summary) {}

  void Shorten(std::span<const RecordCells> records, std::string_view key, int z) {
    // Cells that lines kept as they stand cover already: rectangle records and tile records that
    // are not plain. These may be covered again but need not be. A row at a time on bit masks: a
    // million records over one whole layer each cost a row's step per row, not a step per cell.
    bool any_kept = false;
    for (const auto& r : records) {
      if (r.Plain()) continue;
      ForEachRow(text_, r, [&](std::uint32_t row_start, std::uint64_t columns) {
        kept_rows_[row_start % kLayerCells / kColumns] |= columns;
      });
      any_kept = true;
    }
    // The rest must be covered; the first plain record of a cell stands for it.
    std::size_t plain = 0;
    for (const auto& r : records) {
      if (!r.Plain()) continue;
      ++plain;
      const int local = LocalCell(r);
      if (state_[local] != kEmpty || IsKept(local)) continue;
      state_[local] = kMust;
      first_[local] = r.offset;
      must_.push_back(local);
    }
    // The kept cells, one by one, only where there is something to cover.
    if (any_kept && !must_.empty()) {
      for (int y = 0; y < kRows; ++y) {
        for (std::uint64_t bits = kept_rows_[static_cast<std::size_t>(y)]; bits != 0;
             bits &= bits - 1) {
          const int local = y * kColumns + std::countr_zero(bits);
          state_[local] = kKept;
          allowed_.push_back(local);
        }
      }
    }
    const bool lonely = LonelyCells();
    if (lonely) {
      // Each cell is a rectangle of its own, and keeps its record: nothing to cover.
      summary_.rectangles_found += static_cast<long long>(must_.size());
      summary_.rectangles_at_least += static_cast<long long>(must_.size());
      // A layer of rectangle records alone has nothing to cover and does not count.
      summary_.layers += must_.empty() ? 0 : 1;
      summary_.layers_proven += must_.empty() ? 0 : 1;
    } else {
      WriteCover(key, z);
    }
    // Records to leave out: all but the first of a cell, and those whose cell a rectangle took.
    // None when nothing merged and every plain record had a cell of its own.
    if (!lonely || plain != must_.size()) {
      for (const auto& r : records) {
        const int local = LocalCell(r);
        if (r.Plain() && !(state_[local] == kMust && first_[local] == r.offset))
          edits_.Drop(r.offset);
      }
    }
    for (const int local : must_) state_[local] = kEmpty;
    for (const int local : allowed_) state_[local] = kEmpty;
    if (any_kept) kept_rows_.fill(0);
    must_.clear();
    allowed_.clear();
  }

 private:
  enum : std::uint8_t { kEmpty, kKept, kMust, kMerged };

  bool IsKept(int local) const {
    return (kept_rows_[static_cast<std::size_t>(local / kColumns)] >> (local % kColumns) & 1) != 0;
  }

  static int LocalCell(const RecordCells& r) {
    const Box box = r.GetBox();
    return GridCell{box.x1, box.y1, box.z}.LayerIndex();
  }

  // Whether no cell to cover has a neighbour of its type: the common case in a sparse layer.
  bool LonelyCells() const {
    return std::none_of(must_.begin(), must_.end(), [&](int cell) {
      const auto [x, y, z] = GridCell::FromLayerIndex(cell);
      return (x > 0 && state_[cell - 1] != kEmpty) ||
             (x + 1 < kColumns && state_[cell + 1] != kEmpty) ||
             (y > 0 && state_[cell - kColumns] != kEmpty) ||
             (y + 1 < kRows && state_[cell + kColumns] != kEmpty);
    });
  }

  void WriteCover(std::string_view key, int z) {
    const CoverEffort effort;
    const LayerCover cover = CoverCells(
        must_, allowed_, {.node_budget = std::min(effort.node_budget, search_nodes_)}, memory_);
    search_nodes_ -= cover.search_nodes;
    summary_.rectangles_found += static_cast<long long>(cover.rects.size());
    summary_.rectangles_at_least += cover.lower_bound;
    ++summary_.layers;
    if (cover.proven) {
      ++summary_.layers_proven;
    } else {
      summary_.unproven_rectangles += static_cast<long long>(cover.rects.size());
      summary_.unproven_at_least += cover.lower_bound;
    }
    for (const Rect& r : cover.rects) {
      // A rectangle with one plain cell saves no line: that cell keeps its plain record instead.
      int replaced = 0;
      std::uint32_t place = UINT32_MAX;
      for (int y = r.y1; y <= r.y2; ++y) {
        for (int x = r.x1; x <= r.x2; ++x) {
          const int local = GridCell{x, y}.LayerIndex();
          if (state_[local] == kMust || state_[local] == kMerged) {
            ++replaced;
            place = std::min(place, first_[local]);
          }
        }
      }
      if (replaced < 2) continue;
      for (int y = r.y1; y <= r.y2; ++y) {
        for (int x = r.x1; x <= r.x2; ++x) {
          auto& cell = state_[GridCell{x, y}.LayerIndex()];
          if (cell == kMust) cell = kMerged;
        }
      }
      // Written where the first plain record it replaces stood, with that line's end.
      edits_.Insert(place,
                    RectangleRecord(key, r.x1, r.x2, r.y1, r.y2, z, LineAt(text_, place).end));
      ++summary_.records_written;
    }
  }

  std::string_view text_;
  Edits& edits_;
  ShortenSummary& summary_;
  std::array<std::uint8_t, kLayerCells> state_{};
  std::array<std::uint32_t, kLayerCells> first_{};  // where a must cell's first record starts
  std::array<std::uint64_t, kRows> kept_rows_{};    // the kept cells, a row's columns as bits
  std::vector<int> must_;
  std::vector<int> allowed_;
  CoverMemory memory_;
  // Search nodes for all layers: a template made of layers that are hard to prove would
  // otherwise take some 20 ms a layer. Past it, layers keep what the reductions find.
  long search_nodes_ = 1'000'000;
};

// A type of fewer records than this is sorted by layer; more, counted out by layer.
constexpr std::size_t kFewRecords = 32;

// Shortens one type of a few records, layer by layer; `by_layer` has room for them.
void ShortenFew(std::span<const RecordCells> records, LargeVector<RecordCells>& by_layer,
                std::string_view key, LayerShortener& layer) {
  const auto sorted = std::span(by_layer).first(records.size());
  std::copy(records.begin(), records.end(), sorted.begin());
  // An insertion sort: stable, and with no buffer to take, which std::stable_sort takes from the
  // heap even for one record, a million times for a million types.
  for (std::size_t i = 1; i < sorted.size(); ++i) {
    const RecordCells record = sorted[i];
    std::size_t at = i;
    for (; at > 0 && sorted[at - 1].Layer() > record.Layer(); --at) sorted[at] = sorted[at - 1];
    sorted[at] = record;
  }
  for (std::size_t begin = 0, end = 0; begin < sorted.size(); begin = end) {
    while (end < sorted.size() && sorted[end].Layer() == sorted[begin].Layer()) ++end;
    layer.Shorten(sorted.subspan(begin, end - begin), key, sorted[begin].Layer());
  }
}

// Shortens the types in [first, last), layer by layer.
void ShortenTypes(const ByType& by_type, const TypeKeys& keys,
                  std::pair<std::size_t, std::size_t> types, LayerShortener& layer) {
  // Each type's records by layer, file order kept within a layer; room for the largest type.
  std::size_t most = 0;
  for (std::size_t t = types.first; t < types.second; ++t) {
    most = std::max(most, by_type.Of(t).size());
  }
  LargeVector<RecordCells> by_layer(most);
  std::array<std::uint32_t, kLayers + 1> layer_begin{};
  for (std::size_t t = types.first; t < types.second; ++t) {
    const auto records = by_type.Of(t);
    if (records.size() < kFewRecords) {  // a sort of a few spares a pass over every layer
      ShortenFew(records, by_layer, keys.Key(static_cast<int>(t)), layer);
      continue;
    }
    layer_begin.fill(0);
    for (const auto& r : records) ++layer_begin[r.Layer() + 1];
    for (int z = 0; z < kLayers; ++z) layer_begin[z + 1] += layer_begin[z];
    std::array<std::uint32_t, kLayers> next{};
    std::copy(layer_begin.begin(), layer_begin.end() - 1, next.begin());
    for (const auto& r : records) by_layer[next[r.Layer()]++] = r;
    for (int z = 0; z < kLayers; ++z) {
      if (layer_begin[z] == layer_begin[z + 1]) continue;
      layer.Shorten(
          std::span(by_layer).subspan(layer_begin[z], layer_begin[z + 1] - layer_begin[z]),
          keys.Key(static_cast<int>(t)), z);
    }
  }
}

}  // namespace

ShortenSummary& ShortenSummary::operator+=(const ShortenSummary& other) {
  records_written += other.records_written;
  rectangles_found += other.rectangles_found;
  rectangles_at_least += other.rectangles_at_least;
  layers += other.layers;
  layers_proven += other.layers_proven;
  unproven_rectangles += other.unproven_rectangles;
  unproven_at_least += other.unproven_at_least;
  return *this;
}

Shortened Shorten(const std::string& name, std::string_view text, BeforeCheck before_check,
                  int parts) {
  TemplateRecords read = ReadTemplateRecords(name, text);
  const ByType& by_type = read.by_type;
  // Types are shortened in two parts side by side, each with its own edits.
  const std::size_t types = read.Types();
  if (parts == 0) parts = PartsFor(text);
  std::optional<Edits> part_edits[2];
  ShortenSummary part_summaries[2];
  SideBySide(parts, [&](int p) {
    // Made on each thread's own stack and handed over when done: counters the two threads bump
    // side by side in one array would share cache lines.
    Edits edits(text.size());
    ShortenSummary summary;
    LayerShortener layer(text, edits, summary);
    ShortenTypes(by_type, read.keys, TypesOfPart(by_type, types, parts, p), layer);
    part_edits[p] = std::move(edits);
    part_summaries[p] = summary;
  });
  Edits& edits = *part_edits[0];
  if (parts == 2) edits.Add(std::move(*part_edits[1]));
  Shortened result;
  ShortenSummary& summary = result.summary;
  for (const ShortenSummary& part : part_summaries) summary += part;
  result.text = ApplyEdits(text, edits);
  summary.lines_before = read.lines;
  summary.lines_after =
      read.lines - edits.dropped_count + static_cast<long long>(edits.inserted.size());

  if (before_check) before_check(result.text);
  // The check that makes the result safe to use: the same cells for every type, read back with
  // the loader's own rules.
  if (!SameTilesAs(read, text, name + " (shortened)", result.text)) {
    throw SelfCheckFailure(
        {name}, "the shortened template would not hold the same tiles; nothing is written");
  }
  return result;
}

}  // namespace quarnel
