#include "settings/LangM.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "SettingsTestFolder.h"
#include "platform/Failure.h"
#include "platform/Ui.h"
#include "settings/AdvancedRegistryCM.h"
#include "support/HeadlessBackend.h"

namespace larkspan {
namespace {

using namespace std::string_literals;
using test::LangHeaderLine;

class LangTest : public ::testing::Test {
 protected:
  void Write(const std::string& name, const std::string& bytes) {
    test::SettingsTestFolder::WriteBytes(folder.Root() / "Lang" / name, bytes);
  }
  // Loads `bytes` as a language file into a fresh table.
  std::int16_t Load(const std::string& bytes) {
    Write("Test.lng", bytes);
    table = LangTable();
    return LoadLanguageFile(FromUtf8((folder.Root() / "Lang/Test.lng").string()), table);
  }
  void SetSetting(const std::u16string& fileName) {
    AdvancedRegistryCM registry;
    ASSERT_TRUE(registry.CreateKey(kLangSettingKeyPath));
    ASSERT_TRUE(registry.SetStringValue(kLangSettingKeyPath, kLangSettingValueName, fileName));
  }
  void Run() {
    table = LangTable();
    LoadLanguage(FromUtf8(folder.Root().string()), table, fileName);
  }

  test::SettingsTestFolder folder;
  test::HeadlessBackend ui;
  LangTable table;
  std::u16string fileName;
};

TEST_F(LangTest, EntryLines) {
  const struct {
    const char* line;
    int entry;
    std::u16string text;
  } cases[] = {
      {"0012 Open_file", 12, u"Open\rfile"},
      {"0012", 12, u""},
      {"0012   padded text   ", 12, u"padded text"},
      {" 7  Seven", 7, u"Seven"},  // the text starts at the fifth character whatever the number
      {"12.6Rounded", 13, u"Rounded"},
      {"0024 Gr\xc3\xbc\xc3\x9f", 24, u"Gr\u00fc\u00df"},
      {"0001 one\n0002 two", 1, u"one\n0002 two"},  // a lone line feed stays inside the line
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Load(LangHeaderLine() + c.line + "\r\n"), 0) << c.line;
    EXPECT_EQ(table[c.entry], c.text) << c.line;
  }
  EXPECT_EQ(Load(LangHeaderLine() + "0001 one\r0002 two"), 0);  // CR alone, no end at the end
  EXPECT_EQ(table[2], u"two");
}

TEST_F(LangTest, IgnoredLines) {
  EXPECT_EQ(Load(LangHeaderLine() + "1401 Beyond\r\n-001 Negative\r\n;0005 Comment\r\n   \r\n\r\n" +
                 "0005 Kept\r\n0005 Replaced\r\n"),
            0);
  EXPECT_EQ(table[5], u"Replaced");
  EXPECT_EQ(table[0], u"");  // the header is compared, never stored
  EXPECT_EQ(table[1400], u"");
  EXPECT_EQ(table[1], u"");
}

TEST_F(LangTest, TheLastHeaderLineDecides) {
  EXPECT_EQ(Load(LangHeaderLine() + "0001 one\r\nstray text\r\n0002 two\r\n"), 1);
  EXPECT_EQ(table[1], u"one");  // what was read stays
  EXPECT_EQ(table[2], u"two");
  EXPECT_EQ(Load("stray text\r\n" + LangHeaderLine() + "0001 one\r\n"), 0);
  EXPECT_EQ(Load("0000 quillmere file language engine version 1.3\r\n"), 1);
  std::string header = LangHeaderLine();
  header.replace(header.size() - 2, 2, "\n");  // line feeds alone: one single line
  EXPECT_EQ(Load(header + "0001 one\n0002 two\n"), 1);
  EXPECT_EQ(table[1], u"");
}

TEST_F(LangTest, MissingFilesAndEntriesOutsideTheTableFail) {
  EXPECT_EQ(LoadLanguageFile(u"", table), 1);
  EXPECT_EQ(LoadLanguageFile(FromUtf8((folder.Root() / "none.lng").string()), table), 1);
  EXPECT_EQ(LoadLanguageFile(FromUtf8(folder.Root().string()), table), 1);  // a folder
  EXPECT_THROW((void)table[1401], Failure);
  try {
    table.Set(-1, u"x");
    ADD_FAILURE() << "entry -1 was set";
  } catch (const Failure& failure) {
    EXPECT_EQ(failure.Code(), kSubscriptOutOfRange);
  }
}

TEST_F(LangTest, FallsBackToEnglish) {
  Write("English.lng", LangHeaderLine() + "0001 English\r\n");
  for (std::u16string setting : {u"-"s, u""s, u"ERROR"s, u"eRrOr"s, u"corrupt"s}) {
    if (setting == u"corrupt") {
      test::SettingsTestFolder::WriteBytes(folder.Database(), std::string(4096, '\x01'));
    } else if (setting != u"-") {  // "-": no setting at all
      SetSetting(setting);
    }
    Run();
    EXPECT_EQ(fileName, u"English.lng") << test::Narrow(setting);
    EXPECT_EQ(table[1], u"English");
  }
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(LangTest, ReadsTheFileTheSettingNamesExactly) {
  Write("Deutsch.lng", LangHeaderLine() + "0001 Deutsch\r\n");
  SetSetting(u"Deutsch.lng");
  Run();
  EXPECT_EQ(table[1], u"Deutsch");
  EXPECT_TRUE(ui.messages.empty());
  SetSetting(u"deutsch.lng");
  Run();
  EXPECT_EQ(fileName, u"deutsch.lng");
  EXPECT_EQ(ui.messages.size(), 1u);
}

TEST_F(LangTest, UnusableFileShowsEntry439) {
  Run();  // no file at all: entry 439 is empty too, so the message has a text of its own
  Write("English.lng", "0000 wrong header\r\n0439 Bad language file\r\n");
  Run();
  ASSERT_EQ(ui.messages.size(), 2u);
  EXPECT_FALSE(ui.messages[0].prompt.empty());
  EXPECT_EQ(ui.messages[1].prompt, u"Bad language file");
  for (const auto& message : ui.messages) {
    EXPECT_EQ(message.style, kMsgCritical);
    EXPECT_EQ(message.title, kAppTitle);
  }
}

// The files that ship with the program: valid, and every window text set.
TEST(ShippedLanguageFiles, AreCompleteAndValid) {
  const int windowEntries[] = {24,   108,  168,  334,  439,  578,  717,  1045, 1047, 1048, 1099,
                               1100, 1107, 1110, 1111, 1112, 1133, 1141, 1144, 1148, 1149, 1150,
                               1151, 1152, 1154, 1156, 1157, 1158, 1159, 1160, 1161, 1162, 1284};
  ASSERT_NE(std::getenv("LARKSPAN_SOURCE_DIR"), nullptr);
  for (const char* name : {"English.lng", "Deutsch.lng", "Francais.lng"}) {
    const auto path = std::filesystem::path(std::getenv("LARKSPAN_SOURCE_DIR")) / "Lang" / name;
    LangTable table;
    EXPECT_EQ(LoadLanguageFile(FromUtf8(path.string()), table), 0) << name;
    for (int entry : windowEntries) EXPECT_FALSE(table[entry].empty()) << name << " " << entry;
  }
}

}  // namespace
}  // namespace larkspan
