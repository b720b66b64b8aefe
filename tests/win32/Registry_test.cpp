// The registry class on the system's own registry, checked against reg.exe from both sides.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "os/CodePage.h"
#include "settings/AdvancedRegistryCM.h"
#include "settings/Language.h"

namespace larkspan {
namespace {

using namespace std::string_literals;

constexpr char16_t kKey[] = u"HKEY_CURRENT_USER\\Software\\Quillmere\\Larkspan Test";
constexpr wchar_t kRegKey[] = L"\"HKCU\\Software\\Quillmere\\Larkspan Test\"";

// Runs reg.exe with these arguments; returns what it printed.
std::string Reg(const std::wstring& arguments) {
  std::FILE* pipe = _wpopen((L"reg.exe " + arguments + L" 2>nul").c_str(), L"r");
  std::string output;
  for (int c; pipe != nullptr && (c = std::fgetc(pipe)) != EOF;) {
    output.push_back(static_cast<char>(c));
  }
  if (pipe != nullptr) _pclose(pipe);
  return output;
}

class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override { Reg(L"delete "s + kRegKey + L" /f"); }
  AdvancedRegistryCM registry;  // the user's registry, as the program opens it
};

TEST_F(RegistryTest, RegExeSeesWhatTheClassWroteAndValuesReadBackUpTo254Characters) {
  ASSERT_TRUE(registry.CreateKey(kKey + u"\\Sub"s));
  ASSERT_TRUE(registry.SetStringValue(kKey, u"Default Language", u"Deutsch.lng"));
  const std::string listing = Reg(L"query "s + kRegKey);
  EXPECT_NE(listing.find("Default Language    REG_SZ    Deutsch.lng"), std::string::npos)
      << listing;
  EXPECT_NE(listing.find("Larkspan Test\\Sub"), std::string::npos) << listing;
  // Values read back up to 254 characters; leading blanks are trimmed before the cut.
  for (const auto& [stored, read] :
       {std::pair{std::u16string(254, u'x'), std::u16string(254, u'x')},
        {std::u16string(255, u'x'), u"Error"s},
        {u"  lead"s, u"lead\0"s}}) {
    ASSERT_TRUE(registry.SetStringValue(kKey, u"Value", stored));
    EXPECT_EQ(registry.GetStringValue(kKey, u"Value"), read) << stored.size();
  }
  EXPECT_FALSE(registry.DeleteKey(kKey));  // it still has a subkey
  EXPECT_TRUE(registry.DeleteKey(kKey + u"\\Sub"s));
  EXPECT_TRUE(registry.DeleteKey(kKey));
  EXPECT_EQ(Reg(L"query "s + kRegKey).find("Deutsch.lng"), std::string::npos);
}

// Vantrel's language setting, written from its key path spelled out here, names the file that
// the language is loaded from; without it the program takes English.lng.
TEST(LanguageSetting, NamesTheFileLoadedFromTheLangFolder) {
  const std::wstring key =
      L"\"HKCU\\Software\\Quillmere\\Vantrel 2009\\"
      L"{KTD270391-KLP0198273645-KPID3917264-MTD090471-MLP0178264519-MPID3926618}\"";
  const std::filesystem::path folder = std::filesystem::temp_directory_path() / L"larkspan-lang";
  std::filesystem::create_directories(folder / L"Lang");
  std::ofstream(folder / L"Lang" / L"Fran\u00e7ais.lng", std::ios::binary)
      << "0000 " << ToNarrow(LangFileHeader) << "\r\n0001 Fran\347ais\r\n";
  Reg(L"add " + key + L" /v \"Default Language\" /d Fran\u00e7ais.lng /f");
  LangTable table;
  std::u16string named, unset;
  LoadLanguage(folder, table, named);
  Reg(L"delete " + key + L" /f");  // the journeys of larkspan.exe in this prefix want none
  LoadLanguage(folder, table, unset);
  std::filesystem::remove_all(folder);
  EXPECT_EQ(named, u"Fran\u00e7ais.lng");
  EXPECT_EQ(table[1], u"Fran\u00e7ais");
  EXPECT_EQ(unset, u"English.lng");
}

}  // namespace
}  // namespace larkspan
