#include "package/scene_package.h"

#include <algorithm>
#include <memory_resource>
#include <string>
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

// name, "_" and the counter with at least three digits (counters start at 1).
Text NumberedName(const Text& name, int counter) {
  const Text digits = FormatInt(counter);
  Text numbered = name;
  numbered += u'_';
  if (digits.size() < 3) numbered.append(3 - digits.size(), u'0');
  numbered += digits;
  return numbered;
}

// Renames later duplicates Name_001, Name_002, ...; a candidate is checked against every name
// taken so far, earlier candidates included. Names in use only ever grow, so the search for a
// name's next free number resumes where the last one stopped: linear in the scene. Returns each
// object's name as it now stands, in the objects' order.
std::vector<Text> MakeNamesUnique(const std::vector<GeometryObject>& objects,
                                  std::vector<Text>& log) {
  // Every name taken is kept once, here; the sets hold views of it. One name is taken per
  // object, so the list never grows past its reserve and the views stay valid.
  std::vector<Text> taken;
  taken.reserve(objects.size());
  // The sets' entries come from one arena, side by side, and go with it at once.
  std::pmr::monotonic_buffer_resource entries;
  std::pmr::unordered_set<std::u16string_view> inUse(&entries);
  std::pmr::unordered_map<std::u16string_view, int> nextCounter(&entries);
  inUse.reserve(objects.size());
  log.reserve(log.size() + objects.size() + 1);
  int renamed = 0;
  for (const GeometryObject& object : objects) {
    Text name = object.node->GetName();
    const auto holder = inUse.find(name);
    if (holder == inUse.end()) {
      inUse.insert(taken.emplace_back(std::move(name)));
      continue;
    }
    int& counter = nextCounter.try_emplace(*holder, 1).first->second;
    Text candidate = NumberedName(name, counter);
    while (inUse.count(candidate)) candidate = NumberedName(name, ++counter);
    ++counter;  // taken now: the next search for this name starts after it
    object.node->SetName(candidate);
    ++renamed;
    constexpr std::u16string_view kWarning = u"WARNING: Duplicate name \u2014 renamed '";
    Text& line = log.emplace_back();
    line.reserve(kWarning.size() + name.size() + candidate.size() + 16);
    line += kWarning;
    line += name;
    line += u"' to '";
    line += candidate;
    line += u"' in scene";
    inUse.insert(taken.emplace_back(std::move(candidate)));
  }
  if (renamed > 0) {
    log.push_back(u"Total renamed: " + FormatInt(renamed) +
                  u" object(s). Check scene before saving!");
  }
  return taken;
}

void AppendIdList(std::string& out, const std::vector<int32_t>& ids) {
  out += '[';
  for (size_t i = 0; i < ids.size(); ++i) {
    if (i > 0) out += ',';
    AppendInt(out, ids[i]);
  }
  out += ']';
}

Text QuotedList(const std::vector<Text>& items) {
  Text out = u"[";
  for (size_t i = 0; i < items.size(); ++i) {
    if (i > 0) out += u',';
    out += u'"' + EscapeJsonString(items[i]) + u'"';
  }
  return out + u"]";
}

// Writes the object entries of one build into the package, which is kept in UTF-8 and grows in
// place, each material written straight into it. What the entries share lives here: the objects
// read so far, and the text of one entry's head, kept apart so that an entry whose material fails
// can be written again from it, and whose buffer keeps its capacity from entry to entry.
struct EntryWriter {
  host::Interface& ip;
  host::TimeValue time;
  std::vector<Text>& log;
  BuildCache cache;
  std::string head;

  void Append(std::string& package, const GeometryObject& object, const Text& name);
};

void EntryWriter::Append(std::string& package, const GeometryObject& object, const Text& name) {
  const host::Node& node = *object.node;
  head = "  {\n    \"object_name\": \"";
  AppendJsonEscapedUtf8(head, name);
  head += "\",\n    \"object_class\": \"";
  AppendJsonEscapedUtf8(head, object.evaluated->GetClassName());
  head += "\",\n    \"layer\": \"\",\n    \"material_ids\": ";
  AppendIdList(head, CollectMaterialIds(node, time));
  head += ",\n    \"displacement_mod\": ";
  AppendUtf8(head, BuildDisplacementJson(ip, cache, &node));
  head += ",\n    \"errors\": ";

  const size_t start = package.size();
  package += head;
  package += "[],\n    \"material\": ";
  try {
    buildMaterialJson(ip, cache, node.GetMtl(), package);
  } catch (...) {
    // The entry is written again from its head, with the error and no material.
    const std::vector<Text> errors{u"buildMaterialJson exception"};
    for (const Text& error : errors) log.push_back(u"[" + name + u"] " + error);
    package.resize(start);
    package += head;
    AppendUtf8(package, QuotedList(errors));
    package += ",\n    \"material\": null";
  }
  package += "\n  }";
}

void WriteLogFile(const Text& packagePath, const std::vector<Text>& log) {
  Text text;
  for (const Text& line : log) {
    text += line;
    text += u'\n';
  }
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
    // Faces come in runs of one id and most meshes carry a handful of ids: a run is looked at
    // once, and a handful is searched in place before a set takes over.
    constexpr size_t kHandful = 8;
    std::unordered_set<int32_t> seen;
    int32_t previous = 0;  // ids start at 1
    const int faceCount = mesh->GetNumFaces();
    for (int f = 0; f < faceCount; ++f) {
      const int32_t id = static_cast<int32_t>(mesh->GetFaceMatID(f)) + 1;
      if (id == previous) continue;
      previous = id;
      if (ids.size() < kHandful) {
        if (std::find(ids.begin(), ids.end(), id) == ids.end()) ids.push_back(id);
        continue;
      }
      if (seen.empty()) seen.insert(ids.begin(), ids.end());
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
  const std::vector<Text> names = MakeNamesUnique(objects, log);

  Utf8FileWriter file(packagePath);
  std::string& package = file.Buffer();
  package += "{\n";
  package += "  \"exporter\": \"Larkspur Material Exporter\",\n";
  package += "  \"version\": \"1.0\",\n";
  package += "  \"object_count\": " + std::to_string(objects.size()) + ",\n";
  package += "  \"objects\": [\n";
  // Materials, maps and modifiers that several objects share are read once.
  EntryWriter entries{ip, t, log, {}, {}};
  for (size_t i = 0; i < objects.size(); ++i) {
    entries.Append(package, objects[i], names[i]);
    package += i + 1 < objects.size() ? ",\n" : "\n";
    file.WriteWhenFull();
  }
  package += "  ]";
  AppendUtf8(package, CollectLightsJson(ip, entries.cache, log));
  package += "\n}";

  PackageResult result;
  result.logLineCount = static_cast<int32_t>(log.size());
  if (!file.Finish()) return result;
  if (!log.empty()) WriteLogFile(packagePath, log);
  result.ok = true;
  result.objectCount = static_cast<int32_t>(objects.size());
  return result;
}

}  // namespace larkspur
