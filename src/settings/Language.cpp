#include "settings/Language.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "Product.h"
#include "base/Failure.h"
#include "base/Runtime.h"
#include "os/CodePage.h"
#include "os/Paths.h"
#include "settings/AdvancedRegistryCM.h"
#include "text/AsciiText.h"
#include "text/NumberText.h"

namespace larkspan {
namespace {

constexpr int kHeaderEntry = 0;
constexpr int kLastEntry = kLangTextCount - 1;
constexpr int kLoadFailedEntry = 439;

// Shown when even entry 439 is missing, which is the case whenever no file could be read.
constexpr char16_t kLoadFailedText[] = u"The language file could not be loaded.";

void CheckIndex(int index) {
  if (index < 0 || index > kLastEntry) {
    throw Failure(kSubscriptOutOfRange, "language entry " + std::to_string(index) +
                                            " is outside 0 to " + std::to_string(kLastEntry));
  }
}

// One line: it ends at a carriage return, which may be followed by a line feed. A line feed
// on its own belongs to the line. False when the file has no more lines.
bool ReadLine(std::istream& file, std::string& line) {
  line.clear();
  int c = file.get();
  if (c == EOF) return false;
  for (; c != EOF && c != '\r'; c = file.get()) line.push_back(static_cast<char>(c));
  if (c == '\r' && file.peek() == '\n') file.get();
  return true;
}

void ReadEntry(const std::u16string& line, std::u16string& header, LangTable& langText) {
  if (!line.empty() && line.front() == u';') return;
  if (TrimBlanks(line).empty()) return;
  // A number too big for 16 bits lies outside the table anyway: the line is ignored.
  const auto number = RoundToInt16(LeadingNumber(std::u16string_view(line).substr(0, 4)));
  if (!number) return;
  std::u16string text = line.size() > 4 ? line.substr(4) : std::u16string();
  std::replace(text.begin(), text.end(), u'_', u'\r');
  text = TrimBlanks(text);
  if (*number == kHeaderEntry) {
    header = std::move(text);
  } else if (*number > 0 && *number <= kLastEntry) {
    langText.Set(*number, std::move(text));
  }
}

// The file of that name in `folder`. Names are compared without regard to the case of their
// letters when no file has the exact name, as on the case-blind file system of the product's
// home platform: a setting of "english.lng" finds English.lng.
std::filesystem::path FindLanguageFile(const std::filesystem::path& folder,
                                       const std::u16string& name) {
  std::filesystem::path exact = folder / name;
  std::error_code error;
  if (std::filesystem::exists(exact, error)) return exact;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
    if (EqualsIgnoringAsciiCase(entry.path().filename().u16string(), name)) return entry.path();
  }
  return exact;
}

// False for a name with a path separator, a drive ("C:") or a root, and for "..".
bool StaysInFolder(std::u16string_view name) {
  const bool drive = name.size() >= 2 && name[1] == u':' && AsciiLowerUnit(name[0]) >= u'a' &&
                     AsciiLowerUnit(name[0]) <= u'z';
  return name.find_first_of(u"/\\") == std::u16string_view::npos && !drive && name != u"..";
}

}  // namespace

const std::u16string LangFileHeader =
    std::u16string(
        u"QUILLMERE File LANGUAGE ENGINE VERSION 1.3 ==After translating, please send "
        u"the new language file to ") +
    kTranslationsMail + u", and you'll get a free license.";

LangTable::LangTable() : texts_(kLangTextCount) {}

const std::u16string& LangTable::operator[](int index) const {
  CheckIndex(index);
  return texts_[index];
}

void LangTable::Set(int index, std::u16string text) {
  CheckIndex(index);
  texts_[index] = std::move(text);
}

std::int16_t LoadLanguageFile(const std::u16string& path, LangTable& langText) {
  // Only a plain file is a language file: a folder, a device, and on Windows a hidden or system
  // file of that name count as missing.
  if (path.empty() || !IsNormalFile(std::filesystem::path(path))) return 1;
  std::ifstream file(std::filesystem::path(path), std::ios::binary);
  if (!file) return 1;
  std::u16string header;
  bool failed = false;
  try {
    std::string line;
    while (ReadLine(file, line)) ReadEntry(ToWide(line), header, langText);
    failed = file.bad();
  } catch (const Failure&) {
    failed = true;  // what was read so far stays in the table
  }
  return failed || header != LangFileHeader ? 1 : 0;
}

void LoadLanguage(const std::filesystem::path& programFolder, LangTable& langText,
                  std::u16string& langFileName) {
  {
    AdvancedRegistryCM registry;
    langFileName =
        registry.GetStringValue(kLangSettingKeyPath, kLangSettingValueName).value_or(u"");
  }
  // "Error" is what the registry class answers when the setting cannot be read.
  if (langFileName.empty() || AsciiLower(langFileName) == u"error") {
    langFileName = kDefaultLangFileName;
  }
  // A setting that would lead out of the Lang folder names no language file: it is missing.
  const std::u16string file =
      StaysInFolder(langFileName)
          ? FindLanguageFile(programFolder / "Lang", langFileName).u16string()
          : u"";
  if (LoadLanguageFile(file, langText) != 0) {
    std::u16string prompt = langText[kLoadFailedEntry];
    MsgBox(prompt.empty() ? kLoadFailedText : prompt, kMsgCritical, kAppTitle);
  }
}

}  // namespace larkspan
