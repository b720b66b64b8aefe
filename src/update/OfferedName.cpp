#include "update/OfferedName.h"

#include "text/AsciiText.h"

namespace larkspan {
namespace {

constexpr std::size_t kMaxLength = 200;

bool CannotStandInAName(char16_t c) {
  return c < 0x20 || (c >= 0x7F && c <= 0x9F) ||
         std::u16string_view(u"\\/:*?\"<>|").find(c) != std::u16string_view::npos;
}

bool IsDotOrBlank(char16_t c) {
  return c == u'.' || c == u' ';
}

void TrimEnd(std::u16string& name) {
  while (!name.empty() && IsDotOrBlank(name.back())) name.pop_back();
}

// Windows opens the device, not a file, for these names whatever extension follows them, and
// also with blanks before the extension ("NUL .txt").
bool IsDeviceName(std::u16string_view name) {
  std::u16string_view stem = name.substr(0, name.find(u'.'));
  while (!stem.empty() && stem.back() == u' ') stem.remove_suffix(1);
  for (const std::u16string_view device : {u"CON", u"PRN", u"AUX", u"NUL"}) {
    if (EqualsIgnoringAsciiCase(stem, device)) return true;
  }
  return stem.size() == 4 && stem[3] >= u'1' && stem[3] <= u'9' &&
         (EqualsIgnoringAsciiCase(stem.substr(0, 3), u"COM") ||
          EqualsIgnoringAsciiCase(stem.substr(0, 3), u"LPT"));
}

// Cuts the part before the extension so that the whole fits; an extension that leaves no room
// for anything before it is cut with the rest. A character made of two units stays whole.
void CutToMaxLength(std::u16string& name) {
  if (name.size() <= kMaxLength) return;
  const std::size_t dot = name.rfind(u'.');
  std::size_t extension = dot == std::u16string::npos ? 0 : name.size() - dot;  // with its dot
  if (extension + 2 > kMaxLength) extension = 0;
  std::size_t keep = kMaxLength - extension;
  if (name[keep - 1] >= 0xD800 && name[keep - 1] <= 0xDBFF) --keep;
  name.erase(keep, name.size() - keep - extension);
  TrimEnd(name);
}

}  // namespace

std::u16string OfferedFileName(std::u16string_view lastPart) {
  std::u16string name(lastPart);
  for (char16_t& c : name) {
    if (CannotStandInAName(c)) c = u'_';
  }
  name.erase(0, name.find_first_not_of(u". "));
  TrimEnd(name);
  CutToMaxLength(name);
  // The device check comes after the cut, which may bring a device name before the extension;
  // the "_" may then need one more cut, which cannot make another.
  if (IsDeviceName(name)) {
    name.insert(0, 1, u'_');
    CutToMaxLength(name);
  }
  return name;
}

}  // namespace larkspan
