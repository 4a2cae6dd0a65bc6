#include "service/routes.h"

#include <arpa/inet.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <mutex>
#include <string_view>

#include <nlohmann/json.hpp>

#include "service/job_store.h"

namespace larkspur::service {
namespace {

constexpr size_t kHugeBodyBytes = size_t{1} << 30;
constexpr size_t kStreamChunkBytes = 64 * 1024;
constexpr size_t kCutDeclaredBytes = 1000;
constexpr size_t kMaxPackageBytes = size_t{256} << 20;
constexpr char kCutBody[] = "{\"balance\": 9, \"note\": \"the answer breaks off here";
constexpr char kHugePrefix[] = "{\"balance\": 5, \"padding\": \"";
constexpr char kBadUtf8Body[] = "{\"balance\": 11, \"note\": \"\xff\xfe\xc3(\"}";
constexpr char kJson[] = "application/json";

struct FaultName {
  const char* name;
  Fault fault;
};
constexpr FaultName kFaultNames[] = {
    {"slow", Fault::kSlow},        {"drop", Fault::kDrop}, {"cut", Fault::kCut},
    {"bad-utf8", Fault::kBadUtf8}, {"huge", Fault::kHuge}, {"error", Fault::kError},
};

using Answer = void (*)(const httplib::Request&, httplib::Response&, ServiceState&);

void Refuse(httplib::Response& res, int status, const std::string& error) {
  res.status = status;
  res.set_content("{\"error\": \"" + error + "\"}", kJson);
}

std::string RequestToken(const httplib::Request& req) {
  return BearerToken(req.get_header_value("Authorization"));
}

void AnswerBalance(const httplib::Request& req, httplib::Response& res, ServiceState& state) {
  const std::optional<Account> account = state.accounts.Find(RequestToken(req));
  if (!account) return Refuse(res, 401, "invalid token");
  res.set_content("{\"balance\": " + std::to_string(account->balance) + "}", kJson);
}

void AnswerJob(const httplib::Request& req, httplib::Response& res, ServiceState& state) {
  const std::string token = RequestToken(req);
  if (!state.accounts.Find(token)) return Refuse(res, 401, "invalid token");
  if (!req.has_header("X-Job-Name")) return Refuse(res, 400, "missing X-Job-Name");
  if (!nlohmann::json::accept(req.body)) return Refuse(res, 400, "the package is not JSON");

  const Charge charge = state.accounts.ChargeJob(token);
  if (charge.outcome == ChargeOutcome::kUnknownToken) return Refuse(res, 401, "invalid token");
  if (charge.outcome == ChargeOutcome::kInsufficientBalance) {
    res.status = 402;
    res.set_content("{\"error\": \"insufficient balance\", \"balance\": " +
                        std::to_string(charge.account.balance) +
                        ", \"cost\": " + std::to_string(charge.account.jobCost) + "}",
                    kJson);
    return;
  }
  const std::string name = SafeJobName(PercentDecode(req.get_header_value("X-Job-Name")));
  const std::optional<std::string> stored = StoreJob(state.dataFolder, name, req.body);
  if (!stored) {
    state.accounts.Refund(token);
    return Refuse(res, 500, "the job could not be stored");
  }
  res.status = 201;
  res.set_content(
      "{\"job\": \"" + *stored + "\", \"balance\": " + std::to_string(charge.account.balance) + "}",
      kJson);
}

// A handler has no hold on its connection, so the socket is found by the client's address and
// port, which are unique on the loopback interface, and shut down before any answer is written.
void DropConnection(const httplib::Request& req) {
  for (int fd = 0; fd < 4096; ++fd) {
    sockaddr_in peer{};
    socklen_t size = sizeof(peer);
    if (getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &size) != 0) continue;
    if (peer.sin_family != AF_INET || ntohs(peer.sin_port) != req.remote_port) continue;
    char address[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &peer.sin_addr, address, sizeof(address));
    if (req.remote_addr == address) shutdown(fd, SHUT_RDWR);
  }
}

bool WriteHugeChunk(size_t offset, size_t length, httplib::DataSink& sink) {
  static const std::string prefix = kHugePrefix;
  std::string chunk;
  if (offset < prefix.size()) chunk = prefix.substr(offset);
  chunk.resize(std::min(length, kStreamChunkBytes), 'x');
  return sink.write(chunk.data(), chunk.size());
}

void AnswerWithFault(Fault fault, Answer answer, const httplib::Request& req,
                     httplib::Response& res, ServiceState& state) {
  switch (fault) {
    case Fault::kNone:
      return answer(req, res, state);
    case Fault::kSlow:
      if (state.WaitSlowDelay()) return answer(req, res, state);
      return Refuse(res, 503, "the service is stopping");
    case Fault::kDrop:
      DropConnection(req);
      res.status = 444;
      return;
    case Fault::kCut:
      res.set_content_provider(kCutDeclaredBytes, kJson,
                               [](size_t, size_t, httplib::DataSink& sink) {
                                 sink.write(kCutBody, sizeof(kCutBody) - 1);
                                 return false;
                               });
      return;
    case Fault::kBadUtf8:
      return res.set_content(kBadUtf8Body, kJson);
    case Fault::kHuge:
      return res.set_content_provider(kHugeBodyBytes, kJson, WriteHugeChunk);
    case Fault::kError:
      return Refuse(res, 500, "internal error");
  }
}

// A fault named "submit-NAME" leaves the balance check whole and gives the submission NAME, so
// that a test can reach the submission through the balance check of the same base URL.
httplib::Server::Handler WithFaults(ServiceState& state, Answer answer, bool submission) {
  return [&state, answer, submission](const httplib::Request& req, httplib::Response& res) {
    std::string name = req.matches.size() > 1 ? req.matches[1].str() : std::string();
    constexpr std::string_view kSubmitOnly = "submit-";
    if (name.compare(0, kSubmitOnly.size(), kSubmitOnly) == 0) {
      name = submission ? name.substr(kSubmitOnly.size()) : "none";
    }
    const std::optional<Fault> fault = name.empty() ? state.defaultFault : FaultFromName(name);
    if (!fault) return Refuse(res, 400, "unknown fault");
    AnswerWithFault(*fault, answer, req, res, state);
  };
}

}  // namespace

std::optional<Fault> FaultFromName(const std::string& name) {
  if (name.empty() || name == "none") return Fault::kNone;
  for (const FaultName& entry : kFaultNames) {
    if (name == entry.name) return entry.fault;
  }
  return std::nullopt;
}

void ServiceState::Stop() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  stopped_.notify_all();
}

bool ServiceState::WaitSlowDelay() {
  std::unique_lock<std::mutex> lock(mutex_);
  return !stopped_.wait_for(lock, slowDelay, [this] { return stopping_; });
}

void AddRoutes(httplib::Server& server, ServiceState& state) {
  server.set_payload_max_length(kMaxPackageBytes);
  server.Get(R"((?:/fault/([^/]+))?/api/balance)", WithFaults(state, AnswerBalance, false));
  server.Post(R"((?:/fault/([^/]+))?/node/api/v1/jobs)", WithFaults(state, AnswerJob, true));
  server.set_logger([](const httplib::Request& req, const httplib::Response& res) {
    const std::string request =
        req.method.empty() ? "(unreadable request)" : req.method + " " + req.path;
    LogLine(request + " " + std::to_string(res.status) + " in=" + std::to_string(req.body.size()) +
            " out=" + std::to_string(res.body.size()));
  });
}

void LogLine(const std::string& line) {
  // Paths come from clients; a control character must not break the log into lines.
  std::string printable = line;
  for (char& c : printable) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
  }
  static std::mutex mutex;
  std::lock_guard<std::mutex> lock(mutex);
  std::fputs((printable + "\n").c_str(), stdout);
  std::fflush(stdout);
}

}  // namespace larkspur::service
