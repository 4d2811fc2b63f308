// A loopback TCP proxy that holds every chunk for a while in each direction,
// to see what a collection costs on a network with latency:
//
//   delay_proxy --target HOST:PORT [--listen-port N] [--delay-ms 15] [--tcp-handshake]
//
// --tcp-handshake also charges every new connection the round trip of a TCP
// handshake, which a loopback connect() never pays (bench/cli/delay_proxy.h).
//
// Prints the port it listens on (127.0.0.1) on the first line of standard
// output, then relays until SIGINT or SIGTERM.

#include <pthread.h>

#include <csignal>
#include <cstdlib>
#include <iostream>
#include <string>

#include "bench/cli/delay_proxy.h"

namespace {

int Usage() {
  std::cerr << "usage: delay_proxy --target HOST:PORT [--listen-port N] [--delay-ms N] "
               "[--tcp-handshake]\n";
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::string target;
  int listenPort = 0;
  long delayMs = 15;
  bool tcpHandshake = false;
  for (int i = 1; i < argc; ++i) {
    const std::string option = argv[i];
    if (option == "--tcp-handshake") {
      tcpHandshake = true;
      continue;
    }
    if (i + 1 >= argc) return Usage();
    const char* value = argv[++i];
    if (option == "--target") {
      target = value;
    } else if (option == "--listen-port") {
      listenPort = std::atoi(value);
    } else if (option == "--delay-ms") {
      delayMs = std::atol(value);
    } else {
      return Usage();
    }
  }
  const size_t colon = target.rfind(':');
  if (colon == std::string::npos || colon == 0 || delayMs < 0) return Usage();
  const std::string host = target.substr(0, colon);
  const int port = std::atoi(target.c_str() + colon + 1);
  if (port <= 0) return Usage();

  // Blocked before the proxy's threads start, so only sigwait below sees them.
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);

  varnelo::bench::DelayProxy proxy(host, port, std::chrono::milliseconds(delayMs), listenPort,
                                   tcpHandshake);
  if (!proxy.IsListening()) {
    std::cerr << "delay_proxy: cannot listen on 127.0.0.1:" << listenPort << "\n";
    return 1;
  }
  std::cout << proxy.port() << std::endl;
  int received = 0;
  sigwait(&signals, &received);
  proxy.Stop();
  return 0;
}
