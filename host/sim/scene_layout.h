// The layout of written scene files: a JSON value whose numbers and strings are already text, put
// on one line when it fits in 100 columns and otherwise one item or member per line, indented two
// spaces per level.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "host/types.h"

namespace larkspur::sim::scene_file {

struct Out {
  enum class Kind { kScalar, kList, kObject };
  Kind kind = Kind::kScalar;
  std::string scalar;
  std::vector<Out> items;
  std::vector<std::pair<std::string, Out>> members;  // keys already quoted

  static Out Scalar(std::string text) { return Out{Kind::kScalar, std::move(text), {}, {}}; }
  static Out List() { return Out{Kind::kList, {}, {}, {}}; }
  static Out Object() { return Out{Kind::kObject, {}, {}, {}}; }

  Out& Add(std::string_view key, Out value);
  Out& Add(const host::Text& key, Out value);
  Out& Push(Out value);
  bool Empty() const { return items.empty() && members.empty(); }
};

Out String(std::string_view utf8);
Out String(const host::Text& text);
Out Null();
Out Bool(bool value);

template <typename Integer>
Out Int(Integer value) {
  return Out::Scalar(std::to_string(value));
}

// The shortest text that reads back as the same number, always with a decimal point or an
// exponent so that it reads as a float. An infinite float is written as a number that rounds to
// it again; NaN has no JSON form.
Out Number(float value);
Out Number(double value);
Out Floats(std::initializer_list<float> values);

// The document's text, ending in a line feed.
std::string Render(const Out& document);

}  // namespace larkspur::sim::scene_file
