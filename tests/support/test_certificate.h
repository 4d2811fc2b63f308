#pragma once

#include <openssl/evp.h>
#include <openssl/x509.h>

namespace varnelo::test {

// A self-signed certificate for 127.0.0.1 and localhost with its key, made
// once per process in memory (an EC key, so it is quick). The objects live
// until the process ends; servers take them by pointer.
struct TestCertificate {
  X509* certificate = nullptr;
  EVP_PKEY* key = nullptr;
};

const TestCertificate& SelfSignedCertificate();

}  // namespace varnelo::test
