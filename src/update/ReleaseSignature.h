#pragma once
// Signed releases. A deployment built with a release key takes an update text only when its
// sixth field, the release record, verifies against that key, and an installer only when its
// size and SHA-256 digest are the ones that the record names. docs/publishing.md defines the
// record and the signed message byte for byte. Without a key the sixth field is passed over.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "crypto/Crypto.h"

namespace larkspan {

// The tag of the record's format, at the start of the record and of the signed message.
inline constexpr char16_t kReleaseRecordTag[] = u"LR1";

// The installer as a release record names it.
struct SignedInstaller {
  std::int32_t size = 0;
  Sha256Digest sha256{};
  bool operator==(const SignedInstaller&) const = default;
};

// What became of an update text's signature in the check.
enum class SignatureCheck {
  kNoKey,        // a build without a release key: nothing to check
  kNotReached,   // the text was refused before (empty, a web page, a blank field)
  kVerified,     // the record verifies against the key
  kMissing,      // no sixth field, or an empty one
  kMalformed,    // a sixth field that is not a release record
  kNotVerified,  // a record whose signature is not the key's over this text
};

// Checks the release record of `body`, the update information as fetched with its five fields
// complete, against `releaseKey` (the key's text, see crypto/Crypto.h). Sets `installer` to
// what the record names when it verifies.
SignatureCheck CheckReleaseSignature(const std::u16string& body, std::string_view releaseKey,
                                     std::optional<SignedInstaller>& installer);

// What a release record signs for a text whose first five fields, as served, are `fiveFields`
// (the text up to its fifth "#"): the tag, those fields, the size and the digest joined with
// "#", in the narrow character set that the text is read in.
std::string SignedMessage(std::u16string_view fiveFields, const SignedInstaller& installer);

// The sixth field for `installer` and the signature of its message.
std::u16string ReleaseRecord(const SignedInstaller& installer, const P256Signature& signature);

// Lower-case hexadecimal digits, two for each byte.
std::u16string HexText(std::span<const std::uint8_t> bytes);

// What a download checks in a build with a release key: the size that the response announces
// before the body is written, and after it the digest of the bytes taken on the way.
class InstallerCheck {
 public:
  // `expected` is what the verified text named; nothing matches when there is none.
  explicit InstallerCheck(std::optional<SignedInstaller> expected) : expected_(expected) {}

  bool SizeMatches(std::int32_t size) const { return expected_ && expected_->size == size; }
  void Add(const std::uint8_t* data, std::size_t size) { sha256_.Update(data, size); }
  // Once the last byte has been added.
  bool DigestMatches() { return expected_ && sha256_.Finish() == expected_->sha256; }

 private:
  std::optional<SignedInstaller> expected_;
  Sha256 sha256_;
};

}  // namespace larkspan
