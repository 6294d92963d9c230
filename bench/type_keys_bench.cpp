// Finding type keys as the walker's step does for every tile record: the project's table against
// a standard hash map with the same seeded hash, on the same keys in the same run.
#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <unordered_map>
#include <vector>

#include "bench/generated_template.h"
#include "model/type_keys.h"

namespace quarnel::bench {
namespace {

// 1,000 keys as the generated templates name their types, and a million look-ups among them.
struct Keys {
  std::vector<std::string> keys;
  std::vector<std::uint32_t> order;
  Keys() {
    for (int type = 0; type < 1'000; ++type) keys.push_back(TypeId1(type) + " " + TypeId2(type));
    std::mt19937 random(5);
    for (int i = 0; i < 1'000'000; ++i) order.push_back(random() % keys.size());
  }
};

void BM_TypeKeysFind(benchmark::State& state) {
  const Keys k;
  TypeKeys table;
  for (const auto& key : k.keys) table.FindOrAdd(key);
  for (auto _ : state) {
    long found = 0;
    for (const auto i : k.order) found += table.Find(k.keys[i]);
    benchmark::DoNotOptimize(found);
  }
}
BENCHMARK(BM_TypeKeysFind)->Unit(benchmark::kMillisecond);

void BM_UnorderedMapFind(benchmark::State& state) {
  struct Hash {
    std::size_t operator()(const std::string& key) const { return SeededHash(key); }
  };
  const Keys k;
  std::unordered_map<std::string, int, Hash> table;
  for (const auto& key : k.keys) table.emplace(key, static_cast<int>(table.size()));
  for (auto _ : state) {
    long found = 0;
    for (const auto i : k.order) found += table.find(k.keys[i])->second;
    benchmark::DoNotOptimize(found);
  }
}
BENCHMARK(BM_UnorderedMapFind)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace quarnel::bench
