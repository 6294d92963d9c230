// Loading and stepping through generated templates, each measure next to a memchr pass over the
// same file (BM_LineEndBaseline). Arguments: lines after the header.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <unistd.h>

#include <fstream>

#include "bench/generated_template.h"
#include "editor/covered.h"
#include "editor/grid_view.h"
#include "editor/layers.h"
#include "editor/steps.h"
#include "model/type_table.h"
#include "tests/support/window_record.h"

namespace quarnel::bench {
namespace {

TemplateShape Shape(const benchmark::State& state) {
  return TemplateShape{state.range(0), 1'000, 0.05, 1};
}

void ReportMemory(benchmark::State& state) {
  state.counters["peak_rss_MiB"] = PeakRssMiB();
}

void BM_LineEndBaseline(benchmark::State& state) {
  const std::string path = GeneratedTemplate(Shape(state));
  for (auto _ : state) benchmark::DoNotOptimize(CountLineEnds(path));
  ReportMemory(state);
}

void BM_LoadToArray(benchmark::State& state) {
  WindowRecord window;
  window.path = GeneratedTemplate(Shape(state));
  Program program(window);
  for (auto _ : state) LoadToArray(program, TypeId1(500), TypeId2(500));
  ReportMemory(state);
}

// The types panel's rows: one read of the whole template, done at "go".
void BM_TypeTable(benchmark::State& state) {
  const std::string path = GeneratedTemplate(Shape(state));
  for (auto _ : state) benchmark::DoNotOptimize(ReadTypeTable(path).rows.size());
  ReportMemory(state);
}

// What the type table keeps per type of a template of a million types, one tile record each: the
// resident memory it adds once it is read, its 2 MiB pages included, which malloc does not see.
void BM_TypeTableMemory(benchmark::State& state) {
  const std::string path = GeneratedTemplate({1'000'000, 1'000'000, 0.05, 1});
  const auto resident_bytes = [] {
    std::ifstream statm("/proc/self/statm");
    long long size = 0;
    long long resident = 0;
    statm >> size >> resident;
    return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE));
  };
  for (auto _ : state) {
    malloc_trim(0);
    const double before = resident_bytes();
    const TypeTable table = ReadTypeTable(path);
    malloc_trim(0);
    const double bytes = resident_bytes() - before;
    state.counters["types"] = static_cast<double>(table.rows.size());
    state.counters["bytes_per_type"] = bytes / static_cast<double>(table.rows.size());
  }
}
BENCHMARK(BM_TypeTableMemory)->Unit(benchmark::kMillisecond)->Iterations(1);

// The output box changed: 10,000 records of the template's types are read, the current type's
// covered cells and every type's covered count worked out, the shown layer recoloured.
void BM_OutputChanged(benchmark::State& state) {
  WindowRecord window;
  window.path = GeneratedTemplate({10'000, 1'000, 0.05, 1});
  Program program(window);
  StartTiles(program);
  for (int i = 0; i < 10'000; ++i) {
    const int x = i % 45;
    const int y = i / 45 % 45;
    window.output += RectangleRecord(TypeId1(i % 1'000) + " " + TypeId2(i % 1'000), x, x + 3, y,
                                     y + 2, i % kLayers);
  }
  for (auto _ : state) OutputChanged(program);
}
BENCHMARK(BM_OutputChanged)->Unit(benchmark::kMillisecond);

// "go": reads the types panel's rows, then the scan finds the first type at once and the whole
// file is loaded.
void BM_Go(benchmark::State& state) {
  WindowRecord window;
  window.path = GeneratedTemplate(Shape(state));
  Program program(window);
  for (auto _ : state) StartTiles(program);
  ReportMemory(state);
}

// "Next Tile Type" when every type but one has been shown, and that one first appears near the
// end: a scan of nearly the whole file, then a load.
void BM_NextTileNearTheEnd(benchmark::State& state) {
  const TemplateShape shape = Shape(state);
  WindowRecord window;
  window.path = GeneratedTemplate(shape);
  Program program(window);
  DoneList all_but_late;
  for (int type = 0; type < shape.types; ++type) all_but_late.Add({TypeId1(type), TypeId2(type)});
  for (auto _ : state) {
    state.PauseTiming();
    program.donelist = all_but_late;
    state.ResumeTiming();
    DoNextTile(program);
  }
  if (program.curtype != TypeId1(kLateType) + " " + TypeId2(kLateType)) {
    state.SkipWithError("the late type was not found");
  }
  ReportMemory(state);
}

// A whole run: "go", then "Next Tile Type" until every type has been shown.
void BM_WholeRun(benchmark::State& state) {
  WindowRecord window;
  window.path = GeneratedTemplate(Shape(state));
  Program program(window);
  for (auto _ : state) {
    StartTiles(program);
    std::size_t shown = 0;
    while (program.donelist.Shown().size() != shown) {
      shown = program.donelist.Shown().size();
      DoNextTile(program);
    }
    state.counters["types"] = static_cast<double>(shown);
  }
  ReportMemory(state);
}

constexpr long long kSizes[] = {10'000, 1'000'000, 10'000'000};

void FileSizes(benchmark::internal::Benchmark* benchmark) {
  for (const long long lines : kSizes) benchmark->Arg(lines);
  benchmark->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_LineEndBaseline)->Apply(FileSizes);
BENCHMARK(BM_LoadToArray)->Apply(FileSizes);
BENCHMARK(BM_TypeTable)->Apply(FileSizes);
BENCHMARK(BM_Go)->Apply(FileSizes);
BENCHMARK(BM_NextTileNearTheEnd)->Apply(FileSizes);
BENCHMARK(BM_WholeRun)->Arg(10'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond)->Iterations(1);

// A program with one loaded type: cells on layer 3 in a quarter of the grid, nothing elsewhere.
struct Drawn {
  WindowRecord window;
  Program program{window};
  Drawn() {
    for (int x = 0; x < kColumns; x += 2) {
      for (int y = 0; y < kRows; y += 2) program.tilearray.Set(x, y, 3);
    }
  }
};

void BM_Redraw(benchmark::State& state) {
  Drawn d;
  d.window.layer = static_cast<int>(state.range(0));
  for (auto _ : state) ShowArray(d.program);
}
BENCHMARK(BM_Redraw)->Arg(3)->Arg(4)->ArgName("layer");

// The spinner moved from 0 to 1 on a type with no cells: the search runs up through layer 100,
// finds nothing and redraws the empty layer.
void BM_LayerSearchOnAnEmptyType(benchmark::State& state) {
  WindowRecord window;
  Program program(window);
  for (auto _ : state) {
    window.layer = 1;
    window.layer_text = "0";
    ZscrChange(program);
  }
}
BENCHMARK(BM_LayerSearchOnAnEmptyType);

}  // namespace
}  // namespace quarnel::bench
