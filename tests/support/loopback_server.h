#pragma once

#include <httplib.h>

#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace varnelo::test {

// One request as a loopback server received it.
struct ReceivedRequest {
  std::string method;
  std::string target;                                        // path and query as sent
  std::vector<std::pair<std::string, std::string>> headers;  // sorted by name
  std::string body;
  int remotePort = 0;  // tells the connections apart
};

// A cpp-httplib server on 127.0.0.1 with a free port, plain or TLS with a
// self-signed certificate, recording every request. Register handlers on
// server() before Start(); the destructor stops it.
class LoopbackServer {
 public:
  enum class Scheme { kHttp, kHttps };

  explicit LoopbackServer(Scheme scheme = Scheme::kHttps);
  ~LoopbackServer();
  LoopbackServer(const LoopbackServer&) = delete;
  LoopbackServer& operator=(const LoopbackServer&) = delete;

  httplib::Server& server() { return *server_; }

  // Binds, starts listening on a thread of its own and returns once ready.
  void Start();
  void Stop();

  int port() const { return port_; }
  std::string hostPort() const { return "127.0.0.1:" + std::to_string(port_); }
  // "https://127.0.0.1:PORT" + path (or http://).
  std::string Url(const std::string& path) const;

  std::vector<ReceivedRequest> requests() const;
  void ClearRequests();

 private:
  Scheme scheme_;
  std::unique_ptr<httplib::Server> server_;
  std::thread thread_;
  int port_ = 0;
  mutable std::mutex mutex_;
  std::vector<ReceivedRequest> requests_;
};

}  // namespace varnelo::test
