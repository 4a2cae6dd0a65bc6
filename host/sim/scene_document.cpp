#include "host/sim/scene_document.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "host/sim/scene_text.h"

namespace larkspur::sim::scene_file {
namespace {

constexpr size_t kTextBlockSize = 64 * 1024;

}  // namespace

std::string KeyPath::Text() const {
  if (!parent_) return std::string(text_);
  std::string path = parent_->Text();
  if (indexPlusOne_ > 0) return path + "[" + std::to_string(indexPlusOne_ - 1) + "]";
  return path.empty() ? std::string(text_) : path + "." + std::string(text_);
}

void Fail(const KeyPath& path, std::string what) {
  throw FormatError{path.Text(), std::move(what)};
}

const JsonValue& JsonValue::Item(size_t index) const {
  Iterator item = begin();
  for (size_t i = 0; i < index; ++i) ++item;
  return *item;
}

const JsonValue* JsonValue::Member(std::string_view key) const {
  for (const JsonValue& member : *this) {
    if (member.HasKey(key)) return &member;
  }
  return nullptr;
}

char* DocumentBuilder::ParseInPlace(std::string_view text, size_t padding) {
  document_.text_ = LargeBuffer(text.size() + padding);
  char* copy = document_.text_.data();
  std::memcpy(copy, text.data(), text.size());
  std::memset(copy + text.size(), 0, padding);
  return copy;
}

char* DocumentBuilder::ParseInPlace(LargeBuffer text) {
  document_.text_ = std::move(text);
  return document_.text_.data();
}

Document DocumentBuilder::Finish() {
  if (repeated_) throw *repeated_;
  return std::move(document_);
}

void DocumentBuilder::TakeMember() {
  auto& values = document_.values_;
  JsonValue& object = values[frames_.back().value];
  sink_->Take(frames_.back().key, *(&object + 1));
  values.resize(frames_.back().value + 1);
  object.size_ = 0;
}

// A key that may repeat one of its object's: refused, once the whole text has parsed, if it does.
void DocumentBuilder::CompareKey(const Frame& frame, std::string_view key) {
  if (Repeats(frame, key) && !repeated_) {
    repeated_ = FormatError{Path(), "the key appears twice in one object"};
  }
}

// Whether the object being filled already has the key. Its members so far are complete values,
// except those of a streamed object, which are gone.
bool DocumentBuilder::Repeats(const Frame& frame, std::string_view key) {
  const JsonValue& object = document_.values_[frame.value];
  if (frame.streamed) return !manyKeys_.emplace(frame.object, key).second;
  if (object.size_ < kKeysScanned) {
    const JsonValue* member = &object + 1;
    for (size_t i = 0; i < object.size_; ++i, member += member->span_) {
      if (member->HasKey(key)) return true;
    }
    return false;
  }
  if (object.size_ == kKeysScanned) {
    const JsonValue* member = &object + 1;
    for (size_t i = 0; i < object.size_; ++i, member += member->span_) {
      manyKeys_.emplace(frame.object, member->MemberKey());
    }
  }
  return !manyKeys_.emplace(frame.object, key).second;
}

// The key path of the parse position.
std::string DocumentBuilder::Path() const {
  std::string path;
  for (const Frame& frame : frames_) {
    const JsonValue& value = document_.values_[frame.value];
    path = value.IsList() ? Index(KeyPath::Of(path), value.size_ - 1).Text()
                          : scene_file::Key(KeyPath::Of(path), frame.key).Text();
  }
  return path;
}

std::string_view DocumentBuilder::Copy(std::string_view text) {
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

namespace {

void CheckSize(size_t size) {
  if (size >= std::numeric_limits<uint32_t>::max()) {
    throw FormatError{"", "cannot be read: the text is 4 GiB or larger"};
  }
}

DocumentBuilder Builder(std::string_view streamedKey, MemberSink* sink) {
  DocumentBuilder builder;
  if (sink) builder.StreamMembers(streamedKey, *sink);
  return builder;
}

// Not plain valid JSON: the complete parser says why, or reads what the fast one gave up on.
Document ReadComplete(std::string_view carried, std::string_view streamedKey, MemberSink* sink) {
  if (sink) sink->Restart();
  DocumentBuilder builder = Builder(streamedKey, sink);
  ParseJson(carried, builder);
  return builder.Finish();
}

// A text with its lone surrogates carried: the fast parser reads it, or else the complete one.
Document ReadCarried(std::string_view carried, const TextFeatures& features,
                     std::string_view streamedKey, MemberSink* sink) {
  {
    DocumentBuilder builder = Builder(streamedKey, sink);
    if (ParseJsonFast(carried, features, builder)) return builder.Finish();
  }
  return ReadComplete(carried, streamedKey, sink);
}

// Carrying makes a text of its own, which is parsed as any other.
Document ReadCarried(const std::string& carried, std::string_view streamedKey, MemberSink* sink) {
  return ReadCarried(carried, FeaturesOf(carried), streamedKey, sink);
}

}  // namespace

Document ReadDocument(std::string_view json, std::string_view streamedKey, MemberSink* sink) {
  CheckSize(json.size());
  const TextFeatures features = FeaturesOf(json);
  if (const std::optional<std::string> carried = CarryLoneSurrogates(json, features)) {
    return ReadCarried(*carried, streamedKey, sink);
  }
  return ReadCarried(json, features, streamedKey, sink);
}

Document ReadDocument(WritableText text, std::string_view streamedKey, MemberSink* sink) {
  CheckSize(text.size);
  const std::string_view json(text.bytes.data(), text.size);
  const TextFeatures features = FeaturesOf(json);
  if (const std::optional<std::string> carried = CarryLoneSurrogates(json, features)) {
    return ReadCarried(*carried, streamedKey, sink);
  }
  {
    DocumentBuilder builder = Builder(streamedKey, sink);
    if (ParseJsonFast(std::move(text.bytes), text.size, features, builder)) {
      return builder.Finish();
    }
  }
  const std::string again = text.readAgain();
  CheckSize(again.size());
  const std::optional<std::string> carried = CarryLoneSurrogates(again);
  return ReadComplete(carried ? *carried : again, streamedKey, sink);
}

}  // namespace larkspur::sim::scene_file
