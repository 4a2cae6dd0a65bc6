// Where the tests find the stand-in service that the ctest fixture started (service_fixture.sh):
// its state folder comes in LARKSPUR_TEST_SERVICE and the test authority in LARKSPUR_TEST_CA.
#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "transfer/http_client.h"

namespace larkspur {

struct TestService {
  bool ready = false;
  std::string problem;  // why it is not ready
  std::string folder;   // the fixture's state folder
  Text httpsUrl;        // the real operations over TLS: https://localhost:PORT
  Text httpUrl;         // the same over plain HTTP
  Text echoUrl;         // answers each request with the request as it arrived
  Text untrustedUrl;    // the real operations behind a certificate no one trusts
  HttpOptions options;  // production time-outs; the test authority where the transport takes it

  // The base URL under which every answer has the fault NAME.
  Text FaultUrl(const char16_t* name) const { return httpsUrl + u"/fault/" + name; }
  // Where the service keeps the job stored under stem.
  std::string JobFile(const std::string& stem) const;
  std::string Log() const;
  // A fresh path for a file of the test's own, inside the fixture's state folder.
  std::string ScratchPath(const std::string& name) const;
};

const TestService& Service();

// Tests that talk to the service derive from this: without the fixture they fail at once.
class ServiceTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(Service().ready) << Service().problem; }
  const TestService& service() const { return Service(); }
};

// The whole file, or nothing when it cannot be read.
std::optional<std::string> ReadBytes(const std::string& path);
bool WriteBytes(const std::string& path, const std::string& bytes);

}  // namespace larkspur
