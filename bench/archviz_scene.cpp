#include "bench/archviz_scene.h"

#include <algorithm>
#include <cstdint>
#include <string_view>

namespace larkspur::bench {
namespace {

// A physical material's parameter block as the renderer lays it out: values the exporter reads,
// texture slots, and many it passes over.
struct ParamSpec {
  std::string_view name;
  std::string_view type;
  std::string_view value;  // "$MAP" is replaced by the material's base map
};

constexpr ParamSpec kMaterialParams[] = {
    {"baseLevel", "TYPE_FLOAT", "1"},
    {"baseColor", "TYPE_RGBA", "[0.5, 0.45, 0.4]"},
    {"baseRoughness", "TYPE_FLOAT", "0.35"},
    {"baseRoughnessMode", "TYPE_INT", "0"},
    {"baseIor", "TYPE_FLOAT", "1.52"},
    {"baseIorMode", "TYPE_INT", "0"},
    {"baseAnisotropy", "TYPE_FLOAT", "0"},
    {"baseAnisotropyRotation", "TYPE_ANGLE", "0"},
    {"edgeColor", "TYPE_RGBA", "[1, 1, 1]"},
    {"metalnessMode", "TYPE_INT", "0"},
    {"refractionAmount", "TYPE_FLOAT", "0"},
    {"useThinMode", "TYPE_BOOL", "false"},
    {"useCaustics", "TYPE_BOOL", "false"},
    {"opacityCutout", "TYPE_BOOL", "false"},
    {"opacityLevel", "TYPE_FLOAT", "1"},
    {"selfIllumColor", "TYPE_RGBA", "[1, 1, 1]"},
    {"selfIllumLevel", "TYPE_FLOAT", "0"},
    {"clearcoatAmount", "TYPE_FLOAT", "0"},
    {"clearcoatIor", "TYPE_FLOAT", "1.5"},
    {"clearcoatRoughness", "TYPE_FLOAT", "0"},
    {"sheenAmount", "TYPE_FLOAT", "0"},
    {"sheenColor", "TYPE_RGBA", "[1, 1, 1]"},
    {"sheenRoughness", "TYPE_FLOAT", "0.3"},
    {"sssAmount", "TYPE_FLOAT", "0"},
    {"sssRadius", "TYPE_WORLD", "1"},
    {"sssScatterColor", "TYPE_RGBA", "[0.9, 0.5, 0.4]"},
    {"volumetricAbsorptionColor", "TYPE_RGBA", "[1, 1, 1]"},
    {"volumetricScatteringAlbedo", "TYPE_RGBA", "[0.5, 0.5, 0.5]"},
    {"volumetricDirectionality", "TYPE_FLOAT", "0"},
    {"baseTexmap", "TYPE_TEXMAP", "$MAP"},
    {"baseTexmapOn", "TYPE_BOOL", "true"},
    {"baseMapAmount", "TYPE_FLOAT", "1"},
    {"baseRoughnessTexmap", "TYPE_TEXMAP", "null"},
    {"baseRoughnessTexmapOn", "TYPE_BOOL", "true"},
    {"baseRoughnessMapAmount", "TYPE_FLOAT", "1"},
    {"baseBumpTexmap", "TYPE_TEXMAP", "null"},
    {"baseBumpTexmapOn", "TYPE_BOOL", "true"},
    {"baseBumpMapAmount", "TYPE_FLOAT", "1"},
    {"opacityTexmap", "TYPE_TEXMAP", "null"},
    {"opacityTexmapOn", "TYPE_BOOL", "true"},
    {"displacementTexmap", "TYPE_TEXMAP", "null"},
    {"displacementTexmapOn", "TYPE_BOOL", "true"},
    {"displacementMinimum", "TYPE_WORLD", "0"},
    {"displacementMaximum", "TYPE_WORLD", "1"},
    {"displacementWaterLevel", "TYPE_FLOAT", "0.5"},
    {"sheenAmountMapAmount", "TYPE_FLOAT", "1"},
    {"sheenColorMapAmount", "TYPE_FLOAT", "1"},
    {"sheenRoughnessMapAmount", "TYPE_FLOAT", "1"},
    {"translucencyFraction", "TYPE_FLOAT", "0"},
    {"translucencyColor", "TYPE_RGBA", "[1, 1, 1]"},
    {"translucencyFractionMapAmount", "TYPE_FLOAT", "1"},
    {"alphaMode", "TYPE_INT", "0"},
    {"gBufferOverride", "TYPE_INT", "0"},
    {"shadowCatcherMode", "TYPE_INT", "0"},
    {"lightmtlNoRefl", "TYPE_BOOL", "false"},
    {"bgOverrideReflect", "TYPE_TEXMAP", "null"},
    {"bgOverrideRefract", "TYPE_TEXMAP", "null"},
    {"clearcoatBumpMapAmount", "TYPE_FLOAT", "1"},
    {"clearcoatAbsorptionColor", "TYPE_RGBA", "[1, 1, 1]"},
    {"iorCurve", "TYPE_FLOAT_TAB", "[1.5, 1.52, 1.55]"},
};

constexpr std::string_view kMaterialSlots[] = {
    "Base color", "Base roughness", "Base bump",         "Anisotropy",
    "Refraction", "Opacity",        "Self-illumination", "Clearcoat",
    "Sheen",      "Translucency",   "Displacement",      "Volumetric",
};

constexpr ParamSpec kBitmapParams[] = {
    {"uvwScale", "TYPE_POINT3", "[2, 2, 1]"},
    {"uvwOffset", "TYPE_POINT3", "[0, 0.5, 0]"},
    {"wAngle", "TYPE_ANGLE", "0.7853982"},
    {"gamma", "TYPE_FLOAT", "2.2"},
    {"tilingU", "TYPE_INT", "1"},
    {"tilingV", "TYPE_INT", "1"},
    {"mappingType", "TYPE_INT", "0"},
    {"mapChannel", "TYPE_INT", "1"},
    {"filteringBlur", "TYPE_FLOAT", "1"},
    {"filteringMode", "TYPE_INT", "1"},
    {"clippingOn", "TYPE_BOOL", "false"},
    {"realWorldScale", "TYPE_BOOL", "false"},
};

constexpr std::string_view kObjectNames[] = {
    "Chair",  "Table", "Wall",    "Floor", "Lamp", "Book",  "Cushion", "Shelf", "Vase", "Curtain",
    "Window", "Door",  "Cabinet", "Plant", "Rug",  "Frame", "Sofa",    "Bed",   "Desk", "Mirror",
};

constexpr std::string_view kMaterialNames[] = {
    "Oak Wood",      "Walnut",   "Fabric Linen",  "Leather Brown",  "Brushed Steel", "Glass Clear",
    "Plaster White", "Concrete", "Ceramic Glaze", "Marble Carrara", "Velvet Blue",   "Brass",
};

constexpr std::string_view kBoxMesh =
    R"("vertices": [[0, 0, 0], [40, 0, 0], [40, 40, 0], [0, 40, 0], [0, 0, 40], [40, 0, 40],)"
    R"( [40, 40, 40], [0, 40, 40]], "faces": [[0, 2, 1], [0, 3, 2], [4, 5, 6], [4, 6, 7],)"
    R"( [0, 1, 5], [0, 5, 4], [1, 2, 6], [1, 6, 5], [2, 3, 7], [2, 7, 6], [3, 0, 4], [3, 4, 7]])";

constexpr std::string_view kLightParams =
    R"({"name": "on", "type": "TYPE_BOOL", "value": true},)"
    R"( {"name": "shape", "type": "TYPE_INT", "value": 1},)"
    R"( {"name": "width", "type": "TYPE_WORLD", "value": 30},)"
    R"( {"name": "height", "type": "TYPE_WORLD", "value": 30},)"
    R"( {"name": "intensity", "type": "TYPE_FLOAT", "value": 12.5},)"
    R"( {"name": "intensityUnits", "type": "TYPE_INT", "value": 0},)"
    R"( {"name": "color", "type": "TYPE_RGBA", "value": [1, 0.9, 0.8]},)"
    R"( {"name": "colorMode", "type": "TYPE_INT", "value": 0},)"
    R"( {"name": "blackbodyTemp", "type": "TYPE_FLOAT", "value": 4500},)"
    R"( {"name": "directionality", "type": "TYPE_FLOAT", "value": 0},)"
    R"( {"name": "targeted", "type": "TYPE_BOOL", "value": false},)"
    R"( {"name": "twosidedEmission", "type": "TYPE_BOOL", "value": false},)"
    R"( {"name": "visibleDirectly", "type": "TYPE_BOOL", "value": true},)"
    R"( {"name": "visibleRefl", "type": "TYPE_BOOL", "value": true},)"
    R"( {"name": "visibleRefr", "type": "TYPE_BOOL", "value": true},)"
    R"( {"name": "iesFile", "type": "TYPE_FILENAME", "value": ""},)"
    R"( {"name": "iesOn", "type": "TYPE_BOOL", "value": false},)"
    R"( {"name": "occludeOtherLights", "type": "TYPE_BOOL", "value": false})";

std::string Num(int64_t n) {
  return std::to_string(n);
}

void AppendParams(std::string& out, const ParamSpec* begin, const ParamSpec* end,
                  std::string_view map) {
  out += "[[";
  for (const ParamSpec* p = begin; p != end; ++p) {
    if (p != begin) out += ",\n      ";
    out += R"({"name": ")";
    out += p->name;
    out += R"(", "type": ")";
    out += p->type;
    out += R"(", "value": )";
    out += p->value == "$MAP" ? map : p->value;
    out += '}';
  }
  out += "]]";
}

std::string BitmapId(int i) {
  return "bitmap" + Num(i);
}

// Every seventh material shares the bitmap of the material before it.
int BitmapOfMaterial(int material) {
  return material % 7 == 6 ? material - 1 : material;
}

void AppendBitmap(std::string& out, int i) {
  out += "\"" + BitmapId(i) + R"(": {"super": "texmap", "class": "CoronaBitmap", "name": "Map )" +
         Num(i) + R"(", "params": [[{"name": "filename", "type": "TYPE_FILENAME", "value": )" +
         R"("C:\\Projects\\Interior\\maps\\texture_)" + Num(i % 500) + ".jpg\"},\n      ";
  std::string rest;
  AppendParams(rest, std::begin(kBitmapParams), std::end(kBitmapParams), "null");
  out += rest.substr(2);  // the filename opened the block
  out += "},\n";
}

void AppendMaterial(std::string& out, int i) {
  const std::string map = "\"" + BitmapId(BitmapOfMaterial(i)) + "\"";
  out += "\"mtl" + Num(i) + R"(": {"super": "material", "class": "CoronaPhysicalMtl", "name": ")";
  out += kMaterialNames[i % std::size(kMaterialNames)];
  out += R"(", "params": )";
  AppendParams(out, std::begin(kMaterialParams), std::end(kMaterialParams), map);
  out += R"(, "sub_texmaps": [)";
  for (size_t s = 0; s < std::size(kMaterialSlots); ++s) {
    if (s > 0) out += ", ";
    out += R"({"slot": ")";
    out += kMaterialSlots[s];
    out += R"(", "map": )";
    out += s == 0 ? map : "null";
    out += '}';
  }
  out += "]},\n";
}

}  // namespace

ArchvizSize ArchvizSizeFor(int objects) {
  return {objects, std::max(1, objects / 5), std::max(4, objects / 25)};
}

std::string ArchvizSceneText(const ArchvizSize& size) {
  const int multis = std::max(1, size.materials / 10);
  std::string anims;
  for (int i = 0; i < size.materials; ++i) {
    if (BitmapOfMaterial(i) == i) AppendBitmap(anims, i);
    AppendMaterial(anims, i);
  }
  for (int i = 0; i < multis; ++i) {
    anims += "\"multi" + Num(i) +
             R"(": {"super": "material", "class": "Multimaterial", "class_id": [512, 0], )"
             R"("name": "Furniture Set", "sub_materials": ["mtl)" +
             Num((3 * i) % size.materials) + "\", \"mtl" + Num((3 * i + 1) % size.materials) +
             "\", \"mtl" + Num((3 * i + 2) % size.materials) + "\"]},\n";
  }

  std::string nodes;
  for (int i = 0; i < size.objects; ++i) {
    const std::string box = "box" + Num(i);
    const bool multi = i % 10 == 9;
    anims +=
        "\"" + box +
        R"(": {"super": "geometry", "class": "Editable Poly", "class_id": [469775245, 422498456], "mesh": {)";
    anims += kBoxMesh;
    if (multi) anims += R"(, "mat_ids": [0, 0, 1, 1, 2, 2, 0, 0, 1, 1, 2, 2])";
    anims += "}},\n";
    std::string object = box;
    if (i % 20 == 13) {
      object = "displaced" + Num(i);
      anims += "\"disp" + Num(i) +
               R"(": {"super": "modifier", "class": "CoronaDisplacementMod", "params": [[)"
               R"({"name": "minDisplace", "type": "TYPE_WORLD", "value": -1}, )"
               R"({"name": "maxDisplace", "type": "TYPE_WORLD", "value": 2}, )"
               R"({"name": "waterLevel", "type": "TYPE_FLOAT", "value": 0.5}, )"
               R"({"name": "screenSize", "type": "TYPE_FLOAT", "value": 2}]]},)"
               "\n\"" +
               object +
               R"(": {"super": "derived", "class": "Derived Object", "modifiers": ["disp)" +
               Num(i) + "\"], \"object\": \"" + box + "\"},\n";
    }
    const std::string material =
        multi ? "multi" + Num((i / 10) % multis) : "mtl" + Num((i * 7919) % size.materials);
    if (i > 0) nodes += ",\n";
    nodes += R"({"name": ")";
    nodes += kObjectNames[i % std::size(kObjectNames)];
    nodes += R"(", "object": ")" + object + R"(", "material": ")" + material +
             R"(", "transform": {"position": [)" + Num(i % 100 * 50) + ", " + Num(i / 100 * 50) +
             ", 0]}}";
  }

  const int lightObjects = std::max(1, size.lights / 4);
  for (int i = 0; i < lightObjects; ++i) {
    anims += "\"light" + Num(i) + R"(": {"super": "light", "class": "CoronaLight", "params": [[)";
    anims += kLightParams;
    anims += "]]},\n";
  }
  for (int i = 0; i < size.lights; ++i) {
    nodes += R"(,
{"name": "CoronaLight)" +
             Num(i) + R"(", "object": "light)" + Num(i % lightObjects) +
             R"(", "transform": {"position": [)" + Num(i * 37 % 5000) + ", " + Num(i * 53 % 5000) +
             ", 280]}}";
  }
  nodes += R"(,
{"name": "Sun", "object": "sun", "target": "sun_target", "transform": {"position": [3000, -2000, 4000]}},
{"name": "Sun.Target", "id": "sun_target"})";
  anims += R"("sun": {"super": "light", "class": "CoronaSun", "params": [[)"
           R"({"name": "on", "type": "TYPE_BOOL", "value": true}, )"
           R"({"name": "intensity", "type": "TYPE_FLOAT", "value": 1}, )"
           R"({"name": "sizeMultiplier", "type": "TYPE_FLOAT", "value": 2}, )"
           R"({"name": "targeted", "type": "TYPE_BOOL", "value": true}]]})";

  return "{\"format\": \"larkspur-scene\", \"version\": 1,\n"
         "\"scene\": {\"file_name\": \"Interior.max\", \"meters_per_unit\": 0.01},\n"
         "\"nodes\": [\n" +
         nodes + "],\n\"anims\": {\n" + anims + "}}\n";
}

}  // namespace larkspur::bench
