// Cost of the package build as the scene grows: every look-up that is repeated per object (names
// in use, the node registry, material ids) must keep the whole build linear.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "package/scene_package.h"
#include "tests/support/sim_builders.h"

namespace larkspur {
namespace {

using namespace larkspur::testing;

// n geometry objects that all carry the same name and share one material.
void BM_PackageOfSameNamedObjects(benchmark::State& state) {
  const auto path = std::filesystem::temp_directory_path() / "larkspur_bench_1.json";
  for (auto _ : state) {
    state.PauseTiming();
    SimHost host;
    SimAnim& mtl = host.NewAnim(host::super_class::kMaterial, u"CoronaPhysicalMtl");
    for (int64_t i = 0; i < state.range(0); ++i) {
      SimNode& node = AddNode(host.Root(), u"Box");
      node.object = &AddBoxObject(host, {0, 1, 2});
      node.material = &mtl;
    }
    state.ResumeTiming();
    benchmark::DoNotOptimize(BuildScenePackage(host, path.u16string()));
  }
  state.SetComplexityN(state.range(0));
  std::filesystem::remove(path);
  std::filesystem::remove(std::filesystem::path(path).replace_extension(".log"));
}
BENCHMARK(BM_PackageOfSameNamedObjects)->RangeMultiplier(4)->Range(256, 16384)->Complexity();

}  // namespace
}  // namespace larkspur

BENCHMARK_MAIN();
