#pragma once

namespace varnelo {

// libcurl's process-wide set-up, made once at program start before any thread
// makes a request, and undone at exit. Each program entry (the desktop
// program, the command line, the test mains) keeps one for its lifetime;
// libcurl would otherwise initialise itself lazily on first use, which is not
// thread-safe.
class WebGlobal {
 public:
  WebGlobal();
  ~WebGlobal();
  WebGlobal(const WebGlobal&) = delete;
  WebGlobal& operator=(const WebGlobal&) = delete;

  bool ok() const { return ok_; }

 private:
  bool ok_ = false;
};

}  // namespace varnelo
