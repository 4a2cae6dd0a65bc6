// The parsed scene document: every JSON value of the file in file order, each object's members in
// the order the file gives them (the scene follows it: anims are made in it). A DocumentBuilder
// makes it from parse events, so that the pieces that turn JSON text into events can be replaced,
// and the scene reader sees only the types of this header.
#pragma once

#include <tsl/robin_set.h>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "host/sim/large_memory.h"
#include "host/sim/scene_text.h"
#include "host/sim/short_text.h"

namespace larkspur::sim::scene_file {

// The first break of the format: the key path ("nodes[0].name", empty for the whole document) and
// what is wrong. Thrown inside the reader only and turned into the load's message.
struct FormatError {
  std::string path;
  std::string what;
};

// A key path, made into text only when a message needs it. Object keys join with ".", list
// positions show as "[n]". Each level refers to the level it extends, which must outlive it: the
// levels live on the reader's stack, or in an argument list.
class KeyPath {
 public:
  KeyPath() = default;                        // the whole document
  KeyPath(const char* text) : text_(text) {}  // a path written out, such as "nodes"
  static KeyPath Of(const std::string& text) { return KeyPath(text.c_str()); }

  KeyPath Key(std::string_view key) const { return KeyPath(this, key, 0); }
  KeyPath Index(size_t index) const { return KeyPath(this, {}, index + 1); }
  std::string Text() const;

 private:
  KeyPath(const KeyPath* parent, std::string_view text, size_t indexPlusOne)
      : parent_(parent), text_(text), indexPlusOne_(indexPlusOne) {}

  const KeyPath* parent_ = nullptr;
  std::string_view text_;    // a key, or the whole path of a level without parent
  size_t indexPlusOne_ = 0;  // a list position, plus one; 0 for a key
};

[[noreturn]] void Fail(const KeyPath& path, std::string what);

inline KeyPath Key(const KeyPath& path, std::string_view key) {
  return path.Key(key);
}
inline KeyPath Index(const KeyPath& path, size_t index) {
  return path.Index(index);
}

enum class JsonKind : uint8_t {
  kNull,
  kBool,
  kInteger,
  kUnsigned,
  kFloat,
  kString,
  kList,
  kObject
};

// One value of a document. The items of a list (the members of an object) follow it in the
// document, each with its own nested values after it, so that a value spans itself and all of its
// nested values. Values live in their document and are read only there. Counts are 32-bit: a
// document holds fewer values and bytes than its text (ReadDocument refuses a text of 4 GiB).
class JsonValue {
 public:
  class Iterator {
   public:
    explicit Iterator(const JsonValue* at) : at_(at) {}
    const JsonValue& operator*() const { return *at_; }
    Iterator& operator++() {
      at_ += at_->span_;
      return *this;
    }
    bool operator!=(const Iterator& other) const { return at_ != other.at_; }

   private:
    const JsonValue* at_;
  };

  JsonValue() : integer_(0) {}

  JsonKind Kind() const { return kind_; }
  bool IsNull() const { return kind_ == JsonKind::kNull; }
  bool IsBool() const { return kind_ == JsonKind::kBool; }
  bool IsString() const { return kind_ == JsonKind::kString; }
  bool IsList() const { return kind_ == JsonKind::kList; }
  bool IsObject() const { return kind_ == JsonKind::kObject; }
  // A number written without a fraction or exponent that fits 64 bits, signed or unsigned.
  bool IsInteger() const { return kind_ == JsonKind::kInteger || kind_ == JsonKind::kUnsigned; }
  bool IsUnsigned() const { return kind_ == JsonKind::kUnsigned; }
  bool IsFloat() const { return kind_ == JsonKind::kFloat; }
  bool IsNumber() const { return IsInteger() || IsFloat(); }

  bool Bool() const { return boolean_; }
  // UTF-8 as parsed, lone surrogates carried (scene_text.h).
  std::string_view String() const { return {text_, size_}; }
  int64_t Integer() const { return IsUnsigned() ? static_cast<int64_t>(unsigned_) : integer_; }
  uint64_t Unsigned() const { return unsigned_; }  // of an unsigned number only
  // Any number as a double.
  double Number() const {
    return kind_ == JsonKind::kInteger    ? static_cast<double>(integer_)
           : kind_ == JsonKind::kUnsigned ? static_cast<double>(unsigned_)
                                          : float_;
  }

  // The items of a list or the members of an object, in file order.
  size_t Size() const { return size_; }
  Iterator begin() const { return Iterator(this + 1); }
  Iterator end() const { return Iterator(this + span_); }
  // The item at index, found by walking the items before it: for short lists.
  const JsonValue& Item(size_t index) const;
  // The member's value of that key, or null.
  const JsonValue* Member(std::string_view key) const;
  // The key of an object's member.
  std::string_view MemberKey() const { return {key_, keySize_}; }
  // Whether the key is this member's. Most keys differ in length, and most of the rest have 4 to
  // 8 bytes.
  bool HasKey(std::string_view key) const {
    const size_t size = key.size();
    if (keySize_ != size) return false;
    if (size >= 4 && size <= 8) return SameWordEnds<uint32_t>(key_, key.data(), size);
    for (size_t i = 0; i < size; ++i) {
      if (key_[i] != key[i]) return false;
    }
    return true;
  }

 private:
  friend class DocumentBuilder;

  const char* key_ = nullptr;
  uint32_t keySize_ = 0;
  JsonKind kind_ = JsonKind::kNull;
  bool boolean_ = false;
  uint32_t size_ = 0;  // items, members, or the bytes of a string
  uint32_t span_ = 1;  // this value and its nested values
  union {              // the one of the kind
    int64_t integer_;
    uint64_t unsigned_;
    double float_;
    const char* text_;
  };
};

class Document {
 public:
  Document() = default;
  Document(const Document&) = delete;
  Document& operator=(const Document&) = delete;
  Document(Document&&) = default;
  Document& operator=(Document&&) = default;

  const JsonValue& Root() const { return values_.front(); }

 private:
  friend class DocumentBuilder;

  std::vector<JsonValue, LargeAllocator<JsonValue>> values_;
  // The text parsed in place, when it was: its strings are views of it.
  LargeBuffer text_;
  // Strings copied from the events, in blocks that never move.
  std::vector<std::unique_ptr<char[]>> blocks_;
  size_t blockSize_ = 0;
  size_t blockUsed_ = 0;
};

// The keys of objects, each with the number of its object, in open addressing: a set of keys per
// object would cost a node per key, and the anims of a large scene are tens of thousands of keys of
// one object.
struct MemberKeyHash {
  size_t operator()(const std::pair<size_t, std::string_view>& key) const {
    return std::hash<std::string_view>()(key.second) ^ (key.first * 0x9E3779B97F4A7C15);
  }
};
using MemberKeys = tsl::robin_set<std::pair<size_t, std::string_view>, MemberKeyHash,
                                  std::equal_to<std::pair<size_t, std::string_view>>,
                                  std::allocator<std::pair<size_t, std::string_view>>, true>;

// Takes the members of one object of the document as each is complete, so that a large object is
// never held whole: a member taken is dropped from the document, where the object stays empty.
class MemberSink {
 public:
  // The value, with its nested values, lives until the call returns; its strings as long as the
  // document.
  virtual void Take(std::string_view key, const JsonValue& value) = 0;
  // A parse that gave up is started again from the beginning: forget every member taken.
  virtual void Restart() = 0;

 protected:
  ~MemberSink() = default;
};

// Builds a document from the parse events of one JSON text, in file order. A key an object repeats
// is refused, naming its path, once the whole text has parsed, so that a syntax error anywhere in
// the text is the one reported.
class DocumentBuilder {
 public:
  // The members of the object under this key of the root object go to the sink.
  void StreamMembers(std::string_view rootKey, MemberSink& sink) {
    streamedKey_ = rootKey;
    sink_ = &sink;
  }
  // The text, copied into the document and followed by padding zero bytes, for a parser that
  // decodes its strings in place and may read up to padding bytes past the end.
  char* ParseInPlace(std::string_view text, size_t padding);
  // A text that is already so, taken by the document as it is.
  char* ParseInPlace(LargeBuffer text);
  // A string that does not outlive the event that gives it, copied into the document.
  std::string_view Keep(std::string_view transient) {
    return transient.empty() ? transient : Copy(transient);
  }

  // The events. Their strings live as long as the document: views of the text parsed in place, or
  // kept.
  void Null() {
    Add(JsonKind::kNull);
    Complete();
  }
  void Boolean(bool value) {
    Add(JsonKind::kBool).boolean_ = value;
    Complete();
  }
  // An integer of either sign that fits 64 bits signed, or a larger non-negative one; the reader
  // treats both alike. A number with a fraction or exponent, or beyond 64 bits, is a Float.
  void Integer(int64_t value) {
    Add(JsonKind::kInteger).integer_ = value;
    Complete();
  }
  void Unsigned(uint64_t value) {
    Add(JsonKind::kUnsigned).unsigned_ = value;
    Complete();
  }
  void Float(double value) {
    Add(JsonKind::kFloat).float_ = value;
    Complete();
  }
  void String(std::string_view utf8) {
    JsonValue& value = Add(JsonKind::kString);
    value.text_ = utf8.data();
    value.size_ = static_cast<uint32_t>(utf8.size());
    Complete();
  }
  void BeginObject() { Begin(JsonKind::kObject); }
  // Most keys differ from every earlier key of their object in length, first or last byte, which a
  // bit per such mix tells without comparing them.
  void Key(std::string_view utf8) {
    Frame& frame = frames_.back();
    frame.key = utf8;
    if (!frame.streamed && document_.values_[frame.value].size_ < kKeysScanned) {
      const uint64_t bit = KeyBit(utf8);
      const bool maybeRepeated = (frame.keyBits & bit) != 0;
      frame.keyBits |= bit;
      if (!maybeRepeated) return;
    }
    CompareKey(frame, utf8);
  }
  void EndObject() { End(); }
  void BeginList() { Begin(JsonKind::kList); }
  void EndList() { End(); }

  // The document of a complete text; throws FormatError for a repeated key.
  Document Finish();

 private:
  struct Frame {
    size_t value = 0;   // the list or object being filled
    size_t object = 0;  // the object's number among the document's objects, from 1
    std::string_view key;
    bool streamed = false;  // its members go to the sink
    uint64_t keyBits = 0;   // the KeyBit of each key so far, while the keys are compared
  };

  // Up to this many members, an object's keys are compared one by one; from there on, hashed.
  static constexpr size_t kKeysScanned = 8;

  static uint64_t KeyBit(std::string_view key) {
    const size_t mix = key.empty() ? 0
                                   : key.size() + static_cast<unsigned char>(key.front()) * 3u +
                                         static_cast<unsigned char>(key.back()) * 5u;
    return uint64_t{1} << (mix & 63);
  }

  // A value where the parse position is: the root, the next item of a list or the value of the
  // current key.
  JsonValue& Add(JsonKind kind) {
    auto& values = document_.values_;
    JsonValue& value = values.emplace_back();
    value.kind_ = kind;
    if (!frames_.empty()) {
      // The key of a list's frame stays empty.
      const Frame& frame = frames_.back();
      ++values[frame.value].size_;
      value.key_ = frame.key.data();
      value.keySize_ = static_cast<uint32_t>(frame.key.size());
    }
    return value;
  }
  void Begin(JsonKind kind) {
    const bool streamed = sink_ && kind == JsonKind::kObject && frames_.size() == 1 &&
                          document_.values_.front().IsObject() &&
                          frames_.front().key == streamedKey_;
    Add(kind);
    const size_t object = kind == JsonKind::kObject ? ++objects_ : 0;
    frames_.push_back(Frame{document_.values_.size() - 1, object, {}, streamed});
  }
  void End() {
    auto& values = document_.values_;
    const size_t at = frames_.back().value;
    values[at].span_ = static_cast<uint32_t>(values.size() - at);
    frames_.pop_back();
    Complete();
  }
  // A value is complete: a member of a streamed object goes to the sink.
  void Complete() {
    if (!frames_.empty() && frames_.back().streamed) TakeMember();
  }
  void TakeMember();
  std::string_view Copy(std::string_view text);
  void CompareKey(const Frame& frame, std::string_view key);
  bool Repeats(const Frame& frame, std::string_view key);
  std::string Path() const;

  Document document_;
  std::vector<Frame> frames_;
  size_t objects_ = 0;
  // The keys of objects with many members, and of streamed ones: (the object's number, the key).
  MemberKeys manyKeys_;
  std::optional<FormatError> repeated_;
  std::string_view streamedKey_;
  MemberSink* sink_ = nullptr;
};

// The zero bytes the fast event source needs after a text it parses where it lies.
constexpr size_t kInPlacePadding = 32;

// The event sources. The fast one gives up (false) on anything but a plain valid text, leaving the
// builder to be thrown away; the complete one takes any text, a leading byte order mark allowed,
// and throws FormatError ("not valid JSON: ...") at the first syntax error. The fast one parses a
// copy of the text, or the text itself when it comes as size bytes followed by kInPlacePadding
// zero bytes; features are the text's own.
bool ParseJsonFast(std::string_view json, const TextFeatures& features, DocumentBuilder& builder);
bool ParseJsonFast(LargeBuffer text, size_t size, const TextFeatures& features,
                   DocumentBuilder& builder);
void ParseJson(std::string_view json, DocumentBuilder& builder);

// A number as messages show it, in the parser's own notation: "1.5", "100.0", "1e+39".
std::string NumberText(double value);

// A scene file's text in memory of its own: size bytes followed by kInPlacePadding zero bytes, so
// that it is parsed where it lies instead of copied. That destroys it, so a text the fast parser
// gives up on is read again.
struct WritableText {
  LargeBuffer bytes;
  size_t size = 0;
  std::function<std::string()> readAgain;
};

// The whole document of a scene file's text, with lone surrogates carried; throws FormatError.
// With a sink, the members of the root object's object under streamedKey go to it instead.
Document ReadDocument(std::string_view json, std::string_view streamedKey = {},
                      MemberSink* sink = nullptr);
Document ReadDocument(WritableText text, std::string_view streamedKey, MemberSink* sink);

}  // namespace larkspur::sim::scene_file
