#include <benchmark/benchmark.h>

#include "bench/generated_template.h"
#include "editor/window_record.h"
#include "model/loader.h"

namespace quarnel::bench {
namespace {

const TemplateShape kMillionLines{1'000'000, 1'000, 0.05, 1};

void BM_LineEndBaseline(benchmark::State& state) {
  const std::string path = GeneratedTemplate(kMillionLines);
  for (auto _ : state) benchmark::DoNotOptimize(CountLineEnds(path));
}
BENCHMARK(BM_LineEndBaseline)->Unit(benchmark::kMillisecond);

void BM_LoadToArray(benchmark::State& state) {
  WindowRecord window;
  window.path = GeneratedTemplate(kMillionLines);
  Program program(window);
  for (auto _ : state) LoadToArray(program, TypeId1(500), TypeId2(500));
}
BENCHMARK(BM_LoadToArray)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace quarnel::bench
