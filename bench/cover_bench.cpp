// Quality and speed of the layer cover on shaped layers, next to the greedy cover alone, one
// record per horizontal run, Boost.Polygon's get_rectangles and the lower bound; and a
// whole-template shorten next to a load.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <boost/polygon/polygon.hpp>
#include <chrono>
#include <random>
#include <vector>

#include "bench/generated_template.h"
#include "bench/layer_shapes.h"
#include "cover/cover.h"
#include "editor/steps.h"
#include "model/template_file.h"
#include "shorten/shorten.h"
#include "tests/support/window_record.h"

namespace quarnel::bench {
namespace {

int HorizontalRuns(const LayerCells& layer) {
  int runs = 0;
  for (int y = 0; y < kRows; ++y) {
    for (int x = 0; x < kColumns; ++x) {
      runs += layer[x + kColumns * y] && (x == 0 || !layer[x - 1 + kColumns * y]);
    }
  }
  return runs;
}

int BoostRectangles(const LayerCells& layer) {
  namespace gtl = boost::polygon;
  gtl::polygon_90_set_data<int> cells;
  for (int y = 0; y < kRows; ++y) {
    for (int x = 0; x < kColumns; ++x) {
      if (layer[x + kColumns * y]) cells.insert(gtl::rectangle_data<int>(x, y, x + 1, y + 1));
    }
  }
  std::vector<gtl::rectangle_data<int>> rects;
  cells.get_rectangles(rects);
  return static_cast<int>(rects.size());
}

// Microseconds of the fastest of three runs of `work`: the machine is shared.
template <typename Work>
double FastestUs(Work work) {
  double fastest = 1e18;
  for (int i = 0; i < 3; ++i) {
    const auto start = std::chrono::steady_clock::now();
    work();
    fastest = std::min(
        fastest, std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start)
                     .count());
  }
  return fastest;
}

void BM_CoverLayer(benchmark::State& state) {
  const auto shape = static_cast<Shape>(state.range(0));
  std::mt19937 random(1234 + static_cast<unsigned>(shape));
  std::vector<LayerCells> layers;
  for (int i = 0; i < 50; ++i) layers.push_back(MakeLayer(shape, random));

  double greedy = 0, exact = 0, runs = 0, boost = 0, bound = 0, greedy_bound = 0, proven = 0;
  std::vector<double> times;
  std::vector<double> greedy_times;  // the baseline
  for (const auto& layer : layers) {
    LayerCover cover;
    times.push_back(FastestUs([&] { cover = CoverLayer(layer, layer); }));
    LayerCover greedy_cover;
    greedy_times.push_back(
        FastestUs([&] { greedy_cover = CoverLayer(layer, layer, {.exact = false}); }));
    greedy += static_cast<double>(greedy_cover.rects.size());
    greedy_bound += greedy_cover.lower_bound;  // without the search's proofs
    exact += static_cast<double>(cover.rects.size());
    bound += cover.lower_bound;
    proven += cover.proven;
    runs += HorizontalRuns(layer);
    boost += BoostRectangles(layer);
  }
  std::sort(times.begin(), times.end());
  std::sort(greedy_times.begin(), greedy_times.end());
  std::size_t next = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(CoverLayer(layers[next], layers[next]));
    next = (next + 1) % layers.size();
  }
  const double n = static_cast<double>(layers.size());
  state.counters["greedy"] = greedy / n;
  state.counters["exact"] = exact / n;
  state.counters["runs"] = runs / n;
  state.counters["boost"] = boost / n;
  state.counters["bound"] = bound / n;
  state.counters["proven_%"] = 100 * proven / n;
  state.counters["greedy_bound"] = greedy_bound / n;
  state.counters["greedy/bound"] = greedy / greedy_bound;
  state.counters["exact/greedy"] = exact / greedy;
  state.counters["exact/bound"] = exact / bound;
  state.counters["exact/boost"] = exact / boost;
  state.counters["median_us"] = times[times.size() / 2];
  state.counters["slowest_us"] = times.back();
  state.counters["median/greedy"] = times[times.size() / 2] / greedy_times[times.size() / 2];
}
BENCHMARK(BM_CoverLayer)
    ->ArgName("shape")
    ->Arg(kRectangles)
    ->Arg(kBlobs)
    ->Arg(kNoise50)
    ->Arg(kNoise80)
    ->Arg(kRooms)
    ->Unit(benchmark::kMicrosecond);

const TemplateShape kMillion{1'000'000, 1'000, 0.05, 1};

// Milliseconds of one run of `work`, the median of `runs`.
template <typename Work>
double MedianMs(int runs, Work work) {
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    const auto start = std::chrono::steady_clock::now();
    work();
    times.push_back(
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
            .count());
  }
  std::nth_element(times.begin(), times.begin() + runs / 2, times.end());
  return times[static_cast<std::size_t>(runs / 2)];
}

// Reading the file, shortening it and checking the result, against one load of the same file
// in the same run: "loads" is the ratio.
void ShortenAgainstALoad(benchmark::State& state, const std::string& path, const std::string& id1,
                         const std::string& id2) {
  WindowRecord window;
  window.path = path;
  Program program(window);
  const double load_ms = MedianMs(9, [&] { LoadToArray(program, id1, id2); });
  double shorten_ms = 0;
  for (auto _ : state) {
    shorten_ms = MedianMs(5, [&] {
      benchmark::DoNotOptimize(Shorten(path, TemplateFile::ReadAll(path)).text.size());
    });
  }
  state.counters["shorten_ms"] = shorten_ms;
  state.counters["load_ms"] = load_ms;
  state.counters["loads"] = shorten_ms / load_ms;
}

void BM_ShortenTemplate(benchmark::State& state) {
  ShortenAgainstALoad(state, GeneratedTemplate(kMillion), TypeId1(500), TypeId2(500));
}
BENCHMARK(BM_ShortenTemplate)->Unit(benchmark::kMillisecond)->Iterations(1);

// Nearly every record merges: the most output to build and the most covers to find.
void BM_ShortenDenseTemplate(benchmark::State& state) {
  ShortenAgainstALoad(state, DenseTemplate(1'000'000, 100, 1), "t50", "1");
}
BENCHMARK(BM_ShortenDenseTemplate)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_LoadOnce(benchmark::State& state) {
  WindowRecord window;
  window.path = GeneratedTemplate(kMillion);
  Program program(window);
  for (auto _ : state) LoadToArray(program, TypeId1(500), TypeId2(500));
}
BENCHMARK(BM_LoadOnce)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace quarnel::bench
