#include "bench/cli/delay_proxy.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <deque>
#include <utility>
#include <vector>

namespace varnelo::bench {
namespace {

using Clock = std::chrono::steady_clock;

// How long any wait lasts at most, so Stop is seen promptly.
constexpr std::chrono::milliseconds kPollPeriod{20};
constexpr size_t kReadSize = 64 * 1024;

void SetNonBlocking(int socket) { fcntl(socket, F_SETFL, fcntl(socket, F_GETFL) | O_NONBLOCK); }

// Small writes must leave at once: the proxy decides the delay, not Nagle.
void SetNoDelay(int socket) {
  const int on = 1;
  setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
}

int ConnectTo(const std::string& host, int port) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found) != 0) return -1;
  int result = -1;
  for (addrinfo* address = found; address && result < 0; address = address->ai_next) {
    const int s = socket(address->ai_family, address->ai_socktype, address->ai_protocol);
    if (s < 0) continue;
    if (connect(s, address->ai_addr, address->ai_addrlen) == 0) {
      result = s;
    } else {
      close(s);
    }
  }
  freeaddrinfo(found);
  return result;
}

struct Chunk {
  Clock::time_point due{};
  std::vector<char> bytes{};
  size_t written = 0;
};

// One direction of a relayed connection.
struct Direction {
  int from = -1;
  int to = -1;
  std::deque<Chunk> held{};
  bool endOfInput = false;
  bool shutDown = false;

  bool FrontDue(Clock::time_point now) const { return !held.empty() && held.front().due <= now; }

  // Writes the chunks whose time has come, as far as the socket takes them.
  // False when the other side is gone.
  bool Flush(Clock::time_point now) {
    while (FrontDue(now)) {
      Chunk& chunk = held.front();
      const ssize_t sent = send(to, chunk.bytes.data() + chunk.written,
                                chunk.bytes.size() - chunk.written, MSG_NOSIGNAL);
      if (sent < 0) return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
      chunk.written += static_cast<size_t>(sent);
      if (chunk.written < chunk.bytes.size()) return true;  // the socket is full for now
      held.pop_front();
    }
    return true;
  }

  // Reads what has arrived and holds it until now + delay.
  void Read(Clock::duration delay) {
    std::vector<char> buffer(kReadSize);
    const ssize_t got = recv(from, buffer.data(), buffer.size(), 0);
    if (got > 0) {
      buffer.resize(static_cast<size_t>(got));
      held.push_back(Chunk{Clock::now() + delay, std::move(buffer)});
    } else if (got == 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) {
      endOfInput = true;  // closed or reset: pass the end on once the held bytes are out
    }
  }
};

}  // namespace

DelayProxy::DelayProxy(std::string targetHost, int targetPort, std::chrono::milliseconds delay,
                       int listenPort, bool tcpHandshake)
    : targetHost_(std::move(targetHost)),
      targetPort_(targetPort),
      delay_(delay),
      tcpHandshake_(tcpHandshake) {
  listenSocket_ = socket(AF_INET, SOCK_STREAM, 0);
  if (listenSocket_ < 0) return;
  const int on = 1;
  setsockopt(listenSocket_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(listenPort));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  if (bind(listenSocket_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      listen(listenSocket_, 128) != 0 ||
      getsockname(listenSocket_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    close(listenSocket_);
    listenSocket_ = -1;
    return;
  }
  SetNonBlocking(listenSocket_);
  port_ = ntohs(address.sin_port);
  acceptor_ = std::thread([this] { AcceptLoop(); });
}

DelayProxy::~DelayProxy() { Stop(); }

std::string DelayProxy::host() const { return "127.0.0.1:" + std::to_string(port_); }

void DelayProxy::Stop() {
  if (stopping_.exchange(true)) return;
  if (acceptor_.joinable()) acceptor_.join();
  std::lock_guard lock(relaysMutex_);
  for (auto& relay : relays_) {
    if (relay->thread.joinable()) relay->thread.join();
  }
  relays_.clear();
  if (listenSocket_ >= 0) close(listenSocket_);
  listenSocket_ = -1;
}

void DelayProxy::ReapFinished() {
  std::lock_guard lock(relaysMutex_);
  for (auto it = relays_.begin(); it != relays_.end();) {
    if ((*it)->done.load()) {
      (*it)->thread.join();
      it = relays_.erase(it);
    } else {
      ++it;
    }
  }
}

void DelayProxy::AcceptLoop() {
  while (!stopping_.load()) {
    pollfd listening{listenSocket_, POLLIN, 0};
    if (poll(&listening, 1, static_cast<int>(kPollPeriod.count())) <= 0) continue;
    const int client = accept(listenSocket_, nullptr, nullptr);
    if (client < 0) continue;
    ++connections_;
    ReapFinished();
    std::lock_guard lock(relaysMutex_);
    auto relay = std::make_unique<Relay>();
    Relay& slot = *relay;
    relays_.push_back(std::move(relay));
    slot.thread = std::thread([this, client, &slot] { RunRelay(client, slot); });
  }
}

void DelayProxy::RunRelay(int clientSocket, Relay& relay) {
  const int serverSocket = ConnectTo(targetHost_, targetPort_);
  if (serverSocket >= 0) {
    for (int s : {clientSocket, serverSocket}) {
      SetNonBlocking(s);
      SetNoDelay(s);
    }
    Direction up{clientSocket, serverSocket};
    Direction down{serverSocket, clientSocket};
    Direction* directions[2] = {&up, &down};
    bool clientSpoke = false;
    while (!stopping_.load()) {
      Clock::time_point now = Clock::now();
      bool broken = false;
      for (Direction* d : directions) broken = broken || !d->Flush(now);
      if (broken) break;
      for (Direction* d : directions) {
        if (d->endOfInput && d->held.empty() && !d->shutDown) {
          shutdown(d->to, SHUT_WR);
          d->shutDown = true;
        }
      }
      if (up.shutDown && down.shutDown) break;

      // Wait for input, for room to write a due chunk, or for the next chunk's time.
      pollfd sockets[2] = {{clientSocket, 0, 0}, {serverSocket, 0, 0}};
      Clock::duration wait = kPollPeriod;
      for (Direction* d : directions) {
        pollfd& from = d->from == clientSocket ? sockets[0] : sockets[1];
        pollfd& to = d->to == clientSocket ? sockets[0] : sockets[1];
        if (!d->endOfInput) from.events |= POLLIN;
        if (d->FrontDue(now)) {
          to.events |= POLLOUT;
        } else if (!d->held.empty()) {
          wait = std::min(wait, d->held.front().due - now);
        }
      }
      // A socket with nothing asked of it is left out, or a hang-up it reports
      // would wake the wait over and over until the held bytes are due.
      for (pollfd& s : sockets) {
        if (s.events == 0) s.fd = -1;
      }
      const auto nanoseconds = std::chrono::duration_cast<std::chrono::nanoseconds>(wait).count();
      const timespec timeout{static_cast<time_t>(nanoseconds / 1000000000),
                             static_cast<long>(nanoseconds % 1000000000)};
      if (ppoll(sockets, 2, &timeout, nullptr) <= 0) continue;
      for (Direction* d : directions) {
        const pollfd& from = d->from == clientSocket ? sockets[0] : sockets[1];
        if (!d->endOfInput && (from.revents & (POLLIN | POLLHUP | POLLERR)) != 0) {
          // The first bytes a client sends wait out the TCP handshake as well.
          const bool first = tcpHandshake_ && d == &up && !clientSpoke;
          d->Read(first ? 3 * delay_ : delay_);
          clientSpoke = clientSpoke || (d == &up && !up.held.empty());
        }
      }
    }
    close(serverSocket);
  }
  close(clientSocket);
  relay.done.store(true);
}

}  // namespace varnelo::bench
