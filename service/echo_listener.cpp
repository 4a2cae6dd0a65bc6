#include "service/echo_listener.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "service/routes.h"

namespace larkspur::service {
namespace {

constexpr size_t kMaxRequestBytes = size_t{16} << 20;
constexpr int kPollMs = 200;
constexpr time_t kIoTimeoutSeconds = 5;

std::string Lowered(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// The value of the Content-Length header of a request head; 0 when it has none.
size_t ContentLength(const std::string& head) {
  const std::string lowered = Lowered(head);
  const size_t at = lowered.find("\r\ncontent-length:");
  if (at == std::string::npos) return 0;
  return static_cast<size_t>(std::strtoull(head.c_str() + at + 17, nullptr, 10));
}

// Reads one request: its head up to the blank line, then as many body bytes as it declares.
std::string ReadRequest(SSL* ssl) {
  std::string request;
  size_t expected = 0;
  size_t headEnd = std::string::npos;
  char buffer[16384];
  while (request.size() < kMaxRequestBytes) {
    if (headEnd != std::string::npos && request.size() >= expected) break;
    const int read = SSL_read(ssl, buffer, sizeof(buffer));
    if (read <= 0) break;
    request.append(buffer, static_cast<size_t>(read));
    if (headEnd == std::string::npos) {
      headEnd = request.find("\r\n\r\n");
      if (headEnd != std::string::npos) {
        expected = headEnd + 4 + ContentLength(request.substr(0, headEnd + 2));
      }
    }
  }
  return request;
}

bool WriteAll(SSL* ssl, const std::string& bytes) {
  size_t sent = 0;
  while (sent < bytes.size()) {
    const int wrote = SSL_write(ssl, bytes.data() + sent,
                                static_cast<int>(std::min<size_t>(bytes.size() - sent, 1 << 20)));
    if (wrote <= 0) return false;
    sent += static_cast<size_t>(wrote);
  }
  return true;
}

}  // namespace

EchoListener::~EchoListener() {
  Stop();
  if (context_) SSL_CTX_free(context_);
}

bool EchoListener::Start(const std::string& certFile, const std::string& keyFile, int port,
                         std::string& error) {
  context_ = SSL_CTX_new(TLS_server_method());
  if (!context_ || SSL_CTX_use_certificate_chain_file(context_, certFile.c_str()) != 1 ||
      SSL_CTX_use_PrivateKey_file(context_, keyFile.c_str(), SSL_FILETYPE_PEM) != 1) {
    error = "the echo port cannot use the certificate " + certFile + " and key " + keyFile;
    return false;
  }
  socket_ = ::socket(AF_INET, SOCK_STREAM, 0);
  const int reuse = 1;
  setsockopt(socket_, SOL_SOCKET, SO_REUSEADDR, &reuse, sizeof(reuse));
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t size = sizeof(address);
  if (socket_ < 0 || ::bind(socket_, reinterpret_cast<sockaddr*>(&address), size) != 0 ||
      ::listen(socket_, 16) != 0 ||
      getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
    error = "the echo port cannot listen on 127.0.0.1:" + std::to_string(port);
    return false;
  }
  port_ = ntohs(address.sin_port);
  thread_ = std::thread([this] { Run(); });
  return true;
}

void EchoListener::Stop() {
  stopping_ = true;
  if (thread_.joinable()) thread_.join();
  if (socket_ >= 0) ::close(socket_);
  socket_ = -1;
}

void EchoListener::Run() {
  while (!stopping_) {
    pollfd waiting{socket_, POLLIN, 0};
    if (::poll(&waiting, 1, kPollMs) <= 0) continue;
    const int client = ::accept(socket_, nullptr, nullptr);
    if (client < 0) continue;
    const timeval timeout{kIoTimeoutSeconds, 0};
    setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof(timeout));
    setsockopt(client, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof(timeout));
    Serve(client);
    ::close(client);
  }
}

void EchoListener::Serve(int client) {
  SSL* ssl = SSL_new(context_);
  if (!ssl) return;
  SSL_set_fd(ssl, client);
  if (SSL_accept(ssl) == 1) {
    const std::string request = ReadRequest(ssl);
    const std::string answer =
        "HTTP/1.1 200 OK\r\nContent-Type: application/octet-stream\r\n"
        "Content-Length: " +
        std::to_string(request.size()) + "\r\nConnection: close\r\n\r\n";
    const bool sent = WriteAll(ssl, answer) && WriteAll(ssl, request);
    if (sent) SSL_shutdown(ssl);
    const std::string requestLine = request.substr(0, request.find("\r\n"));
    LogLine("ECHO " + requestLine.substr(0, requestLine.rfind(' ')) + (sent ? " 200" : " unsent") +
            " in=" + std::to_string(request.size()) + " out=" + std::to_string(request.size()));
  }
  SSL_free(ssl);
}

}  // namespace larkspur::service
