#include "shorten/auto_types.h"

#include <array>
#include <bit>
#include <bitset>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <utility>

#include "cover/cover.h"
#include "model/box_read.h"
#include "model/huge_pages.h"
#include "model/template_file.h"
#include "model/template_format.h"
#include "model/type_keys.h"
#include "shorten/side_by_side.h"
#include "shorten/template_records.h"

namespace quarnel {
namespace {

// A part covers types until it has this many records or types, so that Cancel and the progress
// are never far off, and a thread started for a part has enough to do.
constexpr std::size_t kPartRecords = std::size_t{1} << 16;
constexpr std::size_t kPartTypes = 4096;
// A part of fewer records is covered on one thread.
constexpr std::size_t kTwoThreadsFrom = 4096;

// One type's cells, a grid row's columns as bits: those of its records, and those that records
// cover already. Kept by each thread from type to type and cleared where it was set.
class TypeRows {
 public:
  void AddRecord(std::string_view text, const RecordCells& record) {
    // A record that is neither plain nor a tile record with odd numbers is a rectangle record.
    const bool rectangle = !record.Plain() && IsRectangleRecord(text.substr(record.offset));
    ForEachRow(text, record, [&](std::uint32_t row_start, std::uint64_t columns) {
      const auto at = static_cast<std::size_t>(row_start / kColumns);
      tiles_[at] |= columns;
      if (rectangle) covered_[at] |= columns;
      set_[row_start / kLayerCells] = true;
    });
  }
  void AddCovered(const Box& box) {
    const std::uint64_t columns = ((std::uint64_t{1} << (box.x2 - box.x1 + 1)) - 1) << box.x1;
    for (int y = box.y1; y <= box.y2; ++y)
      covered_[static_cast<std::size_t>(box.z * kRows + y)] |= columns;
    set_[static_cast<std::size_t>(box.z)] = true;
  }
  // Covers each layer's cells that no record covers, as Auto does, and clears the rows.
  void Cover(std::string_view key, LayersCovered& result) {
    bool any = false;
    for (int z = 0; z < kLayers; ++z) {
      if (!set_[static_cast<std::size_t>(z)]) continue;
      must_.clear();
      allowed_.clear();
      for (int y = 0; y < kRows; ++y) {
        const auto at = static_cast<std::size_t>(z * kRows + y);
        for (std::uint64_t bits = tiles_[at]; bits != 0; bits &= bits - 1) {
          const int x = std::countr_zero(bits);
          (covered_[at] >> x & 1 ? allowed_ : must_).push_back(y * kColumns + x);
        }
        tiles_[at] = 0;
        covered_[at] = 0;
      }
      if (must_.empty()) continue;
      const LayerCover cover = CoverCells(must_, allowed_, {}, memory_);
      any = true;
      ++result.layers;
      result.cells += static_cast<long long>(must_.size());
      result.rectangles += static_cast<long long>(cover.rects.size());
      result.lower_bound += cover.lower_bound;
      result.proven += cover.proven;
      for (const Rect& r : cover.rects)
        AppendRectangleRecord(result.records, key, r.x1, r.x2, r.y1, r.y2, z);
    }
    set_.reset();
    result.types += any;
  }

 private:
  std::array<std::uint64_t, std::size_t{kRows} * kLayers> tiles_{};
  std::array<std::uint64_t, std::size_t{kRows} * kLayers> covered_{};
  std::bitset<kLayers> set_;  // layers with a row set
  std::vector<int> must_;
  std::vector<int> allowed_;
  CoverMemory memory_;
};

// Adds all but the records, which are joined once at the end: a million records grown a
// type at a time would be copied again and again.
void Add(LayersCovered& sum, const LayersCovered& part) {
  sum.rectangles += part.rectangles;
  sum.cells += part.cells;
  sum.layers += part.layers;
  sum.proven += part.proven;
  sum.lower_bound += part.lower_bound;
  sum.types += part.types;
}

}  // namespace

struct AutoTypesRun::Work {
  std::string path;
  std::vector<std::string> keys;
  std::shared_ptr<const std::string> box;
  LargeText text;
  std::optional<TemplateRecords> read;
  std::vector<int> types;                 // each key's type number in `read`; -1 where none
  std::vector<std::vector<Box>> covered;  // each key's cells the box's records cover
  std::size_t next = 0;                   // the next key to cover
  LayersCovered result;
  std::vector<std::string> written;  // each part's records

  std::span<const RecordCells> RecordsOf(std::size_t key) const {
    const int type = types[key];
    return type < 0 ? std::span<const RecordCells>() : read->by_type.Of(type);
  }
  void Read();
  void CoverKeys(std::size_t first, std::size_t last, std::size_t records);
};

void AutoTypesRun::Work::Read() {
  text = TemplateFile::ReadAll(path);
  read = ReadTemplateRecords(path, std::string_view(text.data(), text.size()));
  TypeKeys numbers;
  for (const std::string& key : keys) {
    numbers.FindOrAdd(key);
    types.push_back(read->keys.Find(key));
  }
  covered.resize(keys.size());
  ForEachBoxRecord(*box, [&](std::string_view key, const Box& cells) {
    if (const int number = numbers.Find(key); number >= 0)
      covered[static_cast<std::size_t>(number)].push_back(cells);
  });
  box.reset();
}

void AutoTypesRun::Work::CoverKeys(std::size_t first, std::size_t last, std::size_t records) {
  const std::string_view all(text.data(), text.size());
  std::vector<LayersCovered> parts(last - first);
  std::atomic<std::size_t> claimed = first;
  SideBySide(records >= kTwoThreadsFrom ? 2 : 1, [&](int) {
    const auto rows = std::make_unique<TypeRows>();
    for (std::size_t key; (key = claimed++) < last;) {
      for (const RecordCells& record : RecordsOf(key)) rows->AddRecord(all, record);
      for (const Box& cells : covered[key]) rows->AddCovered(cells);
      rows->Cover(keys[key], parts[key - first]);
      covered[key] = {};  // what is done needs no memory
    }
  });
  for (LayersCovered& part : parts) {
    Add(result, part);
    if (!part.records.empty()) written.push_back(std::move(part.records));
  }
}

AutoTypesRun::AutoTypesRun(std::string path, std::vector<std::string> keys,
                           std::shared_ptr<const std::string> box)
    : work_(std::make_unique<Work>()) {
  work_->path = std::move(path);
  work_->keys = std::move(keys);
  work_->box = std::move(box);
}

AutoTypesRun::~AutoTypesRun() = default;

long long AutoTypesRun::Total() const {
  return static_cast<long long>(work_->keys.size());
}

bool AutoTypesRun::Next() {
  Work& work = *work_;
  if (!work.read) {
    work.Read();
    return !work.keys.empty();
  }
  const std::size_t first = work.next;
  std::size_t last = first;
  std::size_t records = 0;
  while (last < work.keys.size() &&
         (last == first || (records < kPartRecords && last - first < kPartTypes))) {
    records += work.RecordsOf(last++).size();
  }
  work.CoverKeys(first, last, records);
  work.next = last;
  done_ = static_cast<long long>(last);
  return last < work.keys.size();
}

LayersCovered AutoTypesRun::Take() {
  LayersCovered result = std::move(work_->result);
  std::size_t size = 0;
  for (const std::string& part : work_->written) size += part.size();
  ReserveLarge(result.records, size);
  for (const std::string& part : work_->written) result.records += part;
  work_->written.clear();
  return result;
}

}  // namespace quarnel
