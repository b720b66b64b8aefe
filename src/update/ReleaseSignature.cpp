#include "update/ReleaseSignature.h"

#include <limits>
#include <vector>

#include "os/CodePage.h"
#include "text/AsciiText.h"

namespace larkspan {
namespace {

struct Record {
  SignedInstaller installer;
  P256Signature signature{};
};

// The bytes of exactly `bytes.size()` pairs of lower-case hexadecimal digits; false for any
// other text.
bool ReadHex(std::u16string_view text, std::span<std::uint8_t> bytes) {
  if (text.size() != 2 * bytes.size()) return false;
  const auto digit = [](char16_t c) {
    return c >= u'0' && c <= u'9' ? c - u'0' : c >= u'a' && c <= u'f' ? c - u'a' + 10 : -1;
  };
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const int high = digit(text[2 * i]), low = digit(text[2 * i + 1]);
    if (high < 0 || low < 0) return false;
    bytes[i] = static_cast<std::uint8_t>(high * 16 + low);
  }
  return true;
}

// A byte count written as decimal digits without a sign or leading zeros, within 32 bits.
std::optional<std::int32_t> ReadSize(std::u16string_view text) {
  if (text.empty() || text.size() > 10 || (text[0] == u'0' && text.size() > 1)) return {};
  std::int64_t size = 0;
  for (const char16_t c : text) {
    if (c < u'0' || c > u'9') return {};
    size = size * 10 + (c - u'0');
  }
  if (size > std::numeric_limits<std::int32_t>::max()) return {};
  return static_cast<std::int32_t>(size);
}

std::u16string SizeDigits(std::int32_t size) {
  const std::string digits = std::to_string(size);
  return std::u16string(digits.begin(), digits.end());
}

// "LR1;<size>;<SHA-256>;<signature>", followed by nothing but line breaks.
std::optional<Record> ReadRecord(std::u16string_view field) {
  while (!field.empty() && (field.back() == u'\n' || field.back() == u'\r')) field.remove_suffix(1);
  std::vector<std::u16string_view> parts;
  for (std::size_t from = 0;;) {
    const std::size_t end = field.find(u';', from);
    parts.push_back(field.substr(from, end - from));
    if (end == std::u16string_view::npos) break;
    from = end + 1;
  }
  if (parts.size() != 4) return {};
  Record record;
  const std::optional<std::int32_t> size = ReadSize(parts[1]);
  if (parts[0] != kReleaseRecordTag || !size || !ReadHex(parts[2], record.installer.sha256) ||
      !ReadHex(parts[3], record.signature)) {
    return {};
  }
  record.installer.size = *size;
  return record;
}

}  // namespace

std::u16string HexText(std::span<const std::uint8_t> bytes) {
  constexpr char16_t kDigits[] = u"0123456789abcdef";
  std::u16string text;
  for (const std::uint8_t byte : bytes) text += {kDigits[byte >> 4], kDigits[byte & 15]};
  return text;
}

std::string SignedMessage(std::u16string_view fiveFields, const SignedInstaller& installer) {
  return ToNarrow(kReleaseRecordTag + (u"#" + std::u16string(fiveFields)) + u"#" +
                  SizeDigits(installer.size) + u"#" + HexText(installer.sha256));
}

std::u16string ReleaseRecord(const SignedInstaller& installer, const P256Signature& signature) {
  return kReleaseRecordTag + (u";" + SizeDigits(installer.size)) + u";" +
         HexText(installer.sha256) + u";" + HexText(signature);
}

SignatureCheck CheckReleaseSignature(const std::u16string& body, std::string_view releaseKey,
                                     std::optional<SignedInstaller>& installer) {
  // The fields as the check takes them: the text without the blanks at its ends.
  const std::u16string text = TrimBlanks(body);
  std::size_t fifth = text.find(u'#');
  for (int i = 1; i < 5 && fifth != std::u16string::npos; ++i) fifth = text.find(u'#', fifth + 1);
  if (fifth == std::u16string::npos) return SignatureCheck::kMissing;
  const std::u16string_view field = std::u16string_view(text).substr(fifth + 1);
  if (field.empty()) return SignatureCheck::kMissing;
  const std::optional<Record> record = ReadRecord(field);
  if (!record) return SignatureCheck::kMalformed;
  const P256PublicKey key(releaseKey);
  if (!key.Verifies(SignedMessage(std::u16string_view(text).substr(0, fifth), record->installer),
                    record->signature)) {
    return SignatureCheck::kNotVerified;
  }
  installer = record->installer;
  return SignatureCheck::kVerified;
}

}  // namespace larkspan
