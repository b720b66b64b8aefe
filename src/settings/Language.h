#pragma once
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace larkspan {

inline constexpr int kLangTextCount = 1401;

// The value under the product's language setting key (kLangSettingKeyPath) that names the
// language file.
inline constexpr char16_t kLangSettingValueName[] = u"Default Language";

// The file used when the setting is missing or unreadable.
inline constexpr char16_t kDefaultLangFileName[] = u"English.lng";

// Translators send their files here; every language file names it in its header.
inline constexpr char16_t kTranslationsMail[] = u"translations@quillmere.example";

// The user-interface texts, by number, 0 to 1400, all empty at start. Entries 1 to 1400 come
// from the language file; entry 0 stays empty.
class LangTable {
 public:
  LangTable();
  // Both throw Failure(kSubscriptOutOfRange) for an index outside 0 to 1400.
  const std::u16string& operator[](int index) const;
  void Set(int index, std::u16string text);

 private:
  std::vector<std::u16string> texts_;
};

// The text that entry 0 of a language file must carry for the file to count as valid.
extern const std::u16string LangFileHeader;

// Reads the language file at `path` into `langText`. 0 when the file was read and carried the
// right header; 1 otherwise. Entries read before a failure stay set.
std::int16_t LoadLanguageFile(const std::u16string& path, LangTable& langText);

// Reads the language setting, loads the file of that name in the Lang folder beside the program
// (English.lng when the setting is missing), and shows entry 439 as a critical message when
// the file is unusable.
void LoadLanguage(const std::filesystem::path& programFolder, LangTable& langText,
                  std::u16string& langFileName);

}  // namespace larkspan
