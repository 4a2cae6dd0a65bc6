// larkspur-service: a local stand-in of the web service for demos and tests. It serves the two
// operations over HTTPS on 127.0.0.1, optionally over plain HTTP and a TLS echo port beside it,
// and stops by itself when its lifetime ends, on SIGTERM or on SIGINT.
#include <signal.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <httplib.h>

#include "service/echo_listener.h"
#include "service/routes.h"

namespace larkspur::service {
namespace {

constexpr char kUsage[] =
    "usage: larkspur-service --cert FILE --key FILE --tokens FILE --data DIR [options]\n"
    "\n"
    "  --cert FILE, --key FILE  PEM certificate (with its chain) and key of the TLS ports\n"
    "  --tokens FILE            accounts, one line each: TOKEN BALANCE JOB_COST\n"
    "  --data DIR               folder for the accepted jobs, created when missing\n"
    "  --https-port N           HTTPS port (default 0: any free port)\n"
    "  --http-port N            also serve plain HTTP on this port (0: any free port)\n"
    "  --echo-port N            TLS port that answers each request with the request itself\n"
    "  --ports-file FILE        write the bound ports there, one \"name=port\" line each\n"
    "  --lifetime SECONDS       stop after this long (default 600)\n"
    "  --slow-ms N              delay of the \"slow\" fault (default 5000)\n"
    "  --fault NAME             fault of every request without a /fault/NAME path prefix:\n"
    "                           none, slow, drop, cut, bad-utf8, huge, error (default none)\n";

struct Options {
  std::string certFile;
  std::string keyFile;
  std::string tokensFile;
  std::string dataFolder;
  int httpsPort = 0;
  std::optional<int> httpPort;
  std::optional<int> echoPort;
  std::string portsFile;
  int lifetimeSeconds = 600;
  int slowMs = 5000;
  std::string fault = "none";
};

std::optional<int> ParseNumber(const std::string& text, int maximum) {
  if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos)
    return std::nullopt;
  const int value = std::stoi(text);
  if (value > maximum) return std::nullopt;
  return value;
}

// False with a message for an unknown option, a missing value or a missing required option.
bool ParseOptions(const std::vector<std::string>& args, Options& options, std::string& error) {
  const std::map<std::string, std::string*> texts = {
      {"--cert", &options.certFile},        {"--key", &options.keyFile},
      {"--tokens", &options.tokensFile},    {"--data", &options.dataFolder},
      {"--ports-file", &options.portsFile}, {"--fault", &options.fault},
  };
  for (size_t i = 0; i < args.size(); i += 2) {
    const std::string& name = args[i];
    if (i + 1 >= args.size()) {
      error = name + " needs a value";
      return false;
    }
    const std::string& value = args[i + 1];
    std::optional<int> number;
    if (const auto text = texts.find(name); text != texts.end()) {
      *text->second = value;
      continue;
    } else if (name == "--https-port" && (number = ParseNumber(value, 65535))) {
      options.httpsPort = *number;
    } else if (name == "--http-port" && (number = ParseNumber(value, 65535))) {
      options.httpPort = number;
    } else if (name == "--echo-port" && (number = ParseNumber(value, 65535))) {
      options.echoPort = number;
    } else if (name == "--lifetime" && (number = ParseNumber(value, 86400))) {
      options.lifetimeSeconds = *number;
    } else if (name == "--slow-ms" && (number = ParseNumber(value, 600000))) {
      options.slowMs = *number;
    } else {
      error = "unknown option or bad value: " + name + " " + value;
      return false;
    }
  }
  if (options.certFile.empty() || options.keyFile.empty() || options.tokensFile.empty() ||
      options.dataFolder.empty()) {
    error = "--cert, --key, --tokens and --data are required";
    return false;
  }
  return true;
}

int Bind(httplib::Server& server, int port) {
  if (port == 0) return server.bind_to_any_port("127.0.0.1");
  return server.bind_to_port("127.0.0.1", port) ? port : -1;
}

// Written under a temporary name and renamed, so that a reader never sees half of it.
bool WritePortsFile(const std::string& path, const std::string& text) {
  const std::string temporary = path + ".tmp";
  {
    std::ofstream file(temporary, std::ios::trunc);
    file << text;
    if (!file.good()) return false;
  }
  std::error_code error;
  std::filesystem::rename(temporary, path, error);
  return !error;
}

int Fail(const std::string& message) {
  std::fprintf(stderr, "larkspur-service: %s\n", message.c_str());
  return 2;
}

int Run(const std::vector<std::string>& args) {
  if (!args.empty() && (args[0] == "--help" || args[0] == "-h")) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  Options options;
  std::string error;
  if (!ParseOptions(args, options, error)) return Fail(error + "\n\n" + kUsage);

  ServiceState state;
  state.dataFolder = options.dataFolder;
  state.slowDelay = std::chrono::milliseconds(options.slowMs);
  const std::optional<Fault> fault = FaultFromName(options.fault);
  if (!fault) return Fail("unknown fault " + options.fault);
  state.defaultFault = *fault;
  if (!state.accounts.Load(options.tokensFile, error)) return Fail(error);
  std::error_code made;
  std::filesystem::create_directories(options.dataFolder, made);
  if (made) return Fail("cannot create the data folder " + options.dataFolder);

  // SIGTERM and SIGINT are taken by the main thread alone; every thread started below inherits
  // the mask. A peer that goes away must not kill the process while it is written to.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGTERM);
  sigaddset(&stopSignals, SIGINT);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
  signal(SIGPIPE, SIG_IGN);

  std::vector<std::unique_ptr<httplib::Server>> servers;
  std::string ports;
  servers.push_back(
      std::make_unique<httplib::SSLServer>(options.certFile.c_str(), options.keyFile.c_str()));
  if (!servers.back()->is_valid()) {
    return Fail("cannot use the certificate " + options.certFile + " and key " + options.keyFile);
  }
  const int httpsPort = Bind(*servers.back(), options.httpsPort);
  if (httpsPort < 0) return Fail("cannot listen on the HTTPS port");
  ports += "https=" + std::to_string(httpsPort) + "\n";
  if (options.httpPort) {
    servers.push_back(std::make_unique<httplib::Server>());
    const int httpPort = Bind(*servers.back(), *options.httpPort);
    if (httpPort < 0) return Fail("cannot listen on the HTTP port");
    ports += "http=" + std::to_string(httpPort) + "\n";
  }
  EchoListener echo;
  if (options.echoPort) {
    if (!echo.Start(options.certFile, options.keyFile, *options.echoPort, error)) {
      return Fail(error);
    }
    ports += "echo=" + std::to_string(echo.port()) + "\n";
  }

  std::vector<std::thread> threads;
  for (const auto& server : servers) {
    AddRoutes(*server, state);
    threads.emplace_back([&server] { server->listen_after_bind(); });
  }
  // A server stopped before its loop runs would never stop: the ports file, which tells the world
  // that the service is up, is written only once every loop runs.
  for (const auto& server : servers) {
    for (int waited = 0; waited < 5000 && !server->is_running(); ++waited) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }
  if (!options.portsFile.empty() && !WritePortsFile(options.portsFile, ports)) {
    error = "cannot write the ports file " + options.portsFile;
  }
  std::string listening = ports;
  std::replace(listening.begin(), listening.end(), '\n', ' ');
  LogLine("listening on 127.0.0.1: " + listening + "(lifetime " +
          std::to_string(options.lifetimeSeconds) + " s)");

  if (error.empty()) {
    const timespec lifetime{options.lifetimeSeconds, 0};
    while (sigtimedwait(&stopSignals, nullptr, &lifetime) < 0 && errno == EINTR) {
    }
  }
  state.Stop();
  for (const auto& server : servers) server->stop();
  for (std::thread& thread : threads) thread.join();
  echo.Stop();
  LogLine("stopped");
  return error.empty() ? 0 : Fail(error);
}

}  // namespace
}  // namespace larkspur::service

int main(int argc, char** argv) {
  return larkspur::service::Run(std::vector<std::string>(argv + 1, argv + argc));
}
