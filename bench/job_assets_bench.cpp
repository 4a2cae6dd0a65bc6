// Cost of the job-asset steps as the scene grows: the element table of a large mesh (beside a
// union-find over the same faces as the yardstick), texture collection over many maps, and
// material name deduplication over many materials. Each must stay linear. Every range spans three
// sizes four times apart: the step between the two smaller ones also shows the data outgrowing
// the processor's caches, the step between the two larger ones the cost per item alone.
#include <benchmark/benchmark.h>

#include <malloc.h>

#include <filesystem>
#include <fstream>
#include <limits>
#include <numeric>
#include <unordered_map>

#include "host/text.h"
#include "tests/support/sim_builders.h"
#include "transfer/material_names.h"
#include "transfer/mesh_elements.h"
#include "transfer/texture_collection.h"

namespace larkspur {
namespace {

namespace fs = std::filesystem;
using namespace larkspur::testing;

// Separate square patches of 50 by 50 quads (5000 triangles each), faceCount faces in all.
sim::SimMesh PatchMesh(int64_t faceCount) {
  constexpr uint32_t kSide = 50;
  sim::SimMesh mesh;
  for (uint32_t base = 0; static_cast<int64_t>(mesh.faces.size()) < faceCount;) {
    for (uint32_t y = 0; y <= kSide; ++y) {
      for (uint32_t x = 0; x <= kSide; ++x) mesh.vertices.push_back({float(x), float(y), 0});
    }
    for (uint32_t y = 0; y < kSide; ++y) {
      for (uint32_t x = 0; x < kSide; ++x) {
        const uint32_t v = base + y * (kSide + 1) + x;
        mesh.faces.push_back({{v, v + 1, v + kSide + 1}, 0});
        mesh.faces.push_back({{v + 1, v + kSide + 2, v + kSide + 1}, 0});
      }
    }
    base = static_cast<uint32_t>(mesh.vertices.size());
  }
  mesh.faces.resize(faceCount);
  return mesh;
}

void BM_MeshElements(benchmark::State& state) {
  const sim::SimMesh mesh = PatchMesh(state.range(0));
  for (auto _ : state) benchmark::DoNotOptimize(ComputeMeshElements(mesh));
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_MeshElements)
    ->Arg(250000)
    ->Arg(1000000)
    ->Arg(4000000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();

// The yardstick: faces joined through a hash map of their edges and a union-find with path
// halving, then numbered by lowest face.
std::vector<int32_t> UnionFindElements(const host::Mesh& mesh) {
  const int faceCount = mesh.GetNumFaces();
  std::vector<int32_t> parent(faceCount);
  std::iota(parent.begin(), parent.end(), 0);
  auto find = [&parent](int32_t x) {
    while (parent[x] != x) x = parent[x] = parent[parent[x]];
    return x;
  };
  std::unordered_map<uint64_t, int32_t> firstFaceOfEdge;
  firstFaceOfEdge.reserve(static_cast<size_t>(faceCount) * 2);
  for (int32_t f = 0; f < faceCount; ++f) {
    const std::array<uint32_t, 3> v = mesh.GetFaceVerts(f);
    for (int k = 0; k < 3; ++k) {
      const uint64_t a = std::min(v[k], v[(k + 1) % 3]), b = std::max(v[k], v[(k + 1) % 3]);
      const auto [edge, added] = firstFaceOfEdge.try_emplace(a << 32 | b, f);
      if (!added)
        parent[std::max(find(f), find(edge->second))] = std::min(find(f), find(edge->second));
    }
  }
  std::vector<int32_t> elements(faceCount);
  std::vector<int32_t> numberOfRoot(faceCount, -1);
  int32_t next = 0;
  for (int32_t f = 0; f < faceCount; ++f) {
    int32_t& number = numberOfRoot[find(f)];
    if (number < 0) number = next++;
    elements[f] = number;
  }
  return elements;
}

void BM_MeshElementsByUnionFind(benchmark::State& state) {
  const sim::SimMesh mesh = PatchMesh(state.range(0));
  if (UnionFindElements(mesh) != ComputeMeshElements(mesh)) state.SkipWithError("tables differ");
  for (auto _ : state) benchmark::DoNotOptimize(UnionFindElements(mesh));
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_MeshElementsByUnionFind)
    ->Arg(250000)
    ->Arg(1000000)
    ->Arg(4000000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();

// mapCount bitmap maps, ten to a material and a geometry node, each naming its own file: one in
// a hundred exists (and is copied), the rest are looked for beside the scene and listed missing.
void BM_CollectTextures(benchmark::State& state) {
  const fs::path folder = fs::temp_directory_path() / "larkspur_bench_textures";
  fs::remove_all(folder);
  fs::create_directories(folder / "maps");
  SimHost host;
  host.filePath = (folder / "scene.max").u16string();
  SimAnim* material = nullptr;
  for (int64_t i = 0; i < state.range(0); ++i) {
    if (i % 10 == 0) {
      material = &host.NewAnim(host::super_class::kMaterial, u"Standard");
      SimNode& node = AddNode(host.Root(), u"Box");
      node.object = &AddBoxObject(host);
      node.material = material;
    }
    const fs::path file = folder / "maps" / ("map" + std::to_string(i) + ".png");
    if (i % 100 == 0) std::ofstream(file) << "png";
    SimAnim& map = host.NewAnim(host::super_class::kTexmap, u"Bitmap", host::kBitmapTexClassId);
    map.mapName = file.u16string();
    material->subTexmaps.push_back({u"Map", &map});
  }
  const Text job = (folder / "job").u16string();
  fs::create_directories(folder / "job");
  for (auto _ : state) benchmark::DoNotOptimize(CollectTextures(host, job));
  state.SetComplexityN(state.range(0));
  fs::remove_all(folder);
}
BENCHMARK(BM_CollectTextures)
    ->Arg(2500)
    ->Arg(10000)
    ->Arg(40000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();

// materialCount materials on as many nodes, with 500 keys each written four ways ("Oak 7",
// "Oak_7!", ...), so that every group has several members. The nodes are instances of one box,
// which keeps the scene's own memory small beside the step's. Each round renames and restores.
void BM_DeduplicateMaterialNames(benchmark::State& state) {
  SimHost host;
  SimAnim& box = AddBoxObject(host);
  for (int64_t i = 0; i < state.range(0); ++i) {
    SimAnim& material = host.NewAnim(host::super_class::kMaterial, u"Standard");
    material.name = (i % 2 ? u"Oak " : u"Oak_") + FormatInt(i % 500) + (i % 3 ? u"!" : u"");
    SimNode& node = AddNode(host.Root(), u"Box");
    node.object = &box;
    node.material = &material;
  }
  for (auto _ : state) MaterialNameRestorer restorer(DeduplicateMaterialNames(host));
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_DeduplicateMaterialNames)
    ->Arg(20000)
    ->Arg(80000)
    ->Arg(320000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();

}  // namespace
}  // namespace larkspur

// Freed memory stays in the process (no separate mapping for large blocks, no trimming of the
// heap), so that every size is measured alike: otherwise blocks above the allocator's 32 MB mapping
// limit are handed back and faulted in again on every iteration while smaller ones are reused, and
// the largest sizes would measure the operating system's page faults rather than the steps.
int main(int argc, char** argv) {
  mallopt(M_MMAP_MAX, 0);
  mallopt(M_TRIM_THRESHOLD, std::numeric_limits<int>::max());
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
