#pragma once
// The maker's side of a signed release: the private key and its signatures, through OpenSSL's
// libcrypto. The updater only verifies (crypto/Crypto.h).
#include <memory>
#include <string>
#include <string_view>

#include "crypto/Crypto.h"

namespace larkspan::publish {

class Signer {
 public:
  // The P-256 private key in the PEM text `pem` (as `openssl genpkey` writes it). Throws
  // PublishError (status 2) naming `path` when the text holds no such key.
  Signer(const std::string& pem, const std::u16string& path);
  ~Signer();
  Signer(const Signer&) = delete;
  Signer& operator=(const Signer&) = delete;

  // The public key's text, as a build's LARKSPAN_RELEASE_KEY takes it.
  std::string PublicKeyText() const;
  // The ECDSA signature of the SHA-256 digest of `message`, as r and s.
  P256Signature Sign(std::string_view message) const;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace larkspan::publish
