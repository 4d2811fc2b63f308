#include "web/web_global.h"

#include <curl/curl.h>

#include <atomic>

namespace varnelo {
namespace {

std::atomic<int> liveGlobals{0};

}  // namespace

WebGlobal::WebGlobal() : ok_(curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK) {
  if (ok_) ++liveGlobals;
}

WebGlobal::~WebGlobal() {
  if (!ok_) return;
  --liveGlobals;
  curl_global_cleanup();
}

bool EnsureWebGlobal() {
  // With a WebGlobal alive libcurl is set up already, and the program's exit
  // undoes it completely.
  if (liveGlobals.load() > 0) return true;
  // Holds one reference of libcurl's count for good: threads may still own
  // clients while static objects are destroyed at exit.
  static const bool ok = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
  return ok;
}

}  // namespace varnelo
