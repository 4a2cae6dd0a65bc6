#include "package/scene_package.h"

#include <algorithm>
#include <cstdio>
#include <unordered_map>
#include <unordered_set>

#include "host/scene_walk.h"
#include "json/json_text.h"
#include "nodetree/node_tree.h"
#include "package/displacement.h"
#include "package/lights.h"
#include "package/material_entry.h"

namespace larkspur {
namespace {

struct GeometryObject {
  host::Node* node;
  host::Anim* evaluated;
};

std::vector<GeometryObject> CollectGeometryWithMaterials(const host::Interface& ip,
                                                         host::TimeValue t) {
  std::vector<GeometryObject> objects;
  for (host::Node* node : CollectSceneNodes(ip)) {
    host::Anim* evaluated = EvaluatedGeometry(*node, t);
    if (evaluated && node->GetMtl()) objects.push_back({node, evaluated});
  }
  return objects;
}

Text NumberedName(const Text& name, int counter) {
  char suffix[16];
  std::snprintf(suffix, sizeof suffix, "_%03d", counter);
  return name + Widen(suffix);
}

// Renames later duplicates Name_001, Name_002, ...; a candidate is checked against every name
// taken so far, earlier candidates included. Names in use only ever grow, so the search for a
// name's next free number resumes where the last one stopped: linear in the scene.
void MakeNamesUnique(const std::vector<GeometryObject>& objects, std::vector<Text>& log) {
  std::unordered_set<Text> inUse;
  std::unordered_map<Text, int> nextCounter;
  inUse.reserve(objects.size() * 2);
  int renamed = 0;
  for (const GeometryObject& object : objects) {
    const Text name = object.node->GetName();
    if (inUse.insert(name).second) continue;
    int& counter = nextCounter.try_emplace(name, 1).first->second;
    Text candidate = NumberedName(name, counter);
    while (inUse.count(candidate)) candidate = NumberedName(name, ++counter);
    object.node->SetName(candidate);
    ++renamed;
    log.push_back(u"WARNING: Duplicate name \u2014 renamed '" + name + u"' to '" + candidate +
                  u"' in scene");
    inUse.insert(candidate);
  }
  if (renamed > 0) {
    log.push_back(u"Total renamed: " + FormatInt(renamed) +
                  u" object(s). Check scene before saving!");
  }
}

Text FormatIdList(const std::vector<int32_t>& ids) {
  Text out = u"[";
  for (size_t i = 0; i < ids.size(); ++i) {
    if (i > 0) out += u',';
    out += FormatInt(ids[i]);
  }
  return out + u"]";
}

Text QuotedList(const std::vector<Text>& items) {
  Text out = u"[";
  for (size_t i = 0; i < items.size(); ++i) {
    if (i > 0) out += u',';
    out += u'"' + EscapeJsonString(items[i]) + u'"';
  }
  return out + u"]";
}

Text BuildObjectEntry(host::Interface& ip, BuildCache& cache, const GeometryObject& object,
                      host::TimeValue t, std::vector<Text>& log) {
  const host::Node& node = *object.node;
  const Text name = node.GetName();
  std::vector<Text> errors;
  Text material;
  try {
    material = buildMaterialJson(ip, cache, node.GetMtl());
  } catch (...) {
    errors.push_back(u"buildMaterialJson exception");
    material = u"null";
  }
  for (const Text& error : errors) log.push_back(u"[" + name + u"] " + error);

  Text entry = u"  {\n";
  entry += u"    \"object_name\": \"" + EscapeJsonString(name) + u"\",\n";
  entry +=
      u"    \"object_class\": \"" + EscapeJsonString(object.evaluated->GetClassName()) + u"\",\n";
  entry += u"    \"layer\": \"\",\n";
  entry += u"    \"material_ids\": " + FormatIdList(CollectMaterialIds(node, t)) + u",\n";
  entry += u"    \"displacement_mod\": " + BuildDisplacementJson(ip, cache, &node) + u",\n";
  entry += u"    \"errors\": " + QuotedList(errors) + u",\n";
  entry += u"    \"material\": " + material + u"\n";
  entry += u"  }";
  return entry;
}

void WriteLogFile(const Text& packagePath, const std::vector<Text>& log) {
  Text text;
  for (const Text& line : log) text += line + u"\n";
  WriteTextFile(PackageLogPath(packagePath), text);
}

}  // namespace

std::vector<int32_t> CollectMaterialIds(const host::Node& node, host::TimeValue t) {
  std::vector<int32_t> ids;
  host::Anim* object = node.EvalWorldState(t);
  if (!object || !object->CanConvertToType(host::kTriObjectClassId)) return ids;
  host::Anim* tri = object->ConvertToType(t, host::kTriObjectClassId);
  if (!tri) return ids;
  if (const host::Mesh* mesh = tri->GetMesh()) {
    std::unordered_set<int32_t> seen;
    const int faceCount = mesh->GetNumFaces();
    for (int f = 0; f < faceCount; ++f) {
      const int32_t id = static_cast<int32_t>(mesh->GetFaceMatID(f)) + 1;
      if (seen.insert(id).second) ids.push_back(id);
    }
  }
  if (tri != object) tri->DeleteMe();
  std::sort(ids.begin(), ids.end());
  return ids;
}

Text PackageLogPath(const Text& packagePath) {
  const size_t dot = packagePath.rfind(u'.');
  return (dot == Text::npos ? packagePath : packagePath.substr(0, dot)) + u".log";
}

PackageResult BuildScenePackage(host::Interface& ip, const Text& packagePath) {
  ResetNodeRegistry();
  const host::TimeValue t = ip.GetTime();
  std::vector<Text> log;

  const std::vector<GeometryObject> objects = CollectGeometryWithMaterials(ip, t);
  log.push_back(u"Geometry objects with materials: " +
                FormatInt(static_cast<long long>(objects.size())));
  MakeNamesUnique(objects, log);

  // Materials, maps and modifiers that several objects share are read once.
  BuildCache cache;
  std::vector<Text> entries;
  entries.reserve(objects.size());
  for (const GeometryObject& object : objects)
    entries.push_back(BuildObjectEntry(ip, cache, object, t, log));

  const Text lights = CollectLightsJson(ip, cache, log);

  Text document = u"{\n";
  document += u"  \"exporter\": \"Larkspur Material Exporter\",\n";
  document += u"  \"version\": \"1.0\",\n";
  document += u"  \"object_count\": " + FormatInt(static_cast<long long>(entries.size())) + u",\n";
  document += u"  \"objects\": [\n";
  for (size_t i = 0; i < entries.size(); ++i) {
    document += entries[i];
    document += i + 1 < entries.size() ? u",\n" : u"\n";
  }
  document += u"  ]";
  document += lights;
  document += u"\n}";

  PackageResult result;
  result.logLineCount = static_cast<int32_t>(log.size());
  if (!WriteTextFile(packagePath, document)) return result;
  if (!log.empty()) WriteLogFile(packagePath, log);
  result.ok = true;
  result.objectCount = static_cast<int32_t>(entries.size());
  return result;
}

}  // namespace larkspur
