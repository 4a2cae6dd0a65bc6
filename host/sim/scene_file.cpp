#include "host/sim/scene_file.h"

#include <cstring>
#include <fstream>
#include <iterator>
#include <system_error>

#include "host/file_path.h"
#include "host/sim/large_memory.h"
#include "host/sim/scene_document.h"
#include "host/sim/scene_reader.h"
#include "host/sim/scene_text.h"
#include "host/text.h"

namespace larkspur::sim {
namespace {

// Texts of the file in a message are UTF-8, with a lone surrogate shown as U+FFFD.
std::string Message(std::string_view source, const std::string& path, const std::string& what) {
  std::string message(source);
  message += ": ";
  if (!path.empty()) message += ToUtf8(scene_file::TextOf(path)) + ": ";
  return message + ToUtf8(scene_file::TextOf(what));
}

// Neither empty (an unsaved scene) nor rooted in either platform's way: "/", "\\" or a drive.
bool IsRelativeScenePath(std::u16string_view path) {
  if (path.empty() || path[0] == u'/' || path[0] == u'\\') return false;
  return path.size() < 2 || path[1] != u':';
}

template <typename SceneText>
SceneLoadResult Load(SceneText text, size_t size, std::string_view sourceName) {
  SceneLoadResult result;
  try {
    // The host's records take about three times the text, the package built from them as much.
    PrepareHeap(size * 6);
    auto host = std::make_unique<SimHost>();
    scene_file::ReadScene(std::move(text), *host);
    result.ok = true;
    result.host = std::move(host);
  } catch (const scene_file::FormatError& error) {
    result.message = Message(sourceName, error.path, error.what);
  } catch (const std::exception& error) {
    result.message = Message(sourceName, "", std::string("cannot be read: ") + error.what());
  }
  return result;
}

// The whole file in one read into memory that is cheap to touch for the first time, followed by
// the zero bytes that let the parser read it where it lies. A folder or a file too large for
// memory cannot be read; neither may end the process.
bool ReadWhole(std::ifstream& in, scene_file::WritableText& text) {
  try {
    const std::streamoff size = in.tellg();
    if (size < 0) return false;
    text.size = static_cast<size_t>(size);
    text.bytes = LargeBuffer(text.size + scene_file::kInPlacePadding);
    std::memset(text.bytes.data() + text.size, 0, scene_file::kInPlacePadding);
    return in.seekg(0) && in.read(text.bytes.data(), size);
  } catch (const std::exception&) {
    return false;
  }
}

}  // namespace

SceneLoadResult LoadSceneText(std::string_view json, std::string_view sourceName) {
  return Load(json, json.size(), sourceName);
}

SceneLoadResult LoadSceneFile(const std::filesystem::path& file) {
  std::string source;
  try {
    source = file.u8string();
  } catch (const std::exception&) {
    source = "(scene file)";
  }
  std::ifstream in(file, std::ios::binary | std::ios::ate);
  if (!in) {
    SceneLoadResult result;
    result.message = source + ": cannot open the file";
    return result;
  }
  scene_file::WritableText text;
  if (!ReadWhole(in, text)) {
    SceneLoadResult result;
    result.message = source + ": cannot read the file";
    return result;
  }
  text.readAgain = [&file] {
    std::ifstream again(file, std::ios::binary);
    if (!again) throw std::ios_base::failure("the file cannot be opened again");
    return std::string(std::istreambuf_iterator<char>(again), std::istreambuf_iterator<char>());
  };
  const size_t size = text.size;
  SceneLoadResult result = Load(std::move(text), size, source);
  if (result.ok && IsRelativeScenePath(result.host->filePath)) {
    // A relative file path names the scene's file beside the scene file itself, so that what the
    // scene refers to by its folder (textures) is found there.
    std::error_code error;
    const std::filesystem::path folder = std::filesystem::absolute(file, error).parent_path();
    if (!error) result.host->filePath = PathText(JoinPath(folder, result.host->filePath));
  }
  return result;
}

}  // namespace larkspur::sim
