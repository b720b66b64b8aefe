#pragma once
// The authority that a test run made (authority.pem and authority.der in `dir`), trusted while
// the object lives: by the Windows root store of the machine (Wine's prefix), or on Linux
// through the curl back end's setting for tests.
#include <stdexcept>
#include <string>
#ifdef _WIN32
#include <windows.h>
// after windows.h, which it needs
#include <wincrypt.h>

#include <fstream>
#include <iterator>
#else
#include "net/curl/CurlSession.h"
#endif

namespace larkspan::test {

#ifdef _WIN32
class TrustedAuthority {
 public:
  explicit TrustedAuthority(const std::string& dir) {
    std::ifstream in(dir + "/authority.der", std::ios::binary);
    const std::string der{std::istreambuf_iterator<char>(in), {}};
    store_ =
        CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, L"Root");
    if (der.empty() || store_ == nullptr ||
        !CertAddEncodedCertificateToStore(
            store_, X509_ASN_ENCODING, reinterpret_cast<const BYTE*>(der.data()),
            static_cast<DWORD>(der.size()), CERT_STORE_ADD_REPLACE_EXISTING, &added_) ||
        !CertControlStore(store_, 0, CERT_STORE_CTRL_COMMIT, nullptr)) {  // Wine defers it
      throw std::runtime_error("the root store does not take the authority");
    }
  }
  ~TrustedAuthority() {  // the deletion, too, is written out only when committed
    CertDeleteCertificateFromStore(added_);
    CertControlStore(store_, 0, CERT_STORE_CTRL_COMMIT, nullptr);
    CertCloseStore(store_, 0);
  }
  TrustedAuthority(const TrustedAuthority&) = delete;
  TrustedAuthority& operator=(const TrustedAuthority&) = delete;

 private:
  HCERTSTORE store_ = nullptr;
  PCCERT_CONTEXT added_ = nullptr;
};
#else
class TrustedAuthority {
 public:
  explicit TrustedAuthority(const std::string& dir)
      : previous_(SetTrustedAuthorityFile(dir + "/authority.pem")) {}
  ~TrustedAuthority() { SetTrustedAuthorityFile(previous_); }
  TrustedAuthority(const TrustedAuthority&) = delete;
  TrustedAuthority& operator=(const TrustedAuthority&) = delete;

 private:
  std::string previous_;
};
#endif

}  // namespace larkspan::test
