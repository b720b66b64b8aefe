// The Windows code-page, target-file and shell services, and the language files' test. (The
// program's folder and whether a path exists: the journeys of larkspan.exe.)
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "base/Failure.h"
#include "base/Runtime.h"
#include "os/CodePage.h"
#include "os/Shell.h"
#include "os/TargetFile.h"
#include "settings/Language.h"
#include "text/NumberText.h"

namespace larkspan {
namespace {

namespace fs = std::filesystem;

TEST(OsServicesTest, TextsMeetTheAnsiCodePageWithQuestionMarks) {
  ASSERT_EQ(GetACP(), 1252u) << "the cases below are of the Western code page";
  EXPECT_EQ(ToWide("Fran\347ais \200"), u"Fran\u00e7ais \u20ac");
  EXPECT_EQ(ToNarrow(u"Fran\u00e7ais \u20ac"), "Fran\347ais \200");
  // No look-alike "a"; a character beyond 16 bits is two units, and two marks.
  EXPECT_EQ(ToNarrow(u"\u0101 \u4e2d \U0001F600"), "? ? ??");
}

TEST(OsServicesTest, TargetFileIsReplacedAndWrittenOutByTheProgramsEnd) {
  const fs::path folder = fs::temp_directory_path() / L"larkspan \u4e2d";
  fs::create_directories(folder);
  const fs::path path = folder / L"setup.exe";
  std::ofstream(folder / L"setup.exe") << "an older and longer file";
  TargetFile file;
  file.Open(path);
  file.Append(reinterpret_cast<const std::uint8_t*>("abc"), 3);
  file.Append(reinterpret_cast<const std::uint8_t*>("de"), 2);
  RunProgramEndHooks();  // as the program's end does, with the file still open
  std::ifstream written(folder / L"setup.exe", std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(written), {}), "abcde");
  file.Close();
  EXPECT_FALSE(file.IsOpen());
  try {
    file.Open(folder / L"missing" / L"setup.exe");
    ADD_FAILURE() << "opened a file in a missing folder";
  } catch (const Failure& failure) {
    EXPECT_EQ(failure.Code(), kPathNotFound);
  }
  written.close();
  fs::remove_all(folder);
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
  std::pair<LCTYPE, std::wstring> settings[] = {{LOCALE_SDECIMAL, L","},
                                                {LOCALE_STHOUSAND, L"."},
                                                {LOCALE_SMONDECIMALSEP, L"."},
                                                {LOCALE_SMONTHOUSANDSEP, L"."}};
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
