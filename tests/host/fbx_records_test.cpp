#include "host/sim/fbx_records.h"

#include <gtest/gtest.h>

namespace larkspur::sim {
namespace {

using namespace std::string_literals;

TEST(FbxRecords, PropertiesAreTypedLittleEndianPayloads) {
  struct Case {
    FbxProperty property;
    char type;
    std::string payload;
  };
  const Case cases[] = {
      {FbxBool(true), 'C', "\x01"s},
      {FbxInt32(-2), 'I', "\xfe\xff\xff\xff"s},
      {FbxInt64(0x0102030405060708), 'L', "\x08\x07\x06\x05\x04\x03\x02\x01"s},
      {FbxDouble(1.0), 'D', "\0\0\0\0\0\0\xf0\x3f"s},
      {FbxString("ab"), 'S', "\x02\0\0\0ab"s},
      {FbxRaw("\0\x01"s), 'R', "\x02\0\0\0\0\x01"s},
      // count, encoding 0 (uncompressed), byte length, elements
      {FbxInt32Array({1, -1}), 'i', "\x02\0\0\0\0\0\0\0\x08\0\0\0\x01\0\0\0\xff\xff\xff\xff"s},
      {FbxDoubleArray({-2.0}), 'd', "\x01\0\0\0\0\0\0\0\x08\0\0\0\0\0\0\0\0\0\0\xc0"s},
      {FbxInt32Array({}), 'i', std::string(12, '\0')},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.property.type, c.type);
    EXPECT_EQ(c.property.payload, c.payload) << c.type;
  }
}

TEST(FbxRecords, FileHoldsOffsetsNestedListsAndFooter) {
  FbxRecord a{"A", {FbxInt32(7)}, {}};
  FbxRecord b{"B", {}, {}};
  b.Add("C", {FbxInt64(1)});
  const FbxEncodeResult file = EncodeFbxFile({a, b});
  ASSERT_TRUE(file.ok) << file.message;
  const std::string header = "Kaydara FBX Binary  \0\x1a\0\xe8\x1c\0\0"s;  // version 7400
  // A ends at 46 and has no nested list; B has none of its own properties, holds C (46 + 14 to
  // 83) and ends with the empty record at 96; the file's empty record follows.
  const std::string records =
      "\x2e\0\0\0\x01\0\0\0\x05\0\0\0\x01"
      "AI\x07\0\0\0"s +
      "\x60\0\0\0\0\0\0\0\0\0\0\0\x01"
      "B"s +
      "\x53\0\0\0\x01\0\0\0\x09\0\0\0\x01"
      "CL\x01\0\0\0\0\0\0\0"s +
      std::string(13, '\0') + std::string(13, '\0');
  ASSERT_GE(file.bytes.size(), header.size() + records.size());
  EXPECT_EQ(file.bytes.substr(0, header.size() + records.size()), header + records);
  // Footer: 16-byte id, 4 zero bytes, padding to the next multiple of 16 (109 + 20 -> 144),
  // the version, 120 zero bytes and 16 closing bytes.
  ASSERT_EQ(file.bytes.size(), 144u + 4 + 120 + 16);
  EXPECT_EQ(file.bytes.substr(125, 19), std::string(19, '\0'));
  EXPECT_EQ(file.bytes.substr(144, 4), "\xe8\x1c\0\0"s);
  EXPECT_EQ(file.bytes.substr(148, 120), std::string(120, '\0'));
}

TEST(FbxRecords, ANameLongerThanTheFormatAllowsIsRefused) {
  FbxRecord parent{"Objects", {}, {}};
  parent.Add(std::string(256, 'n'), {FbxInt32(0)});
  const FbxEncodeResult refused = EncodeFbxFile({parent});
  EXPECT_FALSE(refused.ok);
  EXPECT_EQ(refused.message, "a record name is longer than 255 bytes");
  EXPECT_TRUE(refused.bytes.empty());
  parent.children[0].name.resize(255);
  EXPECT_TRUE(EncodeFbxFile({parent}).ok);
}

}  // namespace
}  // namespace larkspur::sim
