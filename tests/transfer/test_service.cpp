#include "tests/transfer/test_service.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>

namespace larkspur {
namespace {

// The "name=port" lines of a ports file, as https://localhost:PORT (the echo port speaks TLS too)
// or http://localhost:PORT for the plain HTTP port.
std::map<std::string, Text> ReadUrls(const std::string& path) {
  std::map<std::string, Text> urls;
  std::istringstream lines(ReadBytes(path).value_or(""));
  for (std::string line; std::getline(lines, line);) {
    const size_t equals = line.find('=');
    if (equals == std::string::npos) continue;
    const std::string name = line.substr(0, equals);
    urls[name] =
        Widen((name == "http" ? "http" : "https") + ("://localhost:" + line.substr(equals + 1)));
  }
  return urls;
}

TestService Load() {
  TestService service;
  const char* folder = std::getenv("LARKSPUR_TEST_SERVICE");
  const char* ca = std::getenv("LARKSPUR_TEST_CA");
  if (!folder || !ca) {
    service.problem = "LARKSPUR_TEST_SERVICE and LARKSPUR_TEST_CA are not set: run through ctest";
    return service;
  }
  service.folder = folder;
  auto main = ReadUrls(service.folder + "/main.ports");
  service.httpsUrl = main["https"];
  service.httpUrl = main["http"];
  service.echoUrl = main["echo"];
  service.untrustedUrl = ReadUrls(service.folder + "/untrusted.ports")["https"];
  if (HttpTransportTakesCaFile()) service.options.caFile = FromUtf8(ca);
  service.ready = !service.httpsUrl.empty() && !service.httpUrl.empty() &&
                  !service.echoUrl.empty() && !service.untrustedUrl.empty();
  if (!service.ready)
    service.problem = "the stand-in service's ports are missing in " + service.folder;
  return service;
}

}  // namespace

std::string TestService::JobFile(const std::string& stem) const {
  return folder + "/main-data/" + stem + ".json";
}

// Test programs may run side by side: the test's own name keeps its files apart.
std::string TestService::ScratchPath(const std::string& name) const {
  const ::testing::TestInfo& test = *::testing::UnitTest::GetInstance()->current_test_info();
  return folder + "/" + test.test_suite_name() + "." + test.name() + "-" + name;
}

std::string TestService::Log() const {
  return ReadBytes(folder + "/main.log").value_or("");
}

const TestService& Service() {
  static const TestService service = Load();
  return service;
}

std::optional<std::string> ReadBytes(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file.is_open()) return std::nullopt;
  return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

bool WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  file.close();
  return !file.fail();
}

}  // namespace larkspur
