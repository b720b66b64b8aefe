#include "os/CodePage.h"

#include <iconv.h>
#include <langinfo.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

namespace larkspan {
namespace {

// The locale's character set, unless it is UTF-8 or plain ASCII (then empty: use UTF-8).
std::string LegacyCharset() {
  const char* codeset = nl_langinfo(CODESET);
  if (codeset == nullptr || *codeset == '\0') return {};
  std::string name(codeset);
  if (name == "UTF-8" || name == "utf8" || name == "ANSI_X3.4-1968" || name == "ASCII") return {};
  return name;
}

// Size of the input unit that iconv could not convert: one byte of a narrow text, one UTF-16
// code unit, or a whole surrogate pair.
size_t UnconvertibleUnit(const char* from, const char* src, size_t srcLeft) {
  if (std::strcmp(from, "UTF-16LE") != 0) return 1;
  auto unit = [&](size_t at) {
    return static_cast<char16_t>(static_cast<unsigned char>(src[at]) |
                                 static_cast<unsigned char>(src[at + 1]) << 8);
  };
  if (srcLeft >= 4 && unit(0) >= 0xD800 && unit(0) <= 0xDBFF && unit(2) >= 0xDC00 &&
      unit(2) <= 0xDFFF) {
    return 4;
  }
  return 2;
}

// Converts with iconv, or returns false when the character set is not available. Input that
// cannot be converted becomes `replacement`, already encoded in the target set.
bool IconvConvert(const char* to, const char* from, const char* in, size_t inBytes,
                  std::string_view replacement, std::string& out) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  std::vector<char> buffer(inBytes * 4 + 16);
  char* src = const_cast<char*>(in);
  size_t srcLeft = inBytes;
  while (srcLeft > 0) {
    char* dst = buffer.data();
    size_t dstLeft = buffer.size();
    size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    out.append(buffer.data(), buffer.size() - dstLeft);
    if (r == static_cast<size_t>(-1) && errno != E2BIG) {
      // Skip one unconvertible input unit and go on.
      size_t skip = std::min(UnconvertibleUnit(from, src, srcLeft), srcLeft);
      src += skip;
      srcLeft -= skip;
      out.append(replacement);
    }
  }
  iconv_close(cd);
  return true;
}

}  // namespace

std::u16string ToWide(std::string_view narrow) {
  std::string charset = LegacyCharset();
  std::string utf16;
  if (!charset.empty() && IconvConvert("UTF-16LE", charset.c_str(), narrow.data(), narrow.size(),
                                       std::string_view("\xFD\xFF", 2), utf16)) {
    std::u16string out(utf16.size() / 2, u'\0');
    std::memcpy(out.data(), utf16.data(), out.size() * 2);
    return out;
  }
  return FromUtf8(narrow);
}

std::string ToNarrow(std::u16string_view wide) {
  std::string charset = LegacyCharset();
  std::string out;
  if (!charset.empty() &&
      IconvConvert(charset.c_str(), "UTF-16LE", reinterpret_cast<const char*>(wide.data()),
                   wide.size() * 2, "?", out)) {
    return out;
  }
  return ToUtf8(wide);
}

}  // namespace larkspan
