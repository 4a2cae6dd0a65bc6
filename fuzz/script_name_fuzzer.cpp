// Any UTF-16 text as a name inside the system's scripts. The simulated host reads their string
// literals as the host does, so the flattening script must address exactly the node of that name
// and flatten it, and the gradient probe must find the map of that name.
#include <cstdint>
#include <cstdlib>

#include "fuzz/fuzz_text.h"
#include "host/sim/sim_scripts.h"
#include "nodetree/gradient_ramp.h"
#include "plugin/scene_preparation.h"
#include "tests/support/sim_builders.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace larkspur;
  using namespace larkspur::testing;
  const Text name = fuzz::UnitsOf(data, size);

  SimHost host;
  SimNode& node = AddNode(host.Root(), name);
  node.object = &AddBoxObject(host);
  SimAnim& ramp = host.NewAnim(host::super_class::kTexmap, u"Gradient Ramp");
  ramp.name = name;
  ramp.gradientStops.push_back(sim::SimGradientStop{50.0f, host::Color{255, 0, 0}});
  SimAnim& material = host.NewAnim(host::super_class::kMaterial, u"Standard");
  material.subTexmaps.push_back(sim::SimSubTexmap{u"Diffuse", &ramp});
  node.material = &material;

  // The group explosion, this node's flattening, the selection cleared.
  RunResetXformAndConvertToPoly(host);
  if (host.scripts.size() != 3 || sim::FlattenScriptNodeName(host.scripts[1]) != name) {
    std::abort();
  }
  const SimAnim* object = host.Owned(node.object);
  if (!object || object->classId != host::kEditablePolyClassId) std::abort();

  const std::vector<GradientKey> keys = ParseGradientKeys(ProbeGradientKeys(host, name));
  if (keys.size() != 1 || keys[0].position != 0.5f) std::abort();
  return 0;
}
