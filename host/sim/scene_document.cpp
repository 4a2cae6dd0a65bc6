#include "host/sim/scene_document.h"

#include <algorithm>
#include <cstring>

#include "host/sim/scene_text.h"

namespace larkspur::sim::scene_file {
namespace {

// Up to this many members, an object's keys are compared one by one; from there on, hashed.
constexpr size_t kKeysScanned = 8;
constexpr size_t kTextBlockSize = 64 * 1024;

}  // namespace

void Fail(const std::string& path, std::string what) {
  throw FormatError{path, std::move(what)};
}

std::string Key(const std::string& path, std::string_view key) {
  return path.empty() ? std::string(key) : path + "." + std::string(key);
}

std::string Index(const std::string& path, size_t index) {
  return path + "[" + std::to_string(index) + "]";
}

double JsonValue::Number() const {
  switch (kind_) {
    case JsonKind::kInteger:
      return static_cast<double>(integer_);
    case JsonKind::kUnsigned:
      return static_cast<double>(unsigned_);
    default:
      return float_;
  }
}

const JsonValue& JsonValue::Item(size_t index) const {
  Iterator item = begin();
  for (size_t i = 0; i < index; ++i) ++item;
  return *item;
}

const JsonValue* JsonValue::Member(std::string_view key) const {
  for (const JsonValue& member : *this) {
    if (member.key_ == key) return &member;
  }
  return nullptr;
}

void DocumentBuilder::Null() {
  Add(JsonKind::kNull);
}

void DocumentBuilder::Boolean(bool value) {
  Add(JsonKind::kBool).boolean_ = value;
}

void DocumentBuilder::Integer(int64_t value) {
  Add(JsonKind::kInteger).integer_ = value;
}

void DocumentBuilder::Unsigned(uint64_t value) {
  Add(JsonKind::kUnsigned).unsigned_ = value;
}

void DocumentBuilder::Float(double value) {
  Add(JsonKind::kFloat).float_ = value;
}

void DocumentBuilder::String(std::string_view utf8) {
  const std::string_view stored = Store(utf8);
  Add(JsonKind::kString).text_ = stored;
}

void DocumentBuilder::BeginObject() {
  Begin(JsonKind::kObject);
}

void DocumentBuilder::Key(std::string_view utf8) {
  Frame& frame = frames_.back();
  frame.key = Store(utf8);
  if (Repeats(frame, frame.key) && !repeated_) {
    repeated_ = FormatError{Path(), "the key appears twice in one object"};
  }
}

void DocumentBuilder::EndObject() {
  End();
}

void DocumentBuilder::BeginList() {
  Begin(JsonKind::kList);
}

void DocumentBuilder::EndList() {
  End();
}

Document DocumentBuilder::Finish() {
  if (repeated_) throw *repeated_;
  return std::move(document_);
}

// A value where the parse position is: the root, the next item of a list or the value of the
// current key.
JsonValue& DocumentBuilder::Add(JsonKind kind) {
  std::vector<JsonValue>& values = document_.values_;
  values.emplace_back().kind_ = kind;
  JsonValue& value = values.back();
  if (!frames_.empty()) {
    Frame& frame = frames_.back();
    JsonValue& parent = values[frame.value];
    ++parent.size_;
    if (parent.IsList()) {
      ++frame.index;
    } else {
      value.key_ = frame.key;
    }
  }
  return value;
}

void DocumentBuilder::Begin(JsonKind kind) {
  Add(kind);
  frames_.emplace_back().value = document_.values_.size() - 1;
}

void DocumentBuilder::End() {
  std::vector<JsonValue>& values = document_.values_;
  values[frames_.back().value].span_ = values.size() - frames_.back().value;
  frames_.pop_back();
}

// Whether the object being filled already has the key. Its members so far are complete values.
bool DocumentBuilder::Repeats(Frame& frame, std::string_view key) {
  const JsonValue& object = document_.values_[frame.value];
  if (frame.keys.empty() && object.size_ < kKeysScanned) {
    const JsonValue* member = &object + 1;
    for (size_t i = 0; i < object.size_; ++i, member += member->span_) {
      if (member->key_ == key) return true;
    }
    return false;
  }
  if (frame.keys.empty()) {
    const JsonValue* member = &object + 1;
    for (size_t i = 0; i < object.size_; ++i, member += member->span_) {
      frame.keys.insert(member->key_);
    }
  }
  return !frame.keys.insert(key).second;
}

// The key path of the parse position.
std::string DocumentBuilder::Path() const {
  std::string path;
  for (const Frame& frame : frames_) {
    path = document_.values_[frame.value].IsList() ? Index(path, frame.index - 1)
                                                   : scene_file::Key(path, frame.key);
  }
  return path;
}

std::string_view DocumentBuilder::Store(std::string_view text) {
  if (text.empty()) return {};
  Document& d = document_;
  if (d.blocks_.empty() || d.blockSize_ - d.blockUsed_ < text.size()) {
    d.blockSize_ = std::max(kTextBlockSize, text.size());
    d.blockUsed_ = 0;
    d.blocks_.push_back(std::make_unique<char[]>(d.blockSize_));
  }
  char* at = d.blocks_.back().get() + d.blockUsed_;
  std::memcpy(at, text.data(), text.size());
  d.blockUsed_ += text.size();
  return {at, text.size()};
}

Document ReadDocument(std::string_view json) {
  const std::optional<std::string> carried = CarryLoneSurrogates(json);
  DocumentBuilder builder;
  ParseJson(carried ? std::string_view(*carried) : json, builder);
  return builder.Finish();
}

}  // namespace larkspur::sim::scene_file
