// Cost of loading a scene file as it grows: an interior scene of 1,000 to 64,000 objects must load
// at a steady number of bytes per second, and so must one object with many keys (the anims by id)
// beside one long list of nodes.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench/archviz_scene.h"
#include "host/sim/large_memory.h"
#include "host/sim/scene_file.h"

namespace larkspur {
namespace {

// n geometry objects, each under one node of the root.
std::string BoxesText(int64_t n) {
  std::string nodes;
  std::string anims;
  for (int64_t i = 0; i < n; ++i) {
    const std::string id = "box" + std::to_string(i);
    if (i > 0) {
      nodes += ",\n";
      anims += ",\n";
    }
    nodes += R"({"name": "Box )" + std::to_string(i) + R"(", "object": ")" + id + R"("})";
    anims += "\"" + id + R"(": {"super": "geometry", "class": "Box", "class_id": [16, 0]})";
  }
  return R"({"format": "larkspur-scene", "version": 1, "nodes": [)" + nodes + R"(], "anims": {)" +
         anims + "}}";
}

// Only the load is timed: freeing the scene is not part of it.
template <typename LoadScene>
void TimeLoads(benchmark::State& state, LoadScene load) {
  for (auto _ : state) {
    sim::SceneLoadResult result = load();
    if (!result.ok) state.SkipWithError(result.message.c_str());
    benchmark::DoNotOptimize(result.host);
    state.PauseTiming();
    result.host.reset();
    state.ResumeTiming();
  }
}

void Load(benchmark::State& state, const std::string& text) {
  TimeLoads(state, [&] { return sim::LoadSceneText(text, "bench.json"); });
  state.SetComplexityN(state.range(0));
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}

// Made once per size, so that the repetitions do not churn memory making it again.
const std::string& ArchvizText(int objects) {
  static std::map<int, std::string> texts;
  auto [it, fresh] = texts.try_emplace(objects);
  if (fresh) it->second = bench::ArchvizSceneText(bench::ArchvizSizeFor(objects));
  return it->second;
}

void BM_LoadArchvizScene(benchmark::State& state) {
  Load(state, ArchvizText(static_cast<int>(state.range(0))));
}
BENCHMARK(BM_LoadArchvizScene)
    ->Arg(1000)
    ->Arg(4000)
    ->Arg(10000)
    ->Arg(16000)
    ->Arg(64000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

// The seconds of one load, without the freeing of its scene.
double SecondsToLoad(const std::string& text) {
  using Clock = std::chrono::steady_clock;
  const Clock::time_point start = Clock::now();
  sim::SceneLoadResult result = sim::LoadSceneText(text, "bench.json");
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  if (!result.ok) throw std::runtime_error(result.message);
  return seconds;
}

// The 64,000-object scene's bytes per second against the 1,000-object one's, the loads side by
// side: each round loads the small scene as many times as make the large one's bytes, then the
// large one. The machine's speed can drift by half within seconds, so that loads timed minutes
// apart do not compare; ratio is the median of the rounds' ratios.
void BM_LoadLargeBesideSmall(benchmark::State& state) {
  const std::string& small = ArchvizText(1000);
  const std::string& large = ArchvizText(64000);
  const size_t smallLoads = large.size() / small.size();
  SecondsToLoad(small);  // each size's first load finds fresh memory; the rounds find used memory
  SecondsToLoad(large);
  std::vector<double> ratios;
  double smallSeconds = 0;
  double largeSeconds = 0;
  try {
    for (auto _ : state) {
      double round = 0;
      for (size_t i = 0; i < smallLoads; ++i) round += SecondsToLoad(small);
      const double largeRound = SecondsToLoad(large);
      ratios.push_back((large.size() / largeRound) / (smallLoads * small.size() / round));
      smallSeconds += round;
      largeSeconds += largeRound;
      state.SetIterationTime(round + largeRound);
    }
  } catch (const std::exception& error) {
    state.SkipWithError(error.what());
    return;
  }
  std::nth_element(ratios.begin(), ratios.begin() + ratios.size() / 2, ratios.end());
  const double rounds = static_cast<double>(state.iterations());
  state.counters["small_MBps"] = rounds * smallLoads * small.size() / smallSeconds / 1e6;
  state.counters["large_MBps"] = rounds * large.size() / largeSeconds / 1e6;
  state.counters["ratio"] = ratios[ratios.size() / 2];
}
BENCHMARK(BM_LoadLargeBesideSmall)->Iterations(15)->UseManualTime()->Unit(benchmark::kMillisecond);

// One load only, for a process of its own (scripts/bench.sh runs one per size): the load a
// command-line run makes, from a file into memory the process has not touched before.
void BM_FirstLoadArchvizScene(benchmark::State& state) {
  const std::string& text = ArchvizText(static_cast<int>(state.range(0)));
  const std::filesystem::path file =
      std::filesystem::temp_directory_path() / "larkspur-first-load.scene.json";
  std::ofstream(file, std::ios::binary) << text;
  TimeLoads(state, [&] { return sim::LoadSceneFile(file); });
  std::filesystem::remove(file);
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_FirstLoadArchvizScene)
    ->Arg(1000)
    ->Arg(4000)
    ->Arg(10000)
    ->Arg(16000)
    ->Arg(64000)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

// The machine's price of fresh memory, for comparison with the first load: the time to write
// memory the process has just mapped, and (again_ms) to write it once more.
void BM_FirstTouchOfFreshMemory(benchmark::State& state) {
  using Clock = std::chrono::steady_clock;
  const size_t bytes = static_cast<size_t>(state.range(0)) << 20;
  for (auto _ : state) {
    sim::LargeBuffer fresh(bytes);
    const Clock::time_point start = Clock::now();
    std::memset(fresh.data(), 1, bytes);
    const Clock::time_point touched = Clock::now();
    std::memset(fresh.data(), 2, bytes);
    benchmark::DoNotOptimize(fresh.data());
    state.SetIterationTime(std::chrono::duration<double>(touched - start).count());
    state.counters["again_ms"] =
        std::chrono::duration<double, std::milli>(Clock::now() - touched).count();
  }
  state.SetBytesProcessed(static_cast<int64_t>(bytes));
}
BENCHMARK(BM_FirstTouchOfFreshMemory)
    ->Arg(256)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

void BM_LoadSceneOfBoxes(benchmark::State& state) {
  Load(state, BoxesText(state.range(0)));
}
BENCHMARK(BM_LoadSceneOfBoxes)
    ->RangeMultiplier(4)
    ->Range(1024, 65536)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

}  // namespace
}  // namespace larkspur

BENCHMARK_MAIN();
