// The settings layer: key paths and string values through the registry class and the SQLite
// store under it, then the language files and the language setting. (The registry tool: the
// refusal journey, which writes and deletes the setting with it.)
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <tuple>

#include "Product.h"
#include "base/Failure.h"
#include "os/CodePage.h"
#include "settings/AdvancedRegistryCM.h"
#include "settings/Language.h"
#include "settings/sqlite/SqliteConnection.h"
#include "settings/sqlite/SqliteRegistryStore.h"
#include "support/HeadlessBackend.h"
#include "ui/Ui.h"

namespace larkspan {
namespace {

namespace fs = std::filesystem;
using namespace std::literals;

constexpr char16_t kKey[] = u"HKEY_CURRENT_USER\\Software\\Quillmere\\Test";

std::string Header() {
  return "0000 " + ToUtf8(LangFileHeader) + "\r\n";
}

void Write(const fs::path& path, const std::string& bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << bytes;
}

// A fresh folder per test, set as XDG_CONFIG_HOME so that every store of the test (the
// fixture's, the language setting's) is the one in there.
class SettingsTest : public ::testing::Test {
 protected:
  SettingsTest() {
    fs::create_directories(root);
    setenv("XDG_CONFIG_HOME", (root / "config").c_str(), 1);
  }
  ~SettingsTest() override {
    std::error_code ignored;  // a test that failed half-way may leave less behind
    fs::remove_all(root, ignored);
  }
  fs::path Database() const { return root / "config/Quillmere/registry.db"; }
  std::int32_t Set(RegHandle key) { return store.SetValue(key, "Name", kRegSz, "x", 2); }
  std::u16string LoadLanguage() {
    std::u16string fileName;
    table = LangTable();
    larkspan::LoadLanguage(root, table, fileName);
    return fileName;
  }

  const fs::path root =
      fs::temp_directory_path() / ("larkspan-settings-" + std::to_string(std::random_device()()));
  test::HeadlessBackend ui;
  SqliteRegistryStore store{Database().string()};
  AdvancedRegistryCM registry{store};
  LangTable table;
};

struct RegistryProbe : AdvancedRegistryCM {
  using AdvancedRegistryCM::ParseKeyPath;
};

// A refused path leaves the path as it was and shows the format message, the one message text
// of the registry class.
TEST_F(SettingsTest, KeyPathsSplitAtTheFirstBackslash) {
  // HKEY_NOWHERE passes the format test but names no root.
  // clang-format off
  const std::tuple<std::u16string, RegHandle, std::u16string> cases[] = {
      {u"HKEY_LOCAL_MACHINE\\Software\\Quillmere", kHkeyLocalMachine, u"Software\\Quillmere"},
      {u"HKEY_CURRENT_USER", kHkeyCurrentUser, u""}, {u"HKEY_NOWHERE\\Software", 0, u"Software"},
      {u"hkey_current_user\\Software", 0, u"hkey_current_user\\Software"},
      {u"HKEY_USERS\\", 0, u"HKEY_USERS\\"}, {u"", 0, u""}};
  // clang-format on
  RegistryProbe probe;
  probe.SetDisplayErrorMsg(false);  // the format message does not depend on it
  for (const auto& [path, handle, rest] : cases) {
    ui.messages.clear();
    std::u16string parsed = path;
    EXPECT_EQ(probe.ParseKeyPath(parsed), handle) << ToUtf8(path);
    EXPECT_EQ(parsed, rest);
    ASSERT_EQ(ui.messages.size(), path == rest ? 1u : 0u) << ToUtf8(path);
    if (path != rest) continue;
    EXPECT_EQ(ui.messages[0].prompt, u"Incorrect Format: \n\n" + path);
    EXPECT_EQ(ui.messages[0].style, kMsgOkOnly);
    EXPECT_EQ(ui.messages[0].title, kAppTitle);
  }
  EXPECT_TRUE(registry.KeyExist(u"HKEY_CURRENT_USER"));
  EXPECT_FALSE(registry.GetStringValue(u"HKEY_NOWHERE\\Software", u"Name").has_value());
}

TEST_F(SettingsTest, StringValuesRoundTripUpTo254Characters) {
  EXPECT_EQ(registry.GetStringValue(kKey, u"Value"), u"Error");  // no store file at all
  EXPECT_FALSE(fs::exists(Database()));                          // and reading made none
  ASSERT_TRUE(registry.CreateKey(kKey));
  struct stat info;  // the store holds the user's settings: nobody else may read it
  ASSERT_EQ(stat(Database().c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
  EXPECT_EQ(registry.GetStringValue(kKey, u"Value"), u"Error");
  // Leading blanks are trimmed before the cut, so the terminating zero slips in; the cut counts
  // characters, not bytes.
  // clang-format off
  const std::pair<std::u16string, std::u16string> cases[] = {
      {u"", u""}, {std::u16string(254, u'x'), std::u16string(254, u'x')},
      {std::u16string(255, u'x'), u"Error"}, {u"ends in blanks  ", u"ends in blanks  "},
      {u"  lead", u"lead\0"s}, {u"Fran\u00e7ais.lng", u"Fran\u00e7ais.lng"}};
  // clang-format on
  for (const auto& [stored, read] : cases) {
    ASSERT_TRUE(registry.SetStringValue(kKey, u"Value", stored));
    EXPECT_EQ(registry.GetStringValue(kKey, u"Value"), read) << ToUtf8(stored);
  }
  EXPECT_FALSE(registry.SetStringValue(u"HKEY_CURRENT_USER\\Software\\Missing", u"V", u"x"));
}

TEST_F(SettingsTest, DeletingWhatIsGoneKeysWithSubkeysAndRoots) {
  EXPECT_TRUE(registry.DeleteKey(kKey));                  // not found counts as done
  EXPECT_FALSE(registry.DeleteKeyValue(kKey, u"Value"));  // the key itself is missing
  ASSERT_TRUE(registry.CreateKey(kKey));
  EXPECT_TRUE(registry.DeleteKeyValue(kKey, u"Value"));  // only the value is missing
  ASSERT_TRUE(registry.SetStringValue(kKey, u"Value", u"x"));
  EXPECT_TRUE(registry.KeyValueExist(u"HKEY_CURRENT_USER\\SOFTWARE\\quillmere\\TEST", u"VALUE"));
  EXPECT_TRUE(registry.DeleteKeyValue(kKey, u"Value"));
  EXPECT_FALSE(registry.KeyValueExist(kKey, u"Value"));
  EXPECT_FALSE(registry.DeleteKey(u"HKEY_CURRENT_USER\\Software\\Quillmere"));  // has a subkey
  EXPECT_FALSE(registry.DeleteKey(u"HKEY_CURRENT_USER"));
  EXPECT_FALSE(registry.CreateKey(u"HKEY_CURRENT_USER\\Software\\\\Empty"));
  EXPECT_TRUE(registry.DeleteKey(kKey));
  EXPECT_FALSE(registry.KeyExist(kKey));
}

// The finding of a long fuzz run: the id of a deleted key came back for the next key created,
// and a handle still open on the deleted key wrote into the new one.
TEST_F(SettingsTest, AHandleToADeletedKeyNeverReachesALaterKey) {
  RegHandle stale = 0;
  ASSERT_EQ(store.CreateKey(kHkeyCurrentUser, "Parent\\Old", stale), kErrorSuccess);
  ASSERT_EQ(store.DeleteKey(kHkeyCurrentUser, "Parent\\Old"), kErrorSuccess);
  ASSERT_TRUE(registry.CreateKey(u"HKEY_CURRENT_USER\\Parent\\New"));
  EXPECT_EQ(Set(stale), kErrorKeyDeleted);
}

// Another process (here another connection) holding the write lock makes a write wait, not
// fail.
TEST_F(SettingsTest, AWriteWaitsForAnotherWriter) {
  RegHandle key = 0;
  ASSERT_EQ(store.CreateKey(kHkeyCurrentUser, "Shared", key), kErrorSuccess);
  SqliteConnection other(Database().string(), false);
  auto lock = std::make_unique<SqliteTransaction>(other, true);
  std::thread release([&] { std::this_thread::sleep_for(500ms), lock.reset(); });
  EXPECT_EQ(Set(key), kErrorSuccess);
  release.join();
}

TEST_F(SettingsTest, LanguageFiles) {
  const std::tuple<std::string, std::int16_t, int, std::u16string> cases[] = {
      {Header() + "0012   Open_file  \r\n", 0, 12, u"Open\rfile"},
      {Header() + "12.6Rounded\r\n", 0, 13, u"Rounded"},  // text from the fifth character on
      {Header() + "0001 one\n0002 two\r\n", 0, 1, u"one\n0002 two"},  // a lone line feed stays
      {Header() + "0001 one\r0002 two", 0, 2, u"two"},  // CR alone, no line end at the end
      {Header() + "1401 Far\r\n-001 Minus\r\n;0005 Note\r\n  \r\n0005 Kept\r\n0005 Again\r\n", 0, 5,
       u"Again"},
      // The last header line decides, and what was read stays.
      {Header() + "0001 one\r\nstray text\r\n0002 two\r\n", 1, 2, u"two"},
      {"stray text\r\n" + Header() + "0001 one\r\n", 0, 1, u"one"},
      {"0000 quillmere file language engine version 1.3\r\n0001 one\r\n", 1, 1, u"one"},
      {"0000 " + ToUtf8(LangFileHeader) + "\n0001 one\n", 1, 1, u""}};  // all one line
  const fs::path file = root / "Lang/Test.lng";
  for (const auto& [bytes, result, entry, text] : cases) {
    Write(file, bytes);
    table = LangTable();
    EXPECT_EQ(LoadLanguageFile(FromUtf8(file.string()), table), result) << bytes;
    EXPECT_EQ(table[entry], text) << bytes;
    EXPECT_EQ(table[0], u"");  // the header is compared, never stored
  }
  for (const fs::path& missing : {fs::path(), root / "none.lng", root})
    EXPECT_EQ(LoadLanguageFile(FromUtf8(missing.string()), table), 1) << missing;
  EXPECT_THROW((void)table[1401], Failure);
  EXPECT_THROW(table.Set(-1, u"x"), Failure);
}

// The setting names a file in Lang, in any letter case as on a case-blind file system (an exact
// match first); none, "Error" or a store that cannot be read mean English. A setting that leads
// out of Lang is a missing file, even where it names a good one: the same message as for
// None.lng, which is missing indeed, and no entry read.
TEST_F(SettingsTest, LanguageSettingNamesAFileInLangElseEnglish) {
  for (const char* file :
       {"Lang/English.lng", "Lang/Deutsch.lng", "Lang/deutsch.lng", "English.lng",
        "Lang/..\\English.lng", "Lang/C:English.lng", "Lang/sub/English.lng"})
    Write(root / file, Header() + "0001 " + file + "\r\n");  // entry 1 names its file
  Write(Database(), std::string(8192, '\x5a'));
  EXPECT_EQ(LoadLanguage(), u"English.lng");
  fs::remove(Database());
  EXPECT_EQ(LoadLanguage(), u"English.lng");  // no setting at all
  const std::u16string outside = FromUtf8((root / "English.lng").string());
  // The setting, the file name that the language engine keeps, the file read ("": none).
  // clang-format off
  const std::tuple<std::u16string, std::u16string, const char*> cases[] = {
      {u"None.lng", u"None.lng", ""}, {u"../English.lng", u"../English.lng", ""},
      {u"..\\English.lng", u"..\\English.lng", ""}, {u"..", u"..", ""}, {outside, outside, ""},
      {u"sub/English.lng", u"sub/English.lng", ""}, {u"C:English.lng", u"C:English.lng", ""},
      {u"", u"English.lng", "Lang/English.lng"}, {u"eRrOr", u"English.lng", "Lang/English.lng"},
      {u"ENGLISH.LNG", u"ENGLISH.LNG", "Lang/English.lng"},
      {u"deutsch.lng", u"deutsch.lng", "Lang/deutsch.lng"},
      {u"Deutsch.lng", u"Deutsch.lng", "Lang/Deutsch.lng"}};
  // clang-format on
  ASSERT_TRUE(registry.CreateKey(kLangSettingKeyPath));
  for (const auto& [setting, fileName, read] : cases) {
    ASSERT_TRUE(registry.SetStringValue(kLangSettingKeyPath, kLangSettingValueName, setting));
    ui.messages.clear();
    EXPECT_EQ(LoadLanguage(), fileName);
    EXPECT_EQ(ToUtf8(table[1]), read) << ToUtf8(setting);
    ASSERT_EQ(ui.messages.size(), *read ? 0u : 1u) << ToUtf8(setting);
    if (!*read) {  // no file, so no entry 439 either: a text of the program's own
      EXPECT_EQ(ui.messages[0].prompt, u"The language file could not be loaded.");
    }
  }
  // The file set last is there but not a language file: its own entry 439 says so.
  Write(root / "Lang/Deutsch.lng", "0000 wrong header\r\n0439 Bad language file\r\n");
  LoadLanguage();
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].prompt, u"Bad language file");
  EXPECT_EQ(ui.messages[0].style, kMsgCritical);
  EXPECT_EQ(ui.messages[0].title, kAppTitle);
}

}  // namespace
}  // namespace larkspan
