#include "web/web_global.h"

#include <curl/curl.h>

namespace varnelo {

WebGlobal::WebGlobal() : ok_(curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK) {}

WebGlobal::~WebGlobal() {
  if (ok_) curl_global_cleanup();
}

}  // namespace varnelo
