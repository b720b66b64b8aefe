#include "platform/CodePage.h"

#include <iconv.h>
#include <langinfo.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

namespace larkspan {
namespace {

constexpr char16_t kReplacement = 0xFFFD;

void AppendUtf16(std::u16string& out, char32_t c) {
  if (c >= 0x10000) {
    c -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
  } else {
    out.push_back(static_cast<char16_t>(c));
  }
}

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

std::u16string FromUtf8(std::string_view s) {
  std::u16string out;
  out.reserve(s.size());
  size_t i = 0;
  while (i < s.size()) {
    unsigned char b = static_cast<unsigned char>(s[i]);
    if (b < 0x80) {
      out.push_back(b);
      ++i;
      continue;
    }
    int extra = b >= 0xF0 && b <= 0xF4  ? 3
                : b >= 0xE0 && b < 0xF0 ? 2
                : b >= 0xC2 && b < 0xE0 ? 1
                                        : -1;
    char32_t c = extra == 3 ? b & 0x07 : extra == 2 ? b & 0x0F : b & 0x1F;
    bool ok = extra > 0 && i + extra < s.size();
    if (ok) {
      for (int k = 1; k <= extra; ++k) {
        unsigned char cb = static_cast<unsigned char>(s[i + k]);
        if ((cb & 0xC0) != 0x80) {
          ok = false;
          break;
        }
        c = (c << 6) | (cb & 0x3F);
      }
    }
    // Overlong forms, surrogates and values past U+10FFFF are not valid UTF-8.
    if (ok && ((extra == 2 && c < 0x800) || (extra == 3 && (c < 0x10000 || c > 0x10FFFF)) ||
               (c >= 0xD800 && c <= 0xDFFF))) {
      ok = false;
    }
    if (ok) {
      AppendUtf16(out, c);
      i += extra + 1;
    } else {
      out.push_back(kReplacement);
      ++i;
    }
  }
  return out;
}

std::string ToUtf8(std::u16string_view w) {
  std::string out;
  out.reserve(w.size());
  for (size_t i = 0; i < w.size(); ++i) {
    char32_t c = w[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < w.size() && w[i + 1] >= 0xDC00 &&
        w[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (w[i + 1] - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = kReplacement;
    }
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (c >> 6)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (c >> 12)));
      out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (c >> 18)));
      out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
  }
  return out;
}

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
