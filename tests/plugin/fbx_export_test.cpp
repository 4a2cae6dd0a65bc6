#include "plugin/fbx_export.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "host/sim/sim_scene.h"

namespace larkspur {
namespace {

using host::Text;
namespace fs = std::filesystem;

// Records what the export was asked for.
class RecordingHost : public sim::SimHost {
 public:
  bool suppressPrompts = false;
  uint32_t options = 99;
  bool ExportToFile(const Text& path, bool suppress, uint32_t opts) override {
    suppressPrompts = suppress;
    options = opts;
    return SimHost::ExportToFile(path, suppress, opts);
  }
};

TEST(ExportFbx, ReportsARejectedExportAndAMissingFile) {
  const fs::path folder =
      fs::temp_directory_path() / ("larkspur_fbx_" + std::to_string(std::random_device{}()));
  fs::create_directories(folder);
  const Text path = (folder / "Living_Room.fbx").u16string();
  const Text rejected =
      u"FBX export failed (FBX exporter not available or export was rejected \u2014 is the FBX "
      u"plugin installed in 3ds Max?)";
  const Text notCreated = u"FBX was not created:\n" + path +
                          u"\n\nPossible reasons:\n\u2022 Exchange Folder is not accessible from "
                          u"Windows\n\u2022 No write permissions\n\u2022 FBX export settings "
                          u"prohibit export";
  const struct {
    const char* what;
    sim::FbxExportMode mode;
    bool staleFile;
    bool ok;
    Text error;
  } cases[] = {
      {"written", sim::FbxExportMode::kWrites, false, true, u""},
      {"rejected", sim::FbxExportMode::kFails, false, false, rejected},
      {"accepted, no file", sim::FbxExportMode::kNoFile, false, false, notCreated},
      {"accepted, an earlier file", sim::FbxExportMode::kNoFile, true, true, u""},
  };
  for (const auto& c : cases) {
    fs::remove(folder / "Living_Room.fbx");
    if (c.staleFile) std::ofstream(folder / "Living_Room.fbx") << "old";
    RecordingHost host;
    host.fbxExport = c.mode;
    Text error = u"left from before";
    EXPECT_EQ(ExportFbx(host, path, error), c.ok) << c.what;
    EXPECT_EQ(error, c.error) << c.what;
    EXPECT_EQ(host.exports, std::vector<Text>{path}) << c.what;
    EXPECT_TRUE(host.suppressPrompts) << c.what;
    EXPECT_EQ(host.options, 0u) << c.what;
  }
  fs::remove_all(folder);
}

}  // namespace
}  // namespace larkspur
