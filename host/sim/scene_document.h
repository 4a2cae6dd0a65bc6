// The parsed scene document: every JSON value of the file in file order, each object's members in
// the order the file gives them (the scene follows it: anims are made in it). A DocumentBuilder
// makes it from parse events, so that the one piece that turns JSON text into events (ParseJson)
// can be replaced, and the scene reader sees only the types of this header.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace larkspur::sim::scene_file {

// The first break of the format: the key path ("nodes[0].name", empty for the whole document) and
// what is wrong. Thrown inside the reader only and turned into the load's message.
struct FormatError {
  std::string path;
  std::string what;
};

[[noreturn]] void Fail(const std::string& path, std::string what);

// Key paths: object keys joined with ".", list positions as "[n]".
std::string Key(const std::string& path, std::string_view key);
std::string Index(const std::string& path, size_t index);

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
// nested values. Values live in their document and are never copied out of it.
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

  JsonValue() = default;
  JsonValue(const JsonValue&) = delete;
  JsonValue& operator=(const JsonValue&) = delete;
  JsonValue(JsonValue&&) = default;
  JsonValue& operator=(JsonValue&&) = default;

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
  std::string_view String() const { return text_; }
  int64_t Integer() const { return IsUnsigned() ? static_cast<int64_t>(unsigned_) : integer_; }
  uint64_t Unsigned() const { return unsigned_; }  // of an unsigned number only
  // Any number as a double.
  double Number() const;

  // The items of a list or the members of an object, in file order.
  size_t Size() const { return size_; }
  Iterator begin() const { return Iterator(this + 1); }
  Iterator end() const { return Iterator(this + span_); }
  // The item at index, found by walking the items before it: for short lists.
  const JsonValue& Item(size_t index) const;
  // The member's value of that key, or null.
  const JsonValue* Member(std::string_view key) const;
  // The key of an object's member.
  std::string_view MemberKey() const { return key_; }

 private:
  friend class DocumentBuilder;

  JsonKind kind_ = JsonKind::kNull;
  bool boolean_ = false;
  union {  // the one of the kind
    int64_t integer_ = 0;
    uint64_t unsigned_;
    double float_;
  };
  std::string_view text_;
  std::string_view key_;
  size_t size_ = 0;
  size_t span_ = 1;  // this value and its nested values
};

class Document {
 public:
  const JsonValue& Root() const { return values_.front(); }

 private:
  friend class DocumentBuilder;

  std::vector<JsonValue> values_;
  // The strings the values view, in blocks that never move.
  std::vector<std::unique_ptr<char[]>> blocks_;
  size_t blockSize_ = 0;
  size_t blockUsed_ = 0;
};

// Builds a document from the parse events of one JSON text, in file order. A key an object repeats
// is refused, naming its path, once the whole text has parsed, so that a syntax error anywhere in
// the text is the one reported.
class DocumentBuilder {
 public:
  void Null();
  void Boolean(bool value);
  // An integer of either sign that fits 64 bits signed, or a larger non-negative one; the reader
  // treats both alike. A number with a fraction or exponent, or beyond 64 bits, is a Float.
  void Integer(int64_t value);
  void Unsigned(uint64_t value);
  void Float(double value);
  void String(std::string_view utf8);
  void BeginObject();
  void Key(std::string_view utf8);
  void EndObject();
  void BeginList();
  void EndList();

  // The document of a complete text; throws FormatError for a repeated key.
  Document Finish();

 private:
  struct Frame {
    size_t value = 0;  // the list or object being filled
    size_t index = 0;  // lists: the items so far
    std::string_view key;
    std::unordered_set<std::string_view> keys;  // objects with many members: the keys so far
  };

  JsonValue& Add(JsonKind kind);
  void Begin(JsonKind kind);
  void End();
  bool Repeats(Frame& frame, std::string_view key);
  std::string Path() const;
  std::string_view Store(std::string_view text);

  Document document_;
  std::vector<Frame> frames_;
  std::optional<FormatError> repeated_;
};

// The event source: parses JSON text, a leading byte order mark allowed, and gives its events to
// the builder; throws FormatError ("not valid JSON: ...") at the first syntax error.
void ParseJson(std::string_view json, DocumentBuilder& builder);

// A number as messages show it, in the parser's own notation: "1.5", "100.0", "1e+39".
std::string NumberText(double value);

// The whole document of a scene file's text, with lone surrogates carried; throws FormatError.
Document ReadDocument(std::string_view json);

}  // namespace larkspur::sim::scene_file
