// Quality and speed of the layer cover on shaped layers, next to one record per horizontal run,
// Boost.Polygon's get_rectangles and the lower bound; and a whole-template shorten next to a load.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <boost/polygon/polygon.hpp>
#include <chrono>
#include <cmath>
#include <random>
#include <vector>

#include "bench/generated_template.h"
#include "shorten/shorten.h"
#include "cover/cover.h"
#include "editor/window_record.h"
#include "editor/steps.h"
#include "model/template_file.h"

namespace quarnel::bench {
namespace {

enum Shape { kRectangles, kBlobs, kNoise50, kNoise80 };

LayerCells MakeLayer(Shape shape, std::mt19937& random) {
  LayerCells layer{};
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  std::uniform_int_distribution<int> coordinate(0, kSide - 1);
  switch (shape) {
    case kRectangles: {
      std::uniform_int_distribution<int> size(2, 18);
      for (int n = std::uniform_int_distribution<int>(3, 10)(random); n > 0; --n) {
        const int x = coordinate(random), y = coordinate(random), w = size(random),
                  h = size(random);
        for (int yy = y; yy < std::min(kSide, y + h); ++yy) {
          for (int xx = x; xx < std::min(kSide, x + w); ++xx) layer[xx + kSide * yy] = 1;
        }
      }
      break;
    }
    case kBlobs: {  // a few round hills, cut at a level
      struct Hill {
        double x, y, r;
      };
      std::vector<Hill> hills;
      for (int n = 0; n < 5; ++n)
        hills.push_back({unit(random) * kSide, unit(random) * kSide, 4 + unit(random) * 10});
      for (int y = 0; y < kSide; ++y) {
        for (int x = 0; x < kSide; ++x) {
          double height = 0;
          for (const Hill& h : hills) {
            const double d2 = (x - h.x) * (x - h.x) + (y - h.y) * (y - h.y);
            height += std::exp(-d2 / (2 * h.r * h.r));
          }
          layer[x + kSide * y] = height > 0.5;
        }
      }
      break;
    }
    case kNoise50:
    case kNoise80: {
      const double share = shape == kNoise50 ? 0.5 : 0.8;
      for (auto& cell : layer) cell = unit(random) < share;
      break;
    }
  }
  return layer;
}

int HorizontalRuns(const LayerCells& layer) {
  int runs = 0;
  for (int y = 0; y < kSide; ++y) {
    for (int x = 0; x < kSide; ++x) {
      runs += layer[x + kSide * y] && (x == 0 || !layer[x - 1 + kSide * y]);
    }
  }
  return runs;
}

int BoostRectangles(const LayerCells& layer) {
  namespace gtl = boost::polygon;
  gtl::polygon_90_set_data<int> cells;
  for (int y = 0; y < kSide; ++y) {
    for (int x = 0; x < kSide; ++x) {
      if (layer[x + kSide * y]) cells.insert(gtl::rectangle_data<int>(x, y, x + 1, y + 1));
    }
  }
  std::vector<gtl::rectangle_data<int>> rects;
  cells.get_rectangles(rects);
  return static_cast<int>(rects.size());
}

void BM_CoverLayer(benchmark::State& state) {
  const auto shape = static_cast<Shape>(state.range(0));
  std::mt19937 random(1234 + static_cast<unsigned>(shape));
  std::vector<LayerCells> layers;
  for (int i = 0; i < 50; ++i) layers.push_back(MakeLayer(shape, random));

  double greedy = 0, runs = 0, boost = 0, bound = 0, slowest = 0;
  for (const auto& layer : layers) {
    const auto start = std::chrono::steady_clock::now();
    const LayerCover cover = CoverLayer(layer, layer);
    slowest = std::max(
        slowest, std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start)
                     .count());
    greedy += static_cast<double>(cover.rects.size());
    bound += cover.lower_bound;
    runs += HorizontalRuns(layer);
    boost += BoostRectangles(layer);
  }
  std::size_t next = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(CoverLayer(layers[next], layers[next]));
    next = (next + 1) % layers.size();
  }
  const double n = static_cast<double>(layers.size());
  state.counters["greedy"] = greedy / n;
  state.counters["runs"] = runs / n;
  state.counters["boost"] = boost / n;
  state.counters["bound"] = bound / n;
  state.counters["greedy/bound"] = greedy / bound;
  state.counters["greedy/boost"] = greedy / boost;
  state.counters["slowest_us"] = slowest;
}
BENCHMARK(BM_CoverLayer)
    ->ArgName("shape")
    ->Arg(kRectangles)
    ->Arg(kBlobs)
    ->Arg(kNoise50)
    ->Arg(kNoise80)
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
