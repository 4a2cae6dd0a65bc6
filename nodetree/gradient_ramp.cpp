#include "nodetree/gradient_ramp.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>
#include <string>
#include <string_view>

#include "host/script_text.h"
#include "json/json_text.h"

namespace larkspur {
namespace {

// The probe: two functions that find the map by name among the materials of the scene's objects
// and then the scene materials (a visited list ends cycles), and the call that takes the name as
// a string literal. Every access the map's class may refuse is guarded.
constexpr std::u16string_view kProbePrefix =
    uR"ms((
  local LK_findTexmapByName
  fn LK_findTexmapByName root targetName visited = (
    local hit = undefined
    if root != undefined and findItem visited root == 0 do (
      append visited root
      local rootName = undefined
      try (rootName = root.name) catch ()
      local isMap = false
      try (isMap = (superClassOf root == textureMap)) catch ()
      local isMtl = false
      try (isMtl = (isKindOf root material) or (superClassOf root == material)) catch ()
      if isMap and rootName == targetName then hit = root
      else (
        if isMtl do (
          local subMtlCount = 0
          try (subMtlCount = getNumSubMtls root) catch ()
          for i = 1 to subMtlCount while hit == undefined do (
            local subMtl = undefined
            try (subMtl = getSubMtl root i) catch ()
            hit = LK_findTexmapByName subMtl targetName visited
          )
        )
        if isMtl or isMap do (
          local subMapCount = 0
          try (subMapCount = getNumSubTexmaps root) catch ()
          for i = 1 to subMapCount while hit == undefined do (
            local subMap = undefined
            try (subMap = getSubTexmap root i) catch ()
            hit = LK_findTexmapByName subMap targetName visited
          )
        )
      )
    )
    hit
  )
  fn LK_findGradientRamp targetName = (
    local visited = #()
    local hit = undefined
    for obj in objects while hit == undefined do (
      local objMtl = undefined
      try (objMtl = obj.material) catch ()
      if objMtl != undefined do hit = LK_findTexmapByName objMtl targetName visited
    )
    for sceneMtl in sceneMaterials while hit == undefined do (
      hit = LK_findTexmapByName sceneMtl targetName visited
    )
    hit
  )
  local gr = LK_findGradientRamp ")ms";

constexpr std::u16string_view kProbeSuffix =
    uR"ms("
  if gr == undefined then "ERROR:NOTFOUND" else (
    local flagContainer = undefined
    local bestCount = 0
    local subCount = 0
    try (subCount = gr.numsubs) catch ()
    for i = 1 to subCount do (
      local candidate = undefined
      try (candidate = gr[i]) catch ()
      local coloured = 0
      local flagCount = 0
      try (flagCount = candidate.numsubs) catch ()
      for j = 1 to flagCount do (
        try (if candidate[j].color != undefined do coloured += 1) catch ()
      )
      if coloured > bestCount do (
        bestCount = coloured
        flagContainer = candidate
      )
    )
    if flagContainer == undefined then "ERROR:NOCONTAINER" else (
      local answer = ""
      local stopCount = 0
      for j = 1 to flagContainer.numsubs do (
        local stopColor = undefined
        try (stopColor = flagContainer[j].color) catch ()
        if stopColor != undefined do (
          local stopPos = undefined
          try (stopPos = flagContainer[j].position) catch ()
          if stopPos == undefined do stopPos = if stopCount == 0 then 0.0 else 100.0
          if stopCount > 0 do answer += "|"
          answer += (stopPos as string) + "," + (stopColor.x as string) + "," + (stopColor.y as string) + "," + (stopColor.z as string)
          stopCount += 1
        )
      )
      answer
    )
  )
))ms";

std::vector<std::u16string_view> Split(std::u16string_view text, char16_t separator) {
  std::vector<std::u16string_view> parts;
  size_t start = 0;
  for (;;) {
    const size_t end = text.find(separator, start);
    parts.push_back(text.substr(start, end == std::u16string_view::npos ? end : end - start));
    if (end == std::u16string_view::npos) return parts;
    start = end + 1;
  }
}

// A finite number that fills the whole field; nothing otherwise.
std::optional<float> ParseNumber(std::u16string_view field) {
  std::string ascii;
  for (const char16_t c : field) {
    if (c > 0x7F) return std::nullopt;
    ascii += static_cast<char>(c);
  }
  float value = 0.0f;
  const char* end = ascii.data() + ascii.size();
  const auto result = std::from_chars(ascii.data(), end, value);
  if (result.ec != std::errc() || result.ptr != end || !std::isfinite(value)) return std::nullopt;
  return value;
}

}  // namespace

std::vector<GradientKey> ParseGradientKeys(std::u16string_view answer) {
  std::vector<GradientKey> keys;
  for (const std::u16string_view record : Split(answer, u'|')) {
    const std::vector<std::u16string_view> fields = Split(record, u',');
    if (fields.size() != 4) continue;
    float numbers[4];
    bool complete = true;
    for (size_t i = 0; i < 4 && complete; ++i) {
      const std::optional<float> number = ParseNumber(fields[i]);
      complete = number.has_value();
      if (complete) numbers[i] = *number;
    }
    if (!complete) continue;
    keys.push_back(GradientKey{
        numbers[0] / 100.0f, Color{numbers[1] / 255.0f, numbers[2] / 255.0f, numbers[3] / 255.0f}
    });
  }
  std::stable_sort(keys.begin(), keys.end(), [](const GradientKey& a, const GradientKey& b) {
    return a.position < b.position;
  });
  return keys;
}

namespace {

Text KeysText(const std::vector<GradientKey>& keys) {
  Text text = u"[";
  for (size_t i = 0; i < keys.size(); ++i) {
    if (i > 0) text += u',';
    text += u"{\"pos\":";
    text += FormatJsonFloat(keys[i].position);
    text += u",\"color\":";
    text += FormatJsonColor(keys[i].color);
    text += u'}';
  }
  text += u']';
  return text;
}

}  // namespace

Text ProbeGradientKeys(host::Interface& ip, const Text& mapName) {
  Text script(kProbePrefix);
  script += EscapeScriptString(mapName);
  script += kProbeSuffix;
  host::ScriptResult result;
  if (!ip.ExecuteMAXScriptScript(script, true, &result) || !result.isString) return Text();
  return result.text;
}

void GradientKeysRow(const RowContext& context, const ParamRow& row, ParamLines& lines) {
  const Text answer = ProbeGradientKeys(context.ip, context.object.GetName());
  if (answer.empty() || answer.rfind(u"ERROR:", 0) == 0) return;
  const std::vector<GradientKey> keys = ParseGradientKeys(answer);
  if (!keys.empty()) lines.AddRaw(row.key, KeysText(keys));
}

}  // namespace larkspur
