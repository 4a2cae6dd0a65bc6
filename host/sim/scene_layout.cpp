#include "host/sim/scene_layout.h"

#include <charconv>
#include <cmath>

#include "host/sim/scene_text.h"

namespace larkspur::sim::scene_file {
namespace {

constexpr size_t kLineWidth = 100;

template <typename Real>
Out ShortestNumber(Real value) {
  if (std::isinf(value)) return Out::Scalar(value > 0 ? "1e39" : "-1e39");
  if (!std::isfinite(value)) return Null();
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  std::string text(buffer, result.ptr);
  if (text.find_first_of(".e") == std::string::npos) text += ".0";
  return Out::Scalar(text);
}

// Appends the one-line form of value to out, giving up (false) as soon as out grows longer than
// limit, so that trying a line costs no more than the line.
bool RenderInline(const Out& value, std::string& out, size_t limit) {
  switch (value.kind) {
    case Out::Kind::kScalar:
      out += value.scalar;
      break;
    case Out::Kind::kList:
      out += '[';
      for (size_t i = 0; i < value.items.size(); ++i) {
        if (i > 0) out += ", ";
        if (!RenderInline(value.items[i], out, limit)) return false;
      }
      out += ']';
      break;
    case Out::Kind::kObject:
      out += '{';
      for (size_t i = 0; i < value.members.size(); ++i) {
        if (i > 0) out += ", ";
        out += value.members[i].first + ": ";
        if (!RenderInline(value.members[i].second, out, limit)) return false;
      }
      out += '}';
      break;
  }
  return out.size() <= limit;
}

// A value goes on one line when it fits there (column: where it starts); otherwise each item or
// member goes on a line of its own, indented two spaces deeper.
void Render(const Out& value, size_t indent, size_t column, std::string& out) {
  if (value.kind == Out::Kind::kScalar || value.Empty()) {
    RenderInline(value, out, std::string::npos);
    return;
  }
  std::string line;
  if (RenderInline(value, line, column < kLineWidth ? kLineWidth - column : 0)) {
    out += line;
    return;
  }
  const std::string inner(indent + 2, ' ');
  const bool list = value.kind == Out::Kind::kList;
  out += list ? "[\n" : "{\n";
  const size_t count = list ? value.items.size() : value.members.size();
  for (size_t i = 0; i < count; ++i) {
    out += inner;
    if (list) {
      Render(value.items[i], indent + 2, inner.size(), out);
    } else {
      const std::string key = value.members[i].first + ": ";
      out += key;
      Render(value.members[i].second, indent + 2, inner.size() + key.size(), out);
    }
    out += i + 1 < count ? ",\n" : "\n";
  }
  out += std::string(indent, ' ') + (list ? "]" : "}");
}

}  // namespace

Out& Out::Add(std::string_view key, Out value) {
  members.emplace_back(QuoteJson(key), std::move(value));
  return *this;
}

Out& Out::Add(const host::Text& key, Out value) {
  members.emplace_back(QuoteText(key), std::move(value));
  return *this;
}

Out& Out::Push(Out value) {
  items.push_back(std::move(value));
  return *this;
}

Out String(std::string_view utf8) {
  return Out::Scalar(QuoteJson(utf8));
}

Out String(const host::Text& text) {
  return Out::Scalar(QuoteText(text));
}

Out Null() {
  return Out::Scalar("null");
}

Out Bool(bool value) {
  return Out::Scalar(value ? "true" : "false");
}

Out Number(float value) {
  return ShortestNumber(value);
}

Out Number(double value) {
  return ShortestNumber(value);
}

Out Floats(std::initializer_list<float> values) {
  Out list = Out::List();
  for (float value : values) list.Push(Number(value));
  return list;
}

std::string Render(const Out& document) {
  std::string text;
  Render(document, 0, 0, text);
  return text + "\n";
}

}  // namespace larkspur::sim::scene_file
