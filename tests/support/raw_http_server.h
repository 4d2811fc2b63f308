#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace varnelo::test {

// One accepted connection of a RawHttpServer, as its handler sees it.
class RawConnection {
 public:
  RawConnection(int socket, const std::atomic<bool>& stopping, std::mutex& mutex,
                std::condition_variable& wake);

  // The request head (request line and header lines, byte for byte, ending
  // with the empty line) and the body that Content-Length announced.
  const std::string& request() const { return request_; }
  const std::string& body() const { return body_; }

  bool Send(std::string_view bytes);
  // Waits, cut short when the server stops. False when it was.
  bool Pause(std::chrono::milliseconds duration);
  // Closes the connection after the handler returns (without reading more).
  void Close() { closed_ = true; }

  bool ReadRequest();  // used by the server
  bool closed() const { return closed_; }

 private:
  int socket_;
  const std::atomic<bool>& stopping_;
  std::mutex& mutex_;
  std::condition_variable& wake_;
  std::string buffer_;
  std::string request_;
  std::string body_;
  bool closed_ = false;
};

// A bare HTTP server on 127.0.0.1 for what a library server hides: headers
// in the order they arrived, absolute-form request lines of a proxy, and
// answers that stall, stop half-way or never come. The handler writes the
// whole answer itself; each connection gets a thread.
class RawHttpServer {
 public:
  using Handler = std::function<void(RawConnection&)>;

  explicit RawHttpServer(Handler handler);
  ~RawHttpServer();
  RawHttpServer(const RawHttpServer&) = delete;
  RawHttpServer& operator=(const RawHttpServer&) = delete;

  int port() const { return port_; }
  std::string hostPort() const { return "127.0.0.1:" + std::to_string(port_); }

  // Every request head received so far, in order.
  std::vector<std::string> requests() const;
  int connections() const { return connections_; }

  // A complete answer with a body and Content-Length.
  static std::string Answer(int status, std::string_view headers, std::string_view body);

 private:
  void AcceptLoop();
  void Serve(int socket);

  Handler handler_;
  int listener_ = -1;
  int port_ = 0;
  std::atomic<bool> stopping_{false};
  std::atomic<int> connections_{0};
  mutable std::mutex mutex_;
  std::condition_variable wake_;
  std::vector<std::string> requests_;
  std::vector<std::thread> workers_;
  std::vector<int> sockets_;
  std::thread acceptor_;
};

}  // namespace varnelo::test
