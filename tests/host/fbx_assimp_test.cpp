// Reads the exporter's file back with an FBX reader that shares none of its code (Assimp), and
// finds the scene in it: models and parents, material slots per face, colours per face corner.
#include <assimp/scene.h>
#include <gtest/gtest.h>
#include <assimp/Importer.hpp>

#include <filesystem>
#include <map>

#include "host/sim/fbx_scene_writer.h"
#include "host/sim/scene_file.h"

namespace larkspur::sim {
namespace {

namespace fs = std::filesystem;

struct MeshPart {
  std::string material;
  std::vector<std::array<float, 6>> corners;  // position, then colour
  bool operator==(const MeshPart& o) const {
    return material == o.material && corners == o.corners;
  }
};

void Collect(const aiScene& scene, const aiNode& node, std::map<std::string, std::string>& parents,
             std::map<std::string, std::vector<MeshPart>>& parts) {
  for (unsigned i = 0; i < node.mNumChildren; ++i) {
    const aiNode& child = *node.mChildren[i];
    parents[child.mName.C_Str()] = node.mParent ? node.mName.C_Str() : "";
    for (unsigned m = 0; m < child.mNumMeshes; ++m) {
      const aiMesh& mesh = *scene.mMeshes[child.mMeshes[m]];
      aiString material;
      scene.mMaterials[mesh.mMaterialIndex]->Get(AI_MATKEY_NAME, material);
      MeshPart part{material.C_Str(), {}};
      for (unsigned f = 0; f < mesh.mNumFaces; ++f) {
        for (unsigned k = 0; k < mesh.mFaces[f].mNumIndices; ++k) {
          const unsigned v = mesh.mFaces[f].mIndices[k];
          const aiColor4D c =
              mesh.HasVertexColors(0) ? mesh.mColors[0][v] : aiColor4D(-1, -1, -1, -1);
          part.corners.push_back(
              {mesh.mVertices[v].x, mesh.mVertices[v].y, mesh.mVertices[v].z, c.r, c.g, c.b});
        }
      }
      parts[child.mName.C_Str()].push_back(part);
    }
    Collect(scene, child, parents, parts);
  }
}

TEST(FbxAssimpRoundTrip, AnotherReaderFindsModelsParentsSlotsAndColours) {
  SceneLoadResult loaded = LoadSceneFile("fbx/small.scene.json");
  ASSERT_TRUE(loaded.ok) << loaded.message;
  // The workflow renames materials before the export: the file carries the names of that moment.
  loaded.host->FindAnim("blue")->SetName(u"Blue (2)");
  const fs::path path = fs::temp_directory_path() / "larkspur_fbx_assimp.fbx";
  const FbxWriteResult written = WriteFbxFile(*loaded.host, path);
  ASSERT_TRUE(written.ok) << written.message;
  Assimp::Importer importer;
  const aiScene* scene = importer.ReadFile(path.string(), 0);
  fs::remove(path);
  ASSERT_TRUE(scene) << importer.GetErrorString();

  std::map<std::string, std::string> parents;
  std::map<std::string, std::vector<MeshPart>> parts;
  Collect(*scene, *scene->mRootNode, parents, parts);
  // The light is left out; the geometry object without a mesh stays as a model without one.
  const std::map<std::string, std::string> expectedParents = {
      {"Rig", ""}, {"Kachel-Ä", "Rig"}, {"Plain", ""}, {"Ghost", ""}};
  EXPECT_EQ(parents, expectedParents);

  // Ids 0 and 3 select "Red" (3 wraps round the three slots), 1 "Blue (2)", and 2 the empty
  // slot, which leaves the face on the multi-material. An uncoloured vertex is white.
  const float w = 1, g = 0.5f;
  // One face per line.
  // clang-format off
  const std::vector<MeshPart> tile = {
      {"Red", {{0, 0, 0, 1, 0, 0}, {1, 0, 0, w, w, w}, {0, 1, 0, 0, 0, 1},
               {0, 1, 0, 0, 0, 1}, {1, 0, 0, w, w, w}, {1, 1, 0, g, g, g}}},
      {"Blue (2)", {{1, 0, 0, w, w, w}, {2, 0, 0, 0, 1, 0}, {1, 1, 0, g, g, g}}},
      {"Tiles", {{2, 0, 0, 0, 1, 0}, {1, 0, 0, w, w, w}, {0, 0, 0, 1, 0, 0}}},
  };
  // clang-format on
  EXPECT_EQ(parts["Kachel-Ä"], tile);
  const std::vector<MeshPart> plain = {
      {"Red", {{0, 0, 0, -1, -1, -1}, {1, 0, 0, -1, -1, -1}, {0, 1, 0, -1, -1, -1}}}};
  EXPECT_EQ(parts["Plain"], plain);
  EXPECT_EQ(parts.count("Ghost"), 0u);

  // Kachel-Ä sits at (5, 10, 0) turned a quarter about Z, under Rig at (0, 10, 0).
  const aiNode* kachel = scene->mRootNode->FindNode("Kachel-Ä");
  ASSERT_TRUE(kachel);
  const aiMatrix4x4& m = kachel->mTransformation;
  const float expected[3][4] = {{0, -1, 0, 5}, {1, 0, 0, 0}, {0, 0, 1, 0}};
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 4; ++c) EXPECT_NEAR(m[r][c], expected[r][c], 1e-5) << r << "," << c;
  }
}

}  // namespace
}  // namespace larkspur::sim
