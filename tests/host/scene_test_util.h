// Scenes for the simulated host's tests: inline documents and the shared example files.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "host/sim/scene_file.h"

namespace larkspur::sim::testing {

// The folder of the example scenes, relative to the test's working directory.
inline const char* const kSceneFolder = "../scenes/";

// A scene document around the given members (text after "version": 1).
inline std::string Document(const std::string& members) {
  return R"({"format": "larkspur-scene", "version": 1)" + (members.empty() ? "" : ", " + members) +
         "}";
}

inline std::unique_ptr<SimHost> LoadOrFail(const std::string& json) {
  SceneLoadResult result = LoadSceneText(json, "test.json");
  EXPECT_TRUE(result.ok) << result.message;
  return std::move(result.host);
}

inline std::unique_ptr<SimHost> LoadExample(const std::string& name) {
  SceneLoadResult result = LoadSceneFile(std::string(kSceneFolder) + name);
  EXPECT_TRUE(result.ok) << result.message;
  return std::move(result.host);
}

inline SimNode* Child(SimNode& parent, int index) {
  return static_cast<SimNode*>(parent.GetChildNode(index));
}

}  // namespace larkspur::sim::testing
