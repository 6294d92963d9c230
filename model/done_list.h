#pragma once

#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

#include "model/template_format.h"
#include "model/type_keys.h"

namespace quarnel {

// The tile types shown in the current run, in the order shown, with their keys ("id1 id2") for
// quick look-up straight from a line read. Types compare as exact pairs of ids; ids hold no
// spaces, so a key names one pair only.
class DoneList {
 public:
  const std::vector<TileType>& Shown() const { return shown_; }
  bool Contains(const TypeKey& key) const { return keys_.Find(key) != TypeKeys::kAbsent; }
  bool Contains(std::string_view key) const { return Contains(TypeKey(key)); }
  void Add(TileType type) {
    keys_.FindOrAdd(type.Key());
    shown_.push_back(std::move(type));
  }

 private:
  std::vector<TileType> shown_;
  TypeKeys keys_;
};

}  // namespace quarnel
