#include "settings/LangM.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <memory>

#include "platform/CodePage.h"
#include "platform/Failure.h"
#include "platform/Ui.h"
#include "settings/AdvancedRegistryCM.h"
#include "toolkit/NumberText.h"

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

// Only a regular file is a language file: a folder or a device of that name counts as missing.
bool IsNormalFile(const std::u16string& path) {
  struct stat info;
  return stat(ToNarrow(path).c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

// One line: it ends at a carriage return, which may be followed by a line feed. A line feed
// on its own belongs to the line. False when the file has no more lines.
bool ReadLine(std::FILE* file, std::string& line) {
  line.clear();
  int c = std::getc(file);
  if (c == EOF) return false;
  for (; c != EOF && c != '\r'; c = std::getc(file)) line.push_back(static_cast<char>(c));
  if (c == '\r') {
    int next = std::getc(file);
    if (next != '\n' && next != EOF) std::ungetc(next, file);
  }
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

std::u16string AsciiLower(std::u16string text) {
  for (char16_t& c : text) {
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c + 32);
  }
  return text;
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
  if (path.empty() || !IsNormalFile(path)) return 1;
  FileHandle file(std::fopen(ToNarrow(path).c_str(), "rb"));
  if (!file) return 1;
  std::u16string header;
  bool failed = false;
  try {
    std::string line;
    while (ReadLine(file.get(), line)) ReadEntry(ToWide(line), header, langText);
    failed = std::ferror(file.get()) != 0;
  } catch (const std::exception&) {
    failed = true;  // what was read so far stays in the table
  }
  return failed || header != LangFileHeader ? 1 : 0;
}

void LoadLanguage(const std::u16string& programFolder, LangTable& langText,
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
  if (LoadLanguageFile(programFolder + u"/Lang/" + langFileName, langText) != 0) {
    std::u16string prompt = langText[kLoadFailedEntry];
    MsgBox(prompt.empty() ? kLoadFailedText : prompt, kMsgCritical, kAppTitle);
  }
}

}  // namespace larkspan
