// SHA-256 and ECDSA P-256 verification through OpenSSL's libcrypto (Linux).
#include "crypto/Crypto.h"

#include <openssl/bn.h>
#include <openssl/ecdsa.h>
#include <openssl/evp.h>
#include <openssl/x509.h>

#include <cstring>
#include <string>
#include <vector>

#include "base/Failure.h"
#include "crypto/openssl/Owned.h"

namespace larkspan {
namespace {

using MdContext = OpenSslOwned<EVP_MD_CTX, EVP_MD_CTX_free>;
using Key = OpenSslOwned<EVP_PKEY, EVP_PKEY_free>;
using Signature = OpenSslOwned<ECDSA_SIG, ECDSA_SIG_free>;

void Require(bool ok, const char* step) {
  if (!ok) throw Failure(kCryptoFailed, std::string("libcrypto: ") + step);
}

// The bytes of a base64 text, or nothing when it is not one.
std::vector<unsigned char> FromBase64(std::string_view text) {
  OpenSslOwned<EVP_ENCODE_CTX, EVP_ENCODE_CTX_free> context(EVP_ENCODE_CTX_new());
  std::vector<unsigned char> bytes(text.size() / 4 * 3 + 3);
  int size = 0, last = 0;
  if (!context || text.size() > 4096) return {};
  EVP_DecodeInit(context.get());
  if (EVP_DecodeUpdate(context.get(), bytes.data(), &size,
                       reinterpret_cast<const unsigned char*>(text.data()),
                       static_cast<int>(text.size())) < 0 ||
      EVP_DecodeFinal(context.get(), bytes.data() + size, &last) != 1) {
    return {};
  }
  bytes.resize(static_cast<std::size_t>(size + last));
  return bytes;
}

}  // namespace

struct Sha256::State {
  MdContext context{EVP_MD_CTX_new()};
};

Sha256::Sha256() : state_(std::make_unique<State>()) {
  Require(state_->context && EVP_DigestInit_ex(state_->context.get(), EVP_sha256(), nullptr) == 1,
          "SHA-256 start");
}

Sha256::~Sha256() = default;

void Sha256::Update(const void* data, std::size_t size) {
  Require(EVP_DigestUpdate(state_->context.get(), data, size) == 1, "SHA-256 update");
}

Sha256Digest Sha256::Finish() {
  Sha256Digest digest{};
  unsigned int size = 0;
  Require(
      EVP_DigestFinal_ex(state_->context.get(), digest.data(), &size) == 1 && size == digest.size(),
      "SHA-256 end");
  return digest;
}

struct P256PublicKey::State {
  Key key;
};

P256PublicKey::P256PublicKey(std::string_view base64) {
  const std::vector<unsigned char> der = FromBase64(base64);
  const unsigned char* at = der.data();
  Key key(d2i_PUBKEY(nullptr, &at, static_cast<long>(der.size())));
  char group[32] = "";
  // The whole text is the key, and the key is one on the P-256 curve.
  if (!key || at != der.data() + der.size() || !EVP_PKEY_is_a(key.get(), "EC") ||
      EVP_PKEY_get_group_name(key.get(), group, sizeof group, nullptr) != 1 ||
      std::strcmp(group, "prime256v1") != 0) {
    return;
  }
  state_ = std::make_unique<State>(State{std::move(key)});
}

P256PublicKey::~P256PublicKey() = default;

bool P256PublicKey::Verifies(std::string_view message, const P256Signature& signature) const {
  if (!state_) return false;
  // libcrypto takes the signature DER-encoded: its own functions make that of r and s.
  Signature sig(ECDSA_SIG_new());
  BIGNUM* r = BN_bin2bn(signature.data(), 32, nullptr);
  BIGNUM* s = BN_bin2bn(signature.data() + 32, 32, nullptr);
  if (!sig || !r || !s || ECDSA_SIG_set0(sig.get(), r, s) != 1) {
    BN_free(r);
    BN_free(s);
    return false;
  }
  unsigned char* der = nullptr;
  const int derSize = i2d_ECDSA_SIG(sig.get(), &der);
  if (derSize <= 0) return false;
  const OpenSslBytes derOwner(der);
  const MdContext context(EVP_MD_CTX_new());
  return context &&
         EVP_DigestVerifyInit(context.get(), nullptr, EVP_sha256(), nullptr, state_->key.get()) ==
             1 &&
         EVP_DigestVerify(context.get(), der, static_cast<std::size_t>(derSize),
                          reinterpret_cast<const unsigned char*>(message.data()),
                          message.size()) == 1;
}

}  // namespace larkspan
