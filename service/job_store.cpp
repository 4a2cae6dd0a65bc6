#include "service/job_store.h"

#include <cerrno>
#include <cstdio>

namespace larkspur::service {
namespace {

constexpr size_t kMaxNameBytes = 100;
constexpr int kMaxSuffix = 1000;

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool IsKept(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '_' || c == '.';
}

}  // namespace

std::string PercentDecode(std::string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 &&
        HexValue(text[i + 2]) >= 0) {
      out += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

std::string SafeJobName(std::string_view name) {
  std::string out;
  for (const char c : name) {
    if (out.empty() && c == '.') continue;
    out += IsKept(c) ? c : '_';
    if (out.size() == kMaxNameBytes) break;
  }
  return out.empty() ? "job" : out;
}

std::optional<std::string> StoreJob(const std::string& folder, const std::string& name,
                                    const std::string& body) {
  for (int suffix = 1; suffix <= kMaxSuffix; ++suffix) {
    const std::string stem = suffix == 1 ? name : name + "-" + std::to_string(suffix);
    const std::string path = folder + "/" + stem + ".json";
    // "x": create the file or fail when it exists, so that no job replaces another.
    std::FILE* file = std::fopen(path.c_str(), "wbx");
    if (!file) {
      if (errno == EEXIST) continue;
      return std::nullopt;
    }
    const bool written = std::fwrite(body.data(), 1, body.size(), file) == body.size();
    if (std::fclose(file) != 0 || !written) {
      std::remove(path.c_str());
      return std::nullopt;
    }
    return stem;
  }
  return std::nullopt;
}

}  // namespace larkspur::service
