#pragma once

namespace varnelo {

// libcurl's process-wide set-up, which plays the part of the socket library
// start-up of the original program: made once at program start before any thread makes a
// request, and undone at exit. Each program entry (the desktop program, the
// command line, the test mains) keeps one for its lifetime:
//
//   int main() { const varnelo::WebGlobal web; ... }
//
// curl_global_init is reference-counted, so a second WebGlobal is harmless.
//
// A program that forgets it still works: every HttpClient first calls
// EnsureWebGlobal(), which initialises libcurl once under a function-local
// static (C++ guarantees that only one thread runs it) and never undoes it. The
// lazy initialisation inside curl_easy_init is not relied on: before libcurl
// 7.84 it is not thread-safe, and since then only where libcurl reports
// CURL_VERSION_THREADSAFE. The same caveat applies to WebGlobal itself, which is
// why it belongs at program start, before other threads exist.
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

// Initialises libcurl once for the rest of the process; true when that worked.
bool EnsureWebGlobal();

}  // namespace varnelo
