// The Windows code-page and shell services, and the language files' test. (The program's
// folder and whether a path exists: the journeys of larkspan.exe; the target file: the saved
// file's tests of the download window.)
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <fstream>

#include "os/CodePage.h"
#include "os/Shell.h"
#include "settings/Language.h"

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
