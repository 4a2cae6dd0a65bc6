// The complete event source of scene documents: nlohmann-json's SAX parser, for the texts the fast
// source gives up on. Its messages are the ones a syntax error gets.
#include <nlohmann/json.hpp>

#include "host/sim/scene_document.h"

namespace larkspur::sim::scene_file {
namespace {

using Json = nlohmann::json;

// nlohmann's messages begin with "[json.exception.parse_error.101] ": the reader wants the rest.
std::string ParseErrorText(const std::string& what) {
  const size_t end = what.find("] ");
  const bool prefixed = what.rfind("[json.exception", 0) == 0 && end != std::string::npos;
  return prefixed ? what.substr(end + 2) : what;
}

// Hands each event on. (nlohmann's own document builder searches the enclosing list or object
// after each object it ends, which makes a long list of objects cost its length squared.)
class EventSource final : public nlohmann::json_sax<Json> {
 public:
  explicit EventSource(DocumentBuilder& builder) : builder_(builder) {}

  bool null() override {
    builder_.Null();
    return true;
  }
  bool boolean(bool value) override {
    builder_.Boolean(value);
    return true;
  }
  bool number_integer(number_integer_t value) override {
    builder_.Integer(value);
    return true;
  }
  bool number_unsigned(number_unsigned_t value) override {
    builder_.Unsigned(value);
    return true;
  }
  bool number_float(number_float_t value, const string_t&) override {
    builder_.Float(value);
    return true;
  }
  bool string(string_t& value) override {
    builder_.String(builder_.Keep(value));
    return true;
  }
  bool binary(binary_t&) override { return false; }  // JSON text has no binary values
  bool start_object(std::size_t) override {
    builder_.BeginObject();
    return true;
  }
  bool key(string_t& key) override {
    builder_.Key(builder_.Keep(key));
    return true;
  }
  bool end_object() override {
    builder_.EndObject();
    return true;
  }
  bool start_array(std::size_t) override {
    builder_.BeginList();
    return true;
  }
  bool end_array() override {
    builder_.EndList();
    return true;
  }
  bool parse_error(std::size_t, const std::string&,
                   const nlohmann::detail::exception& error) override {
    Fail("", "not valid JSON: " + ParseErrorText(error.what()));
  }

 private:
  DocumentBuilder& builder_;
};

}  // namespace

void ParseJson(std::string_view json, DocumentBuilder& builder) {
  EventSource source(builder);
  if (!Json::sax_parse(json.begin(), json.end(), &source)) Fail("", "not valid JSON");
}

std::string NumberText(double value) {
  return Json(value).dump();
}

}  // namespace larkspur::sim::scene_file
