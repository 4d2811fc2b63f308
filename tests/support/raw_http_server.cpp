#include "tests/support/raw_http_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <stdexcept>

namespace varnelo::test {

RawConnection::RawConnection(int socket, const std::atomic<bool>& stopping, std::mutex& mutex,
                             std::condition_variable& wake)
    : socket_(socket), stopping_(stopping), mutex_(mutex), wake_(wake) {}

bool RawConnection::Send(std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t sent = ::send(socket_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (sent <= 0) return false;
    bytes.remove_prefix(static_cast<size_t>(sent));
  }
  return true;
}

bool RawConnection::Pause(std::chrono::milliseconds duration) {
  std::unique_lock lock(mutex_);
  return !wake_.wait_for(lock, duration, [this] { return stopping_.load(); });
}

bool RawConnection::ReadRequest() {
  request_.clear();
  body_.clear();
  // Read until the head is complete, then the announced body.
  size_t headEnd;
  while ((headEnd = buffer_.find("\r\n\r\n")) == std::string::npos) {
    pollfd waiting{socket_, POLLIN, 0};
    int ready = ::poll(&waiting, 1, 50);
    if (stopping_) return false;
    if (ready <= 0) continue;
    char chunk[4096];
    ssize_t received = ::recv(socket_, chunk, sizeof chunk, 0);
    if (received <= 0) return false;
    buffer_.append(chunk, static_cast<size_t>(received));
  }
  request_ = buffer_.substr(0, headEnd + 4);
  buffer_.erase(0, headEnd + 4);

  size_t length = 0;
  for (std::string_view key : {"\r\nContent-Length:", "\r\ncontent-length:"}) {
    if (size_t at = request_.find(key); at != std::string::npos) {
      length = std::strtoul(request_.c_str() + at + key.size(), nullptr, 10);
    }
  }
  while (buffer_.size() < length) {
    char chunk[4096];
    ssize_t received = ::recv(socket_, chunk, sizeof chunk, 0);
    if (received <= 0) return false;
    buffer_.append(chunk, static_cast<size_t>(received));
  }
  body_ = buffer_.substr(0, length);
  buffer_.erase(0, length);
  return true;
}

RawHttpServer::RawHttpServer(Handler handler) : handler_(std::move(handler)) {
  listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;
  if (listener_ < 0 || ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) ||
      ::listen(listener_, 16)) {
    throw std::runtime_error("cannot listen on a loopback port");
  }
  socklen_t size = sizeof address;
  ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &size);
  port_ = ntohs(address.sin_port);
  acceptor_ = std::thread([this] { AcceptLoop(); });
}

RawHttpServer::~RawHttpServer() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
    for (int socket : sockets_) ::shutdown(socket, SHUT_RDWR);
  }
  wake_.notify_all();
  acceptor_.join();
  for (std::thread& worker : workers_) worker.join();
  for (int socket : sockets_) ::close(socket);
  ::close(listener_);
}

void RawHttpServer::AcceptLoop() {
  while (!stopping_) {
    pollfd waiting{listener_, POLLIN, 0};
    if (::poll(&waiting, 1, 50) <= 0) continue;
    int socket = ::accept(listener_, nullptr, nullptr);
    if (socket < 0) continue;
    ++connections_;
    std::lock_guard lock(mutex_);
    sockets_.push_back(socket);
    workers_.emplace_back([this, socket] { Serve(socket); });
  }
}

void RawHttpServer::Serve(int socket) {
  RawConnection connection(socket, stopping_, mutex_, wake_);
  while (!stopping_ && connection.ReadRequest()) {
    {
      std::lock_guard lock(mutex_);
      requests_.push_back(connection.request());
    }
    handler_(connection);
    if (connection.closed()) break;
  }
  ::shutdown(socket, SHUT_RDWR);
  // The socket is closed by the destructor's sweep, never reused meanwhile.
}

std::vector<std::string> RawHttpServer::requests() const {
  std::lock_guard lock(mutex_);
  return requests_;
}

std::string RawHttpServer::Answer(int status, std::string_view headers, std::string_view body) {
  std::string answer = "HTTP/1.1 " + std::to_string(status) + " X\r\n";
  answer += headers;
  answer += "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n";
  answer += body;
  return answer;
}

}  // namespace varnelo::test
