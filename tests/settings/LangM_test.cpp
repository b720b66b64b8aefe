#include "settings/LangM.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "SettingsTestFolder.h"
#include "platform/CodePage.h"
#include "platform/Failure.h"
#include "platform/Ui.h"
#include "settings/AdvancedRegistryCM.h"
#include "support/HeadlessBackend.h"

namespace larkspan {
namespace {

using namespace std::string_literals;

// The entries that the windows show.
constexpr int kWindowEntries[] = {24,   108,  168,  334,  439,  578,  717,  1045, 1047, 1048, 1099,
                                  1100, 1107, 1110, 1111, 1112, 1133, 1141, 1144, 1148, 1149, 1150,
                                  1151, 1152, 1154, 1156, 1157, 1158, 1159, 1160, 1161, 1162, 1284};

std::string HeaderLine() {
  return "0000 " + ToUtf8(LangFileHeader) + "\r\n";
}

class LangFileTest : public ::testing::Test {
 protected:
  std::int16_t Load(const std::string& bytes) {
    test::SettingsTestFolder::WriteBytes(File(), bytes);
    return LoadLanguageFile(FromUtf8(File().string()), table);
  }
  std::filesystem::path File() const { return folder.Root() / "Lang/Test.lng"; }

  test::SettingsTestFolder folder;
  LangTable table;
};

TEST_F(LangFileTest, LinesEndAtCarriageReturns) {
  EXPECT_EQ(Load(HeaderLine() + "0001 one\r0002 two\n0003 three\r\n0004 four"), 0);
  EXPECT_EQ(table[1], u"one");
  EXPECT_EQ(table[2], u"two\n0003 three");  // a lone line feed stays inside the line
  EXPECT_EQ(table[3], u"");
  EXPECT_EQ(table[4], u"four");

  table = LangTable();  // line feeds alone: one single line, read as a header that fails
  EXPECT_EQ(Load(HeaderLine().substr(0, HeaderLine().size() - 2) + "\n0001 one\n0002 two\n"), 1);
  EXPECT_EQ(table[1], u"");
}

TEST_F(LangFileTest, EntryLines) {
  struct Case {
    const char* line;
    int entry;
    std::u16string text;
  } cases[] = {
      {"0012 Open_file", 12, u"Open\rfile"},
      {"0012", 12, u""},
      {"0012   padded text   ", 12, u"padded text"},
      {"12  x", 12, u"x"},
      {" 7  Seven", 7, u"Seven"},
      {"0012__a_ ", 12, u"\r\ra\r"},
      {"12.6Rounded", 13, u"Rounded"},
      {"1400 Last", 1400, u"Last"},
      {"0024 Fran\xc3\xa7"
       "ais",
       24, u"Fran\u00e7ais"},
  };
  for (const Case& c : cases) {
    table = LangTable();
    EXPECT_EQ(Load(HeaderLine() + c.line + "\r\n"), 0) << c.line;
    EXPECT_EQ(table[c.entry], c.text) << c.line;
  }
}

TEST_F(LangFileTest, IgnoredLines) {
  EXPECT_EQ(Load(HeaderLine() + "1401 Beyond\r\n-001 Negative\r\n;0005 Comment\r\n   \r\n\r\n" +
                 "9999 Beyond\r\n0005 Kept\r\n0005 Replaced\r\n"),
            0);
  EXPECT_EQ(table[5], u"Replaced");
  EXPECT_EQ(table[0], u"");  // the header is compared, never stored
  EXPECT_EQ(table[1400], u"");
  EXPECT_EQ(table[1], u"");
}

TEST_F(LangFileTest, TheLastHeaderLineDecides) {
  EXPECT_EQ(Load(HeaderLine() + "0001 one\r\nstray text\r\n0002 two\r\n"), 1);
  EXPECT_EQ(table[1], u"one");  // what was read stays
  EXPECT_EQ(table[2], u"two");
  EXPECT_EQ(Load("stray text\r\n" + HeaderLine() + "0001 one\r\n"), 0);
  EXPECT_EQ(Load("0000 quillmere file language engine version 1.3\r\n"), 1);
}

TEST_F(LangFileTest, MissingFilesFail) {
  EXPECT_EQ(LoadLanguageFile(u"", table), 1);
  EXPECT_EQ(LoadLanguageFile(FromUtf8((folder.Root() / "none.lng").string()), table), 1);
  EXPECT_EQ(LoadLanguageFile(FromUtf8(folder.Root().string()), table), 1);  // a folder
}

TEST(LangTable, IndexOutsideTheTableFails) {
  LangTable table;
  for (int index : {-1, 1401, 40000}) {
    EXPECT_THROW((void)table[index], Failure);
    try {
      table.Set(index, u"x");
      ADD_FAILURE() << index;
    } catch (const Failure& failure) {
      EXPECT_EQ(failure.Code(), kSubscriptOutOfRange);
    }
  }
  table.Set(1400, u"x");
  EXPECT_EQ(table[1400], u"x");
}

class LoadLanguageTest : public ::testing::Test {
 protected:
  void WriteLangFile(const std::string& name, const std::string& bytes) {
    test::SettingsTestFolder::WriteBytes(folder.Root() / "Lang" / name, bytes);
  }
  void SetSetting(const std::u16string& fileName) {
    AdvancedRegistryCM registry;
    ASSERT_TRUE(registry.CreateKey(kLangSettingKeyPath));
    ASSERT_TRUE(registry.SetStringValue(kLangSettingKeyPath, kLangSettingValueName, fileName));
  }
  void Run() { LoadLanguage(FromUtf8(folder.Root().string()), table, fileName); }

  test::SettingsTestFolder folder;
  test::HeadlessBackend ui;
  LangTable table;
  std::u16string fileName;
};

TEST_F(LoadLanguageTest, FallsBackToEnglish) {
  WriteLangFile("English.lng", HeaderLine() + "0001 English\r\n");
  for (std::u16string setting : {u"-"s, u""s, u"ERROR"s, u"eRrOr"s}) {
    if (setting != u"-") SetSetting(setting);  // "-": no setting at all
    table = LangTable();
    Run();
    EXPECT_EQ(fileName, u"English.lng") << test::Narrow(setting);
    EXPECT_EQ(table[1], u"English");
  }
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(LoadLanguageTest, ReadsTheFileTheSettingNamesExactly) {
  WriteLangFile("Deutsch.lng", HeaderLine() + "0001 Deutsch\r\n");
  SetSetting(u"Deutsch.lng");
  Run();
  EXPECT_EQ(fileName, u"Deutsch.lng");
  EXPECT_EQ(table[1], u"Deutsch");
  EXPECT_TRUE(ui.messages.empty());

  SetSetting(u"deutsch.lng");
  Run();
  EXPECT_EQ(fileName, u"deutsch.lng");
  ASSERT_EQ(ui.messages.size(), 1u);
}

TEST_F(LoadLanguageTest, UnusableFileShowsEntry439) {
  Run();  // no file at all: entry 439 is empty too
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_FALSE(ui.messages[0].prompt.empty());
  EXPECT_EQ(ui.messages[0].style, kMsgCritical);
  EXPECT_EQ(ui.messages[0].title, kAppTitle);

  WriteLangFile("English.lng", "0000 wrong header\r\n0439 Bad language file\r\n");
  Run();
  ASSERT_EQ(ui.messages.size(), 2u);
  EXPECT_EQ(ui.messages[1].prompt, u"Bad language file");
}

TEST_F(LoadLanguageTest, CorruptRegistryMeansEnglish) {
  test::SettingsTestFolder::WriteBytes(folder.Database(), std::string(4096, '\x01'));
  WriteLangFile("English.lng", HeaderLine());
  Run();
  EXPECT_EQ(fileName, u"English.lng");
  EXPECT_TRUE(ui.messages.empty());
}

// The files that ship with the program: valid, CR LF throughout, every window text set.
TEST(ShippedLanguageFiles, AreCompleteAndValid) {
  const char* source = std::getenv("LARKSPAN_SOURCE_DIR");
  ASSERT_NE(source, nullptr);
  for (const char* name : {"English.lng", "Deutsch.lng", "Francais.lng"}) {
    const std::filesystem::path path = std::filesystem::path(source) / "Lang" / name;
    std::ifstream in(path, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    for (std::size_t i = 0; i < bytes.size(); ++i) {
      if (bytes[i] == '\n') {
        ASSERT_TRUE(i > 0 && bytes[i - 1] == '\r') << name << " byte " << i;
      }
    }
    LangTable table;
    EXPECT_EQ(LoadLanguageFile(FromUtf8(path.string()), table), 0) << name;
    for (int entry : kWindowEntries) EXPECT_FALSE(table[entry].empty()) << name << " " << entry;
  }
}

}  // namespace
}  // namespace larkspan
