// Cost of loading a scene file as it grows: one JSON object with many keys (the anims by id) and
// one long list of nodes must both load in time linear in the file's size.
#include <benchmark/benchmark.h>

#include <string>

#include "host/sim/scene_file.h"

namespace larkspur {
namespace {

// n geometry objects, each under one node of the root.
std::string SceneText(int64_t n) {
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

void BM_LoadSceneOfObjects(benchmark::State& state) {
  const std::string text = SceneText(state.range(0));
  for (auto _ : state) {
    const sim::SceneLoadResult result = sim::LoadSceneText(text, "bench.json");
    if (!result.ok) state.SkipWithError(result.message.c_str());
    benchmark::DoNotOptimize(result.host);
  }
  state.SetComplexityN(state.range(0));
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_LoadSceneOfObjects)
    ->RangeMultiplier(4)
    ->Range(1024, 65536)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();

}  // namespace
}  // namespace larkspur

BENCHMARK_MAIN();
