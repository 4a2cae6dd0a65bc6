// The binary FBX container: a tree of named records, each with a list of typed properties. This
// file knows only the encoding (version 7.4: 32-bit offsets, uncompressed arrays, little-endian),
// not what the records mean; fbx_scene_writer.h builds the scene's records.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace larkspur::sim {

// One property: its type code and its little-endian payload, already encoded.
struct FbxProperty {
  char type = 0;
  std::string payload;
};

FbxProperty FbxBool(bool value);                                // C
FbxProperty FbxInt32(int32_t value);                            // I
FbxProperty FbxInt64(int64_t value);                            // L
FbxProperty FbxDouble(double value);                            // D
FbxProperty FbxString(const std::string& utf8);                 // S
FbxProperty FbxRaw(const std::string& bytes);                   // R
FbxProperty FbxInt32Array(const std::vector<int32_t>& values);  // i
FbxProperty FbxDoubleArray(const std::vector<double>& values);  // d

struct FbxRecord {
  std::string name;
  std::vector<FbxProperty> properties;
  std::vector<FbxRecord> children;

  // Appends a child record and returns it, so that a writer can fill it in place.
  FbxRecord& Add(std::string childName, std::vector<FbxProperty> childProperties = {});
};

inline constexpr uint32_t kFbxVersion = 7400;

struct FbxEncodeResult {
  bool ok = false;
  std::string message;  // why the records cannot be encoded, when not ok
  std::string bytes;    // the whole file, when ok
};

// The file: header, the top-level records, the closing empty record and the footer. Records whose
// offsets would not fit the format's 32 bits, or whose names are longer than 255 bytes, are
// refused.
FbxEncodeResult EncodeFbxFile(const std::vector<FbxRecord>& records);

}  // namespace larkspur::sim
