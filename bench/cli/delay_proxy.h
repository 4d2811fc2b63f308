#pragma once

#include <atomic>
#include <chrono>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace varnelo::bench {

// A loopback TCP relay that stands in for a network with latency: every chunk
// it reads from either side is held for a fixed delay, then written to the
// other side. Chunks are timed one by one, so data in flight keeps flowing
// (latency without a bandwidth limit) and a round trip costs two delays, as
// it would on a real link. Connecting to the proxy itself is not delayed, only
// the bytes that follow: a loopback connect() completes at once, so by default
// a new connection costs only its TLS handshake. With tcpHandshake the round
// trip of the TCP handshake is charged too: the client's first chunk is held
// one round trip (2 x delay) longer, which is when it would reach the server
// had connect() waited for the SYN-ACK on a real link. That is only faithful
// for protocols where the client speaks first, as HTTP and TLS do.
class DelayProxy {
 public:
  // Listens on 127.0.0.1 at listenPort (0: a free one) and relays every
  // connection to targetHost:targetPort. Check IsListening.
  DelayProxy(std::string targetHost, int targetPort, std::chrono::milliseconds delay,
             int listenPort = 0, bool tcpHandshake = false);
  ~DelayProxy();
  DelayProxy(const DelayProxy&) = delete;
  DelayProxy& operator=(const DelayProxy&) = delete;

  bool IsListening() const { return port_ > 0; }
  int port() const { return port_; }
  std::string host() const;  // "127.0.0.1:<port>"

  // Connections accepted so far.
  int Connections() const { return connections_.load(); }

  // Ends the accepting and every relay (each sees it within a poll period).
  // Idempotent.
  void Stop();

 private:
  struct Relay {
    std::thread thread;
    std::atomic<bool> done{false};
  };

  void AcceptLoop();
  void RunRelay(int clientSocket, Relay& relay);
  void ReapFinished();

  std::string targetHost_;
  int targetPort_;
  std::chrono::milliseconds delay_;
  bool tcpHandshake_;
  int listenSocket_ = -1;
  int port_ = 0;
  std::atomic<bool> stopping_{false};
  std::atomic<int> connections_{0};
  std::thread acceptor_;
  std::mutex relaysMutex_;
  std::list<std::unique_ptr<Relay>> relays_;
};

}  // namespace varnelo::bench
