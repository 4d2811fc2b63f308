#include "tests/support/loopback_server.h"

#include <chrono>
#include <stdexcept>

#include "tests/support/test_certificate.h"

namespace varnelo::test {

LoopbackServer::LoopbackServer(Scheme scheme) : scheme_(scheme) {
  if (scheme == Scheme::kHttps) {
    const TestCertificate& certificate = SelfSignedCertificate();
    server_ = std::make_unique<httplib::SSLServer>(certificate.certificate, certificate.key);
  } else {
    server_ = std::make_unique<httplib::Server>();
  }
  server_->set_pre_routing_handler([this](const httplib::Request& request, httplib::Response&) {
    ReceivedRequest received{request.method, request.target, {}, request.body, request.remote_port};
    for (const auto& header : request.headers) received.headers.emplace_back(header);
    std::lock_guard lock(mutex_);
    requests_.push_back(std::move(received));
    return httplib::Server::HandlerResponse::Unhandled;
  });
}

LoopbackServer::~LoopbackServer() { Stop(); }

void LoopbackServer::Start() {
  port_ = server_->bind_to_any_port("127.0.0.1");
  if (port_ <= 0) throw std::runtime_error("cannot bind a loopback port");
  thread_ = std::thread([this] { server_->listen_after_bind(); });
  // This version of cpp-httplib has no readiness wait of its own.
  while (!server_->is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

void LoopbackServer::Stop() {
  if (!thread_.joinable()) return;
  server_->stop();
  thread_.join();
}

std::string LoopbackServer::Url(const std::string& path) const {
  return (scheme_ == Scheme::kHttps ? "https://" : "http://") + hostPort() + path;
}

std::vector<ReceivedRequest> LoopbackServer::requests() const {
  std::lock_guard lock(mutex_);
  return requests_;
}

void LoopbackServer::ClearRequests() {
  std::lock_guard lock(mutex_);
  requests_.clear();
}

}  // namespace varnelo::test
