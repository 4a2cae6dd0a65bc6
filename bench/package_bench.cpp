// Cost of the package build as the scene grows: every look-up that is repeated per object (names
// in use, the node registry, material ids, parameters by name) must keep the whole build linear.
// Beside it, as the yardstick for "fast", nlohmann-json dumping the same finished package.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <utility>
#include <vector>

#include "bench/archviz_scene.h"
#include "host/sim/scene_file.h"
#include "package/scene_package.h"
#include "tests/support/sim_builders.h"

namespace larkspur {
namespace {

using namespace larkspur::testing;

std::filesystem::path PackagePath() {
  return std::filesystem::temp_directory_path() / "larkspur_bench_1.json";
}

void RemovePackage() {
  std::filesystem::remove(PackagePath());
  std::filesystem::remove(std::filesystem::path(PackagePath()).replace_extension(".log"));
}

// n geometry objects that all carry the same name and share one material.
void BM_PackageOfSameNamedObjects(benchmark::State& state) {
  const auto path = PackagePath();
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
  RemovePackage();
}
BENCHMARK(BM_PackageOfSameNamedObjects)->RangeMultiplier(4)->Range(256, 16384)->Complexity();

// The interior scene of some size, loaded once and kept while the benchmarks of that size run
// (loading is measured elsewhere). A build renames duplicate objects in the scene, so the names
// the file gave are put back before each build.
class ArchvizScene {
 public:
  static ArchvizScene* Of(int objects, benchmark::State& state) {
    static std::unique_ptr<ArchvizScene> scene;
    if (!scene || scene->objects_ != objects) {
      scene.reset();  // one scene in memory at a time
      const std::string text = bench::ArchvizSceneText(bench::ArchvizSizeFor(objects));
      sim::SceneLoadResult loaded = sim::LoadSceneText(text, "archviz");
      if (!loaded.ok) {
        state.SkipWithError(loaded.message.c_str());
        return nullptr;
      }
      scene.reset(new ArchvizScene(objects, std::move(loaded.host)));
    }
    return scene.get();
  }

  SimHost& Host() { return *host_; }

  void RestoreNames() {
    for (auto& [node, name] : names_) node->name = name;
  }

  // The package as the build writes it, for the peer benchmark.
  std::string PackageText() {
    RestoreNames();
    BuildScenePackage(*host_, PackagePath().u16string());
    std::ifstream file(PackagePath(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  }

 private:
  ArchvizScene(int objects, std::unique_ptr<SimHost> host)
      : objects_(objects), host_(std::move(host)) {
    for (SimNode* node : sim::PreOrderNodes(host_->Root())) names_.emplace_back(node, node->name);
  }

  int objects_;
  std::unique_ptr<SimHost> host_;
  std::vector<std::pair<SimNode*, Text>> names_;
};

// The build alone, on a loaded host: objects, materials as node trees, lights, the written file.
void BM_ArchvizPackageBuild(benchmark::State& state) {
  ArchvizScene* scene = ArchvizScene::Of(static_cast<int>(state.range(0)), state);
  if (!scene) return;
  const Text path = PackagePath().u16string();
  for (auto _ : state) {
    state.PauseTiming();
    scene->RestoreNames();
    state.ResumeTiming();
    const PackageResult result = BuildScenePackage(scene->Host(), path);
    if (!result.ok) state.SkipWithError("the package was not written");
  }
  RemovePackage();
}

// The peer: nlohmann-json turning the same package, parsed once, back into text.
void BM_NlohmannDumpOfPackage(benchmark::State& state) {
  ArchvizScene* scene = ArchvizScene::Of(static_cast<int>(state.range(0)), state);
  if (!scene) return;
  const nlohmann::json package = nlohmann::json::parse(scene->PackageText());
  RemovePackage();
  size_t bytes = 0;
  for (auto _ : state) {
    const std::string text = package.dump();
    bytes = text.size();
    benchmark::DoNotOptimize(text.data());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes));
}

// Each size's build and its peer run one after the other, so that each scene is loaded once.
BENCHMARK(BM_ArchvizPackageBuild)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NlohmannDumpOfPackage)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ArchvizPackageBuild)->Arg(40000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NlohmannDumpOfPackage)->Arg(40000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace larkspur

BENCHMARK_MAIN();
