#include "host/sim/fbx_records.h"

#include <cstring>
#include <limits>

namespace larkspur::sim {
namespace {

// Every number goes out byte by byte, so that the file does not depend on the build's byte order.
void AppendLittleEndian(std::string& out, uint64_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

uint64_t BitsOf(double value) {
  uint64_t bits = 0;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

FbxProperty Scalar(char type, uint64_t value, int bytes) {
  FbxProperty p{type, {}};
  AppendLittleEndian(p.payload, value, bytes);
  return p;
}

FbxProperty Sized(char type, const std::string& bytes) {
  FbxProperty p{type, {}};
  AppendLittleEndian(p.payload, bytes.size(), 4);
  p.payload += bytes;
  return p;
}

// An array: element count, encoding 0 (uncompressed), byte length, then the elements.
template <typename T, typename ToBits>
FbxProperty Array(char type, const std::vector<T>& values, ToBits toBits) {
  FbxProperty p{type, {}};
  p.payload.reserve(12 + values.size() * sizeof(T));
  AppendLittleEndian(p.payload, values.size(), 4);
  AppendLittleEndian(p.payload, 0, 4);
  AppendLittleEndian(p.payload, values.size() * sizeof(T), 4);
  for (const T& value : values) AppendLittleEndian(p.payload, toBits(value), sizeof(T));
  return p;
}

// A record's fixed part: end offset, property count, property list length, name length.
constexpr uint64_t kRecordHeaderSize = 4 + 4 + 4 + 1;
// The empty record that closes every nested list (and the file's top level).
constexpr uint64_t kNullRecordSize = kRecordHeaderSize;

constexpr char kMagic[] = "Kaydara FBX Binary  ";  // followed by NUL, 0x1A, 0x00
constexpr unsigned char kFooterId[16] = {0xfa, 0xbc, 0xab, 0x09, 0xd0, 0xc8, 0xd4, 0x66,
                                         0xb1, 0x76, 0xfb, 0x83, 0x1c, 0xf7, 0x26, 0x7e};
constexpr unsigned char kFooterMagic[16] = {0xf8, 0x5a, 0x8c, 0x6a, 0xde, 0xf5, 0xd9, 0x7e,
                                            0xec, 0xe9, 0x0c, 0xe3, 0x75, 0x8f, 0x29, 0x0b};

uint64_t PropertiesSize(const FbxRecord& record) {
  uint64_t size = 0;
  for (const FbxProperty& p : record.properties) size += 1 + p.payload.size();
  return size;
}

// A record without properties still gets a nested list, so that readers tell "Name: {}" from a
// record that holds nothing at all.
bool HasNestedList(const FbxRecord& record) {
  return !record.children.empty() || record.properties.empty();
}

// The encoded size of a record and everything below it; false when a name is too long.
bool RecordSize(const FbxRecord& record, uint64_t& size) {
  if (record.name.size() > 255) return false;
  size = kRecordHeaderSize + record.name.size() + PropertiesSize(record);
  for (const FbxRecord& child : record.children) {
    uint64_t childSize = 0;
    if (!RecordSize(child, childSize)) return false;
    size += childSize;
  }
  if (HasNestedList(record)) size += kNullRecordSize;
  return true;
}

void WriteRecord(const FbxRecord& record, std::string& out) {
  const size_t start = out.size();
  AppendLittleEndian(out, 0, 4);  // the end offset, filled in below
  AppendLittleEndian(out, record.properties.size(), 4);
  AppendLittleEndian(out, PropertiesSize(record), 4);
  AppendLittleEndian(out, record.name.size(), 1);
  out += record.name;
  for (const FbxProperty& p : record.properties) {
    out += p.type;
    out += p.payload;
  }
  for (const FbxRecord& child : record.children) WriteRecord(child, out);
  if (HasNestedList(record)) out.append(kNullRecordSize, '\0');
  const uint64_t end = out.size();
  for (int i = 0; i < 4; ++i) out[start + i] = static_cast<char>((end >> (8 * i)) & 0xFF);
}

void WriteFooter(std::string& out) {
  out.append(reinterpret_cast<const char*>(kFooterId), sizeof kFooterId);
  out.append(4, '\0');
  // Padding to a multiple of 16; a file already aligned gets a whole 16 bytes.
  out.append(16 - out.size() % 16, '\0');
  AppendLittleEndian(out, kFbxVersion, 4);
  out.append(120, '\0');
  out.append(reinterpret_cast<const char*>(kFooterMagic), sizeof kFooterMagic);
}

}  // namespace

FbxProperty FbxBool(bool value) {
  return Scalar('C', value ? 1 : 0, 1);
}
FbxProperty FbxInt32(int32_t value) {
  return Scalar('I', static_cast<uint32_t>(value), 4);
}
FbxProperty FbxInt64(int64_t value) {
  return Scalar('L', static_cast<uint64_t>(value), 8);
}
FbxProperty FbxDouble(double value) {
  return Scalar('D', BitsOf(value), 8);
}
FbxProperty FbxString(const std::string& utf8) {
  return Sized('S', utf8);
}
FbxProperty FbxRaw(const std::string& bytes) {
  return Sized('R', bytes);
}
FbxProperty FbxInt32Array(const std::vector<int32_t>& values) {
  return Array('i', values, [](int32_t v) { return static_cast<uint32_t>(v); });
}
FbxProperty FbxDoubleArray(const std::vector<double>& values) {
  return Array('d', values, BitsOf);
}

FbxRecord& FbxRecord::Add(std::string childName, std::vector<FbxProperty> childProperties) {
  children.push_back(FbxRecord{std::move(childName), std::move(childProperties), {}});
  return children.back();
}

FbxEncodeResult EncodeFbxFile(const std::vector<FbxRecord>& records) {
  FbxEncodeResult result;
  const uint64_t headerSize = sizeof kMagic + 2 + 4;
  uint64_t total = headerSize + kNullRecordSize;
  for (const FbxRecord& record : records) {
    uint64_t size = 0;
    if (!RecordSize(record, size)) {
      result.message = "a record name is longer than 255 bytes";
      return result;
    }
    total += size;
  }
  if (total > std::numeric_limits<uint32_t>::max()) {
    result.message = "the scene is too large for a file of 4 GiB";
    return result;
  }
  std::string& out = result.bytes;
  out.reserve(static_cast<size_t>(total) + 200);
  out.append(kMagic, sizeof kMagic);  // with its NUL
  out += '\x1a';
  out += '\0';
  AppendLittleEndian(out, kFbxVersion, 4);
  for (const FbxRecord& record : records) WriteRecord(record, out);
  out.append(kNullRecordSize, '\0');
  WriteFooter(out);
  result.ok = true;
  return result;
}

}  // namespace larkspur::sim
