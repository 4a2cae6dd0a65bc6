#include "transfer/texture_collection.h"

#include <system_error>
#include <unordered_set>

#include "host/file_path.h"
#include "host/scene_walk.h"
#include "nodetree/param_lookup.h"
#include "transfer/material_walk.h"

namespace larkspur {
namespace {

namespace fs = std::filesystem;

std::u16string_view TrimPathWhitespace(std::u16string_view text) {
  constexpr std::u16string_view kWhitespace = u" \t\r\n";
  const size_t first = text.find_first_not_of(kWhitespace);
  if (first == std::u16string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(kWhitespace) - first + 1);
}

bool IsBitmapFileMap(const host::Anim& map) {
  return map.SuperClassID() == host::super_class::kTexmap &&
         (map.ClassID() == host::kBitmapTexClassId || map.GetClassName() == u"CoronaBitmap");
}

Text MapFilePath(const host::Interface& ip, const host::Anim& map) {
  if (map.ClassID() == host::kBitmapTexClassId) return map.GetMapName();
  ParamValue value = FindParamValue(ip, ParamIndex(&map), u"filename");
  return value.kind == ParamKind::String ? std::move(value.stringValue) : Text();
}

// The folder of the scene file, its last separator included; empty for an unsaved scene or a
// path without a folder, which leaves nothing to look beside.
Text SceneFolder(const Text& sceneFile) {
  const size_t separator = sceneFile.find_last_of(u"\\/");
  return separator == Text::npos ? Text() : sceneFile.substr(0, separator + 1);
}

struct FoundPath {
  Text path;
  bool exists = false;
};

class TextureCollector {
 public:
  TextureCollector(const host::Interface& ip, fs::path texturesFolder)
      : ip_(ip),
        texturesFolder_(std::move(texturesFolder)),
        sceneFolder_(SceneFolder(ip.GetCurFilePath())) {}

  void Process(const host::Anim& map) {
    const Text path = MapFilePath(ip_, map);
    const std::u16string_view written = TrimPathWhitespace(path);
    if (written.empty()) return;
    FoundPath found = Find(Text(written));
    if (!handled_.insert(found.path).second) return;
    const std::u16string_view fileName = FileNamePart(found.path);
    if (!found.exists) {
      result_.missing.push_back(u"Missing: " + Text(fileName));
      return;
    }
    // A failed copy still counts: the file was found, and only its copy is absent.
    CopyFileOver(NativePath(found.path), JoinPath(texturesFolder_, fileName));
    ++result_.copied;
  }

  TextureCollectResult TakeResult() { return std::move(result_); }

 private:
  // The path as written when it exists, else beside the scene file (as written, then by its file
  // name alone), else where the host's file resolution puts it; as written when none exists.
  FoundPath Find(Text path) const {
    if (PathExists(path)) return {std::move(path), true};
    if (!sceneFolder_.empty()) {
      for (Text candidate : {sceneFolder_ + path, sceneFolder_ + Text(FileNamePart(path))}) {
        if (PathExists(candidate)) return {std::move(candidate), true};
      }
    }
    Text resolved = ip_.GetFullFilePath(path);
    if (!resolved.empty() && PathExists(resolved)) return {std::move(resolved), true};
    return {std::move(path), false};
  }

  const host::Interface& ip_;
  const fs::path texturesFolder_;
  const Text sceneFolder_;
  std::unordered_set<Text> handled_;
  TextureCollectResult result_;
};

}  // namespace

TextureCollectResult CollectTextures(const host::Interface& ip, const Text& jobFolder) {
  fs::path texturesFolder = JoinPath(NativePath(jobFolder), u"textures");
  std::error_code ignored;
  fs::create_directory(texturesFolder, ignored);

  TextureCollector collector(ip, std::move(texturesFolder));
  std::unordered_set<const host::Anim*> visited;
  const host::TimeValue t = ip.GetTime();
  for (host::Node* node : CollectSceneNodes(ip)) {
    if (!EvaluatedGeometry(*node, t)) continue;
    host::Anim* material = node->GetMtl();
    if (!material) continue;
    WalkMaterialTree(material, WalkChildren::kSubMapsThenSubMaterials, visited,
                     [&collector](const host::Anim& anim) {
                       if (IsBitmapFileMap(anim)) collector.Process(anim);
                       return WalkStep::kDescend;
                     });
  }
  return collector.TakeResult();
}

}  // namespace larkspur
