#include "tests/support/test_certificate.h"

#include <openssl/ec.h>
#include <openssl/x509v3.h>

#include <stdexcept>

namespace varnelo::test {
namespace {

TestCertificate Make() {
  TestCertificate made;
  made.key = EVP_EC_gen("P-256");
  if (made.key == nullptr) throw std::runtime_error("cannot make a test key");

  X509* certificate = X509_new();
  X509_set_version(certificate, 2);
  ASN1_INTEGER_set(X509_get_serialNumber(certificate), 1);
  X509_gmtime_adj(X509_getm_notBefore(certificate), -3600);
  X509_gmtime_adj(X509_getm_notAfter(certificate), 3600L * 24 * 365);
  X509_set_pubkey(certificate, made.key);
  X509_NAME* name = X509_get_subject_name(certificate);
  X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
                             reinterpret_cast<const unsigned char*>("127.0.0.1"), -1, -1, 0);
  X509_set_issuer_name(certificate, name);

  X509V3_CTX context;
  X509V3_set_ctx_nodb(&context);
  X509V3_set_ctx(&context, certificate, certificate, nullptr, nullptr, 0);
  if (X509_EXTENSION* names = X509V3_EXT_conf_nid(nullptr, &context, NID_subject_alt_name,
                                                  "IP:127.0.0.1,DNS:localhost")) {
    X509_add_ext(certificate, names, -1);
    X509_EXTENSION_free(names);
  }
  if (X509_sign(certificate, made.key, EVP_sha256()) == 0) {
    throw std::runtime_error("cannot sign the test certificate");
  }
  made.certificate = certificate;
  return made;
}

}  // namespace

const TestCertificate& SelfSignedCertificate() {
  static const TestCertificate certificate = Make();
  return certificate;
}

}  // namespace varnelo::test
