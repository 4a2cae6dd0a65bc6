// The service's two operations, the faults a test can switch on, and the request log.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>

#include <httplib.h>

#include "service/accounts.h"

namespace larkspur::service {

// What goes wrong with an answer. A request chooses its fault with a path prefix,
// "/fault/NAME/api/balance"; requests without one get the service's default fault. Under
// "/fault/submit-NAME" only the submission has the fault.
enum class Fault {
  kNone,
  kSlow,     // "slow": the real answer, after a delay longer than the client waits
  kDrop,     // "drop": the connection is closed without an answer
  kCut,      // "cut": status and headers, then the body breaks off
  kBadUtf8,  // "bad-utf8": a body that is not valid UTF-8
  kHuge,     // "huge": a body far larger than any client keeps
  kError,    // "error": status 500
};

std::optional<Fault> FaultFromName(const std::string& name);

class ServiceState {
 public:
  Accounts accounts;
  std::string dataFolder;
  std::chrono::milliseconds slowDelay{5000};
  Fault defaultFault = Fault::kNone;

  // Ends the delays of slow answers, so that the service stops at once.
  void Stop();
  // Waits for the slow answer's delay; false when the service stops meanwhile.
  bool WaitSlowDelay();

 private:
  std::mutex mutex_;
  std::condition_variable stopped_;
  bool stopping_ = false;
};

// GET /api/balance and POST /node/api/v1/jobs, each also under /fault/NAME, and the log line of
// every request: method, path, status, sizes, never a header.
void AddRoutes(httplib::Server& server, ServiceState& state);

// Prints one line to standard output at once, control characters as "?"; safe from any thread.
void LogLine(const std::string& line);

}  // namespace larkspur::service
