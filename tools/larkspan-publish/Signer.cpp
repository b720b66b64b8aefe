#include "Signer.h"

#include <openssl/bio.h>
#include <openssl/bn.h>
#include <openssl/ecdsa.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>

#include <cstring>
#include <vector>

#include "Publish.h"
#include "crypto/openssl/Owned.h"
#include "os/CodePage.h"

namespace larkspan::publish {
namespace {

// A step of libcrypto that fails with a key that it took: not the maker's doing.
void Require(bool ok, const char* step) {
  if (!ok) throw PublishError{u"libcrypto failed to " + FromUtf8(step), 2};
}

}  // namespace

struct Signer::State {
  OpenSslOwned<EVP_PKEY, EVP_PKEY_free> key;
};

Signer::Signer(const std::string& pem, const std::u16string& path) {
  const OpenSslOwned<BIO, BIO_free_all> text(
      BIO_new_mem_buf(pem.data(), static_cast<int>(pem.size())));
  OpenSslOwned<EVP_PKEY, EVP_PKEY_free> key(
      text ? PEM_read_bio_PrivateKey(text.get(), nullptr, nullptr, nullptr) : nullptr);
  char group[32] = "";
  if (!key || !EVP_PKEY_is_a(key.get(), "EC") ||
      EVP_PKEY_get_group_name(key.get(), group, sizeof group, nullptr) != 1 ||
      std::strcmp(group, "prime256v1") != 0) {
    throw PublishError{u"\"" + path + u"\" holds no P-256 private key in PEM form", 2};
  }
  state_ = std::make_unique<State>(State{std::move(key)});
}

Signer::~Signer() = default;

std::string Signer::PublicKeyText() const {
  unsigned char* der = nullptr;
  const int derSize = i2d_PUBKEY(state_->key.get(), &der);
  Require(derSize > 0, "write the public key");
  const OpenSslBytes derOwner(der);
  std::string text(4 * ((static_cast<std::size_t>(derSize) + 2) / 3) + 1, '\0');
  const int size = EVP_EncodeBlock(reinterpret_cast<unsigned char*>(text.data()), der, derSize);
  text.resize(static_cast<std::size_t>(size));
  return text;
}

P256Signature Signer::Sign(std::string_view message) const {
  const OpenSslOwned<EVP_MD_CTX, EVP_MD_CTX_free> context(EVP_MD_CTX_new());
  std::size_t size = 0;
  Require(context &&
              EVP_DigestSignInit(context.get(), nullptr, EVP_sha256(), nullptr,
                                 state_->key.get()) == 1 &&
              EVP_DigestSign(context.get(), nullptr, &size,
                             reinterpret_cast<const unsigned char*>(message.data()),
                             message.size()) == 1,
          "start a signature");
  std::vector<unsigned char> der(size);
  Require(
      EVP_DigestSign(context.get(), der.data(), &size,
                     reinterpret_cast<const unsigned char*>(message.data()), message.size()) == 1,
      "sign");
  // libcrypto writes the signature DER-encoded; the record holds r and s as they are.
  const unsigned char* at = der.data();
  const OpenSslOwned<ECDSA_SIG, ECDSA_SIG_free> sig(
      d2i_ECDSA_SIG(nullptr, &at, static_cast<long>(size)));
  P256Signature signature{};
  Require(sig && BN_bn2binpad(ECDSA_SIG_get0_r(sig.get()), signature.data(), 32) == 32 &&
              BN_bn2binpad(ECDSA_SIG_get0_s(sig.get()), signature.data() + 32, 32) == 32,
          "read the signature");
  return signature;
}

}  // namespace larkspan::publish
