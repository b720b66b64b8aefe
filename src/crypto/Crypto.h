#pragma once
// The platform's cryptography, behind one small contract: SHA-256 and the verification of an
// ECDSA P-256 signature. OpenSSL's libcrypto does the work on Linux (crypto/openssl/), CNG
// (bcrypt.dll, with crypt32.dll reading the key) on Windows (crypto/cng/). The program holds no
// cryptography of its own: everything here hands over to those libraries.
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

namespace larkspan {

using Sha256Digest = std::array<std::uint8_t, 32>;
// An ECDSA P-256 signature as r followed by s, each 32 bytes, most significant byte first.
using P256Signature = std::array<std::uint8_t, 64>;

// A SHA-256 digest taken piece by piece, as the bytes come. Throws Failure(kCryptoFailed) when
// the platform refuses a step.
class Sha256 {
 public:
  Sha256();
  ~Sha256();
  Sha256(const Sha256&) = delete;
  Sha256& operator=(const Sha256&) = delete;

  void Update(const void* data, std::size_t size);
  // The digest of everything given so far; the object takes nothing more afterwards.
  Sha256Digest Finish();

 private:
  struct State;
  std::unique_ptr<State> state_;
};

// A P-256 public key for ECDSA with SHA-256, read from the base64 text (no line breaks) of its
// DER SubjectPublicKeyInfo, as `openssl pkey -pubout -outform DER | base64 -w0` writes it. A
// text that is not such a key gives a key that verifies nothing.
class P256PublicKey {
 public:
  explicit P256PublicKey(std::string_view base64);
  ~P256PublicKey();
  P256PublicKey(const P256PublicKey&) = delete;
  P256PublicKey& operator=(const P256PublicKey&) = delete;

  bool Usable() const { return state_ != nullptr; }
  // Whether `signature` is this key's signature of the SHA-256 digest of `message`.
  bool Verifies(std::string_view message, const P256Signature& signature) const;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace larkspan
