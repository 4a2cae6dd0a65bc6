#include "tests/transfer/test_service.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <sstream>

namespace larkspur {
namespace {

// "name=port" lines of a ports file.
std::map<std::string, std::string> ReadPorts(const std::string& path) {
  std::map<std::string, std::string> ports;
  std::istringstream lines(ReadBytes(path).value_or(""));
  std::string line;
  while (std::getline(lines, line)) {
    const size_t equals = line.find('=');
    if (equals != std::string::npos) ports[line.substr(0, equals)] = line.substr(equals + 1);
  }
  return ports;
}

Text LocalUrl(const char* scheme, const std::string& port) {
  return Widen(std::string(scheme) + "://localhost:" + port);
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
  auto main = ReadPorts(service.folder + "/main.ports");
  auto untrusted = ReadPorts(service.folder + "/untrusted.ports");
  if (main["https"].empty() || main["http"].empty() || main["echo"].empty() ||
      untrusted["https"].empty()) {
    service.problem = "the stand-in service's ports are missing in " + service.folder;
    return service;
  }
  service.httpsUrl = LocalUrl("https", main["https"]);
  service.httpUrl = LocalUrl("http", main["http"]);
  service.echoUrl = LocalUrl("https", main["echo"]);
  service.untrustedUrl = LocalUrl("https", untrusted["https"]);
  if (HttpTransportTakesCaFile()) service.options.caFile = FromUtf8(ca);
  service.ready = true;
  return service;
}

}  // namespace

std::string TestService::JobFile(const std::string& stem) const {
  return folder + "/main-data/" + stem + ".json";
}

std::string TestService::ScratchPath(const std::string& name) const {
  // Test programs may run side by side: each takes a folder of its own.
  static const std::string scratch = [this] {
    const std::string made = folder + "/scratch-" + std::to_string(std::random_device{}());
    std::filesystem::create_directories(made);
    return made;
  }();
  static int counter = 0;
  return scratch + "/" + std::to_string(++counter) + "-" + name;
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
