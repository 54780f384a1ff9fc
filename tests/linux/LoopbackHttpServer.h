// A tiny HTTP server on 127.0.0.1 for tests of the HTTP layer and the browser window: one thread, one request per
// connection, each path answered with the response registered for it (404 otherwise), every request counted.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <map>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace hoardscope {

class TLoopbackHttpServer {
 public:
  TLoopbackHttpServer() {
    FListener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (FListener < 0) throw std::runtime_error("socket failed");
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;  // any free port
    socklen_t length = sizeof address;
    if (::bind(FListener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(FListener, 16) != 0 ||
        ::getsockname(FListener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
      ::close(FListener);
      throw std::runtime_error("cannot listen on 127.0.0.1");
    }
    FPort = ntohs(address.sin_port);
    FThread = std::thread([this] { Loop(); });
  }

  ~TLoopbackHttpServer() {
    FStop = true;
    FThread.join();
    ::close(FListener);
  }

  TLoopbackHttpServer(const TLoopbackHttpServer&) = delete;
  TLoopbackHttpServer& operator=(const TLoopbackHttpServer&) = delete;

  // A complete response: status line, the given header lines, Content-Length and Connection, an empty line, body.
  static std::string Response(const std::string& statusLine, const std::vector<std::string>& headers,
                              const std::string& body) {
    std::string response = statusLine + "\r\n";
    for (const std::string& header : headers) response += header + "\r\n";
    response += "Content-Length: " + std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n";
    return response + body;
  }

  // Answers requests for path (with its query) with rawResponse, exactly as given.
  void Serve(const std::string& path, std::string rawResponse) {
    const std::lock_guard lock(FLock);
    FResponses[path] = std::move(rawResponse);
  }

  // Answers requests for path with headBlock, then piece after piece, each after pause, until the client hangs
  // up, half a minute has passed or 64 MiB were sent: a body without end, for as long as a test should take.
  void ServeEndless(const std::string& path, std::string headBlock, std::string piece,
                    std::chrono::milliseconds pause) {
    const std::lock_guard lock(FLock);
    FResponses[path] = std::move(headBlock);
    FEndless[path] = {std::move(piece), pause};
  }

  std::string Url(const std::string& path) const { return "http://127.0.0.1:" + std::to_string(FPort) + path; }
  int Port() const { return FPort; }
  int RequestCount() const { return FRequests; }

  // The request lines received so far ("GET /a.html HTTP/1.1").
  std::vector<std::string> RequestLines() const {
    const std::lock_guard lock(FLock);
    return FRequestLines;
  }

 private:
  static constexpr int kPollMs = 20;
  static constexpr int kReadTimeoutMs = 2000;
  static constexpr std::size_t kMaxRequestBytes = 64 * 1024;
  static constexpr std::size_t kMaxEndlessBytes = 64 * 1024 * 1024;

  void Loop() {
    while (!FStop) {
      pollfd waiting{FListener, POLLIN, 0};
      if (::poll(&waiting, 1, kPollMs) <= 0) continue;
      const int connection = ::accept4(FListener, nullptr, nullptr, SOCK_CLOEXEC);
      if (connection < 0) continue;
      Answer(connection);
      ::close(connection);
    }
  }

  void Answer(int connection) {
    std::string request;
    char buffer[4096];
    while (request.find("\r\n\r\n") == std::string::npos && request.size() < kMaxRequestBytes) {
      pollfd readable{connection, POLLIN, 0};
      if (::poll(&readable, 1, kReadTimeoutMs) <= 0) return;
      const ssize_t received = ::recv(connection, buffer, sizeof buffer, 0);
      if (received <= 0) return;
      request.append(buffer, static_cast<std::size_t>(received));
    }
    const std::string requestLine = request.substr(0, request.find("\r\n"));
    const std::size_t pathStart = requestLine.find(' ') + 1;
    const std::string path = requestLine.substr(pathStart, requestLine.find(' ', pathStart) - pathStart);
    std::string response;
    std::optional<TEndless> endless;
    {
      const std::lock_guard lock(FLock);
      FRequestLines.push_back(requestLine);
      const auto found = FResponses.find(path);
      response = found != FResponses.end() ? found->second
                                           : Response("HTTP/1.1 404 Not Found", {"Content-Type: text/plain"}, "none");
      if (const auto piece = FEndless.find(path); piece != FEndless.end()) endless = piece->second;
    }
    ++FRequests;
    if (!Send(connection, response) || !endless) return;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    for (std::size_t sent = 0; !FStop && std::chrono::steady_clock::now() < end && sent < kMaxEndlessBytes &&
                               Send(connection, endless->Piece);
         sent += endless->Piece.size()) {
      std::this_thread::sleep_for(endless->Pause);
    }
  }

  static bool Send(int connection, const std::string& bytes) {
    for (std::size_t sent = 0; sent < bytes.size();) {
      const ssize_t written = ::send(connection, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
      if (written <= 0) return false;
      sent += static_cast<std::size_t>(written);
    }
    return true;
  }

  struct TEndless {
    std::string Piece;
    std::chrono::milliseconds Pause;
  };

  int FListener = -1;
  int FPort = 0;
  std::atomic<bool> FStop{false};
  std::atomic<int> FRequests{0};
  mutable std::mutex FLock;
  std::map<std::string, std::string> FResponses;
  std::map<std::string, TEndless> FEndless;
  std::vector<std::string> FRequestLines;
  std::thread FThread;
};

}  // namespace hoardscope
