// The Windows code-page, shell and locale services, the language files' test, and the registry
// class on the system's own registry, checked against reg.exe. (That the language setting is
// read from Vantrel's key, the program's folder and whether a path exists: the journeys of
// larkspan.exe; the target file: the saved file's tests of the download window.)
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "os/CodePage.h"
#include "os/Shell.h"
#include "settings/AdvancedRegistryCM.h"
#include "settings/Language.h"
#include "text/NumberText.h"

namespace larkspan {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

constexpr char16_t kKey[] = u"HKEY_CURRENT_USER\\Software\\Quillmere\\Larkspan Test";
constexpr wchar_t kRegKey[] = L"\"HKCU\\Software\\Quillmere\\Larkspan Test\"";

// Runs reg.exe with these arguments; returns what it printed.
std::string Reg(const std::wstring& arguments) {
  std::FILE* pipe = _wpopen((L"reg.exe " + arguments + L" 2>nul").c_str(), L"r");
  std::string output;
  for (int c; pipe != nullptr && (c = std::fgetc(pipe)) != EOF;) output += static_cast<char>(c);
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
  EXPECT_EQ(registry.GetStringValue(kKey, u"Value"), u"Error");  // no such value yet
  // Values read back up to 254 characters, in the ANSI code page.
  for (const auto& [stored, read] :
       {std::pair{std::u16string(254, u'x'), std::u16string(254, u'x')},
        {std::u16string(255, u'x'), u"Error"s},
        {u"Fran\u00e7ais.lng"s, u"Fran\u00e7ais.lng"s}}) {
    ASSERT_TRUE(registry.SetStringValue(kKey, u"Value", stored));
    EXPECT_EQ(registry.GetStringValue(kKey, u"Value"), read) << stored.size();
  }
  EXPECT_FALSE(registry.DeleteKey(kKey));  // it still has a subkey
  EXPECT_TRUE(registry.DeleteKey(kKey + u"\\Sub"s));
  EXPECT_TRUE(registry.DeleteKey(kKey));
  EXPECT_EQ(Reg(L"query "s + kRegKey).find("Deutsch.lng"), std::string::npos);
}

TEST(OsServicesTest, TextsMeetTheAnsiCodePageWithQuestionMarks) {
  ASSERT_EQ(GetACP(), 1252u) << "the cases below are of the Western code page";
  EXPECT_EQ(ToWide("Fran\347ais \200"), u"Fran\u00e7ais \u20ac");
  EXPECT_EQ(ToNarrow(u"Fran\u00e7ais \u20ac"), "Fran\347ais \200");
  // No look-alike "a"; a character beyond 16 bits is two units, and two marks.
  EXPECT_EQ(ToNarrow(u"\u0101 \u4e2d \U0001F600"), "? ? ??");
}

// The language engine takes a hidden or a system file for a missing one.
TEST(OsServicesTest, HiddenAndSystemFilesAreNoLanguageFiles) {
  const fs::path file = fs::temp_directory_path() / L"larkspan-test.lng";
  std::ofstream(file, std::ios::binary) << "0000 " << ToNarrow(LangFileHeader) << "\r\n0001 One";
  for (const DWORD attribute :
       {FILE_ATTRIBUTE_HIDDEN, FILE_ATTRIBUTE_SYSTEM, FILE_ATTRIBUTE_NORMAL}) {
    ASSERT_TRUE(SetFileAttributesW(file.c_str(), attribute));
    const bool normal = attribute == FILE_ATTRIBUTE_NORMAL;
    LangTable table;
    EXPECT_EQ(LoadLanguageFile(file.u16string(), table), normal ? 0 : 1) << attribute;
    EXPECT_EQ(table[1], normal ? u"One" : u"");
  }
  fs::remove(file);
}

// The decimal separator is the user's number setting, not the currency's: both set as the
// Control Panel sets them, before the program's first number (it reads the setting once), and
// put back.
TEST(OsServicesTest, TheUsersNumberSettingGivesTheDecimalSeparator) {
  // clang-format off
  std::pair<LCTYPE, std::wstring> settings[] = {{LOCALE_SDECIMAL, L","}, {LOCALE_STHOUSAND, L"."},
                                                {LOCALE_SMONDECIMALSEP, L"."}, {LOCALE_SMONTHOUSANDSEP, L"."}};
  // clang-format on
  for (auto& [type, value] : settings) {
    wchar_t was[8] = L"";
    GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, type, was, 8);
    EXPECT_TRUE(SetLocaleInfoW(LOCALE_USER_DEFAULT, type, value.c_str()));
    value = was;
  }
  EXPECT_EQ(NumberToText(9.9), u"9,9");
  for (const auto& [type, was] : settings) SetLocaleInfoW(LOCALE_USER_DEFAULT, type, was.c_str());
}

// With no parameters the file's default verb: Wine runs an installer with any verb, Windows not.
TEST(OsServicesTest, ShellOpensAFileWithItsDefaultVerb) {
  std::vector<std::string> call;
  SetShellLauncher([&](const std::vector<std::string>& argv) { call = argv; });
  ShellOpen(u"C:\\Zo\u00eb\\setup.exe", u"");
  SetShellLauncher(nullptr);
  EXPECT_EQ(call, (std::vector<std::string>{"ShellExecuteW", "C:\\Zo\xc3\xab\\setup.exe", "", ""}));
}

}  // namespace
}  // namespace larkspan
