// A TLS port that answers every request with the request itself, byte for byte as it arrived, so
// that a test sees the request line, the headers in their order and the body as the client sent
// them. (The HTTP library of the service hands its handlers the headers sorted by name.)
#pragma once

#include <openssl/ssl.h>

#include <atomic>
#include <string>
#include <thread>

namespace larkspur::service {

class EchoListener {
 public:
  EchoListener() = default;
  EchoListener(const EchoListener&) = delete;
  EchoListener& operator=(const EchoListener&) = delete;
  ~EchoListener();

  // Listens on 127.0.0.1:port (0: any free port) with the certificate and key of the files.
  bool Start(const std::string& certFile, const std::string& keyFile, int port, std::string& error);
  int port() const { return port_; }
  void Stop();

 private:
  void Run();
  void Serve(int client);

  SSL_CTX* context_ = nullptr;
  int socket_ = -1;
  int port_ = 0;
  std::atomic<bool> stopping_{false};
  std::thread thread_;
};

}  // namespace larkspur::service
