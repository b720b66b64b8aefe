// SHA-256 and ECDSA P-256 verification through CNG (bcrypt.dll) on Windows; crypt32.dll reads
// the key's base64 text and DER structure.
#include "crypto/Crypto.h"

#include <windows.h>
// After windows.h:
#include <bcrypt.h>
#include <wincrypt.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "base/Failure.h"

namespace larkspan {
namespace {

bool Ok(NTSTATUS status) {
  return status >= 0;
}

void Require(bool ok, const char* step) {
  if (!ok) throw Failure(kCryptoFailed, std::string("CNG: ") + step);
}

// The DER bytes of a base64 text, or nothing when it is not one.
std::vector<BYTE> FromBase64(std::string_view text) {
  DWORD size = 0;
  if (text.size() > 4096 ||
      !CryptStringToBinaryA(text.data(), static_cast<DWORD>(text.size()), CRYPT_STRING_BASE64,
                            nullptr, &size, nullptr, nullptr)) {
    return {};
  }
  std::vector<BYTE> bytes(size);
  if (!CryptStringToBinaryA(text.data(), static_cast<DWORD>(text.size()), CRYPT_STRING_BASE64,
                            bytes.data(), &size, nullptr, nullptr)) {
    return {};
  }
  bytes.resize(size);
  return bytes;
}

// The curve's object identifier as the key's algorithm parameters hold it, DER-encoded:
// 1.2.840.10045.3.1.7 (P-256).
constexpr BYTE kP256Curve[] = {0x06, 0x08, 0x2A, 0x86, 0x48, 0xCE, 0x3D, 0x03, 0x01, 0x07};

// The key's point, x then y, when `info` is an EC key on P-256 with its point uncompressed
// (0x04, x, y); empty otherwise.
std::vector<BYTE> P256Point(const CERT_PUBLIC_KEY_INFO& info) {
  const CRYPT_OBJID_BLOB& curve = info.Algorithm.Parameters;
  const CRYPT_BIT_BLOB& point = info.PublicKey;
  if (info.Algorithm.pszObjId == nullptr ||
      std::strcmp(info.Algorithm.pszObjId, szOID_ECC_PUBLIC_KEY) != 0 ||
      curve.cbData != sizeof kP256Curve ||
      std::memcmp(curve.pbData, kP256Curve, sizeof kP256Curve) != 0 || point.cbData != 65 ||
      point.cUnusedBits != 0 || point.pbData[0] != 0x04) {
    return {};
  }
  return std::vector<BYTE>(point.pbData + 1, point.pbData + point.cbData);
}

}  // namespace

struct Sha256::State {
  BCRYPT_ALG_HANDLE algorithm = nullptr;
  BCRYPT_HASH_HANDLE hash = nullptr;
  ~State() {
    if (hash) BCryptDestroyHash(hash);
    if (algorithm) BCryptCloseAlgorithmProvider(algorithm, 0);
  }
};

Sha256::Sha256() : state_(std::make_unique<State>()) {
  Require(
      Ok(BCryptOpenAlgorithmProvider(&state_->algorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0)) &&
          Ok(BCryptCreateHash(state_->algorithm, &state_->hash, nullptr, 0, nullptr, 0, 0)),
      "SHA-256 start");
}

Sha256::~Sha256() = default;

void Sha256::Update(const void* data, std::size_t size) {
  auto* bytes = static_cast<UCHAR*>(const_cast<void*>(data));
  do {
    const ULONG piece = static_cast<ULONG>(std::min<std::size_t>(size, 1u << 30));
    Require(Ok(BCryptHashData(state_->hash, bytes, piece, 0)), "SHA-256 update");
    bytes += piece;
    size -= piece;
  } while (size > 0);
}

Sha256Digest Sha256::Finish() {
  Sha256Digest digest{};
  Require(Ok(BCryptFinishHash(state_->hash, digest.data(), digest.size(), 0)), "SHA-256 end");
  return digest;
}

struct P256PublicKey::State {
  BCRYPT_ALG_HANDLE algorithm = nullptr;
  BCRYPT_KEY_HANDLE key = nullptr;
  ~State() {
    if (key) BCryptDestroyKey(key);
    if (algorithm) BCryptCloseAlgorithmProvider(algorithm, 0);
  }
};

P256PublicKey::P256PublicKey(std::string_view base64) {
  const std::vector<BYTE> der = FromBase64(base64);
  CERT_PUBLIC_KEY_INFO* info = nullptr;
  DWORD infoSize = 0;
  if (der.empty() || !CryptDecodeObjectEx(X509_ASN_ENCODING, X509_PUBLIC_KEY_INFO, der.data(),
                                          static_cast<DWORD>(der.size()), CRYPT_DECODE_ALLOC_FLAG,
                                          nullptr, &info, &infoSize)) {
    return;
  }
  const std::vector<BYTE> point = P256Point(*info);
  LocalFree(info);
  if (point.empty()) return;
  // CNG takes the point as a public key blob: its header, then x and y.
  const BCRYPT_ECCKEY_BLOB header{BCRYPT_ECDSA_PUBLIC_P256_MAGIC, 32};
  std::vector<BYTE> blob(sizeof header);
  std::memcpy(blob.data(), &header, sizeof header);
  blob.insert(blob.end(), point.begin(), point.end());
  auto state = std::make_unique<State>();
  if (Ok(BCryptOpenAlgorithmProvider(&state->algorithm, BCRYPT_ECDSA_P256_ALGORITHM, nullptr, 0)) &&
      Ok(BCryptImportKeyPair(state->algorithm, nullptr, BCRYPT_ECCPUBLIC_BLOB, &state->key,
                             blob.data(), static_cast<ULONG>(blob.size()), 0))) {
    state_ = std::move(state);
  }
}

P256PublicKey::~P256PublicKey() = default;

bool P256PublicKey::Verifies(std::string_view message, const P256Signature& signature) const {
  if (!state_) return false;
  Sha256Digest digest{};
  try {
    Sha256 hash;
    hash.Update(message.data(), message.size());
    digest = hash.Finish();
  } catch (const Failure&) {
    return false;
  }
  P256Signature rs = signature;
  return BCryptVerifySignature(state_->key, nullptr, digest.data(), digest.size(), rs.data(),
                               rs.size(), 0) == 0;
}

}  // namespace larkspan
