#include "update/OfferedName.h"

#include <algorithm>
#include <utility>

#include "text/AsciiText.h"

namespace larkspan {
namespace {

constexpr std::size_t kMaxUnits = 200;

using Range = std::pair<char32_t, char32_t>;

// General category Cf of Unicode 14.0.0, as Python's unicodedata module gives it (Python 3.11
// of Debian 12): the ranges of [c for c in range(0x110000) if unicodedata.category(chr(c)) ==
// "Cf"]. Then the line and paragraph separators (Zl, Zp).
constexpr Range kInvisibleControls[] = {
    {0xAD, 0xAD},       {0x600, 0x605},     {0x61C, 0x61C},     {0x6DD, 0x6DD},
    {0x70F, 0x70F},     {0x890, 0x891},     {0x8E2, 0x8E2},     {0x180E, 0x180E},
    {0x200B, 0x200F},   {0x202A, 0x202E},   {0x2060, 0x2064},   {0x2066, 0x206F},
    {0xFEFF, 0xFEFF},   {0xFFF9, 0xFFFB},   {0x110BD, 0x110BD}, {0x110CD, 0x110CD},
    {0x13430, 0x13438}, {0x1BCA0, 0x1BCA3}, {0x1D173, 0x1D17A}, {0xE0001, 0xE0001},
    {0xE0020, 0xE007F}, {0x2028, 0x2029}};

// General category Zs of the same data: the blanks, which a name neither begins nor ends with.
constexpr Range kBlanks[] = {{0x20, 0x20},     {0xA0, 0xA0},     {0x1680, 0x1680}, {0x2000, 0x200A},
                             {0x202F, 0x202F}, {0x205F, 0x205F}, {0x3000, 0x3000}};

template <std::size_t N>
bool InRanges(const Range (&ranges)[N], char32_t c) {
  return std::any_of(std::begin(ranges), std::end(ranges),
                     [c](const Range& r) { return c >= r.first && c <= r.second; });
}

bool IsHighSurrogate(char32_t c) {
  return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLowSurrogate(char32_t c) {
  return c >= 0xDC00 && c <= 0xDFFF;
}

// A surrogate here is one without its pair: it is no character at all.
bool CannotStandInAName(char32_t c) {
  return c < 0x20 || (c >= 0x7F && c <= 0x9F) || (c >= 0xD800 && c <= 0xDFFF) ||
         std::u16string_view(u"\\/:*?\"<>|").find(static_cast<char16_t>(c)) !=
             std::u16string_view::npos ||
         IsInvisibleControl(c);
}

bool IsDotOrBlank(char16_t c) {
  return c == u'.' || InRanges(kBlanks, c);
}

void TrimEnd(std::u16string& name) {
  while (!name.empty() && IsDotOrBlank(name.back())) name.pop_back();
}

// Each character that cannot stand in a name becomes one "_", a pair of surrogates included.
std::u16string ReplaceWhatCannotStand(std::u16string_view text) {
  std::u16string name;
  for (std::size_t i = 0; i < text.size();) {
    const auto [c, width] = CharacterAt(text, i);
    if (CannotStandInAName(c)) {
      name += u'_';
    } else {
      name.append(text.substr(i, width));
    }
    i += width;
  }
  return name;
}

// Windows opens the device, not a file, for these names whatever extension follows them, and
// also with blanks before the extension ("NUL .txt").
bool IsDeviceName(std::u16string_view name) {
  std::u16string_view stem = name.substr(0, name.find(u'.'));
  while (!stem.empty() && stem.back() == u' ') stem.remove_suffix(1);
  for (const std::u16string_view device :
       {u"CON", u"PRN", u"AUX", u"NUL", u"CONIN$", u"CONOUT$", u"CLOCK$"}) {
    if (EqualsIgnoringAsciiCase(stem, device)) return true;
  }
  return stem.size() == 4 &&
         std::u16string_view(u"123456789\u00B9\u00B2\u00B3").find(stem[3]) !=
             std::u16string_view::npos &&
         (EqualsIgnoringAsciiCase(stem.substr(0, 3), u"COM") ||
          EqualsIgnoringAsciiCase(stem.substr(0, 3), u"LPT"));
}

// Bytes of UTF-8 for each unit: a surrogate is half of a four-byte character.
std::size_t Utf8Bytes(char16_t unit) {
  return unit < 0x80 ? 1 : unit < 0x800 ? 2 : (unit >= 0xD800 && unit <= 0xDFFF) ? 2 : 3;
}

std::size_t Utf8Bytes(std::u16string_view text) {
  std::size_t bytes = 0;
  for (const char16_t unit : text) bytes += Utf8Bytes(unit);
  return bytes;
}

// Cuts the part before the extension, a character at a time from its end, until the whole
// fits in both measures; an extension that leaves no room for a character before it is cut
// with the rest.
void CutToFit(std::u16string& name, std::size_t maxBytes) {
  std::size_t units = name.size(), bytes = Utf8Bytes(name);
  if (units <= kMaxUnits && bytes <= maxBytes) return;
  std::size_t extension = 0;  // with its dot
  if (const std::size_t dot = name.rfind(u'.'); dot != std::u16string::npos) {
    const std::u16string_view kept = std::u16string_view(name).substr(dot);
    if (kept.size() + 2 <= kMaxUnits && Utf8Bytes(kept) + 4 <= maxBytes) extension = kept.size();
  }
  std::size_t keep = name.size() - extension;
  while (keep > 0 && (units > kMaxUnits || bytes > maxBytes)) {
    const std::size_t width =
        keep >= 2 && IsLowSurrogate(name[keep - 1]) && IsHighSurrogate(name[keep - 2]) ? 2 : 1;
    keep -= width;
    units -= width;
    bytes -= Utf8Bytes(std::u16string_view(name).substr(keep, width));
  }
  name.erase(keep, name.size() - extension - keep);
  TrimEnd(name);
}

}  // namespace

bool IsInvisibleControl(char32_t c) {
  return InRanges(kInvisibleControls, c);
}

std::pair<char32_t, std::size_t> CharacterAt(std::u16string_view text, std::size_t at) {
  const char32_t c = text[at];
  if (IsHighSurrogate(c) && at + 1 < text.size() && IsLowSurrogate(text[at + 1])) {
    return {0x10000 + ((c - 0xD800) << 10) + (text[at + 1] - 0xDC00), 2};
  }
  return {c, 1};
}

std::u16string OfferedFileName(std::u16string_view lastPart, std::size_t maxUtf8Bytes) {
  std::u16string name = ReplaceWhatCannotStand(lastPart);
  const auto first = std::find_if_not(name.begin(), name.end(), IsDotOrBlank);
  name.erase(name.begin(), first);
  TrimEnd(name);
  CutToFit(name, maxUtf8Bytes);
  // The device check comes after the cut, which may bring a device name before the extension;
  // the "_" may then need one more cut, which cannot make another.
  if (IsDeviceName(name)) {
    name.insert(0, 1, u'_');
    CutToFit(name, maxUtf8Bytes);
  }
  return name;
}

}  // namespace larkspan
