#include "settings/AdvancedRegistryCM.h"

#include <gtest/gtest.h>

#include "SettingsTestFolder.h"
#include "platform/Ui.h"
#include "support/HeadlessBackend.h"

namespace larkspan {
namespace {

using namespace std::string_literals;

// Reaches the class's path parsing and error texts.
class RegistryProbe : public AdvancedRegistryCM {
 public:
  using AdvancedRegistryCM::GetErrorMsg;
  using AdvancedRegistryCM::ParseKeyPath;
};

constexpr char16_t kParent[] = u"HKEY_CURRENT_USER\\Software\\Quillmere";
constexpr char16_t kKey[] = u"HKEY_CURRENT_USER\\Software\\Quillmere\\Test";

class RegistryTest : public ::testing::Test {
 protected:
  test::SettingsTestFolder folder;
  test::HeadlessBackend ui;
  AdvancedRegistryCM registry;
};

TEST_F(RegistryTest, WrongPathFormsAreRefusedWithTheFormatMessage) {
  registry.SetDisplayErrorMsg(false);  // the format message does not depend on the switch
  for (std::u16string path : {u""s, u"hkey_current_user\\Software"s, u"HKEY_USERS\\"s}) {
    ui.messages.clear();
    EXPECT_FALSE(registry.CreateKey(path));
    EXPECT_FALSE(registry.GetStringValue(path, u"Name").has_value());
    ASSERT_EQ(ui.messages.size(), 2u) << test::Narrow(path);
    EXPECT_EQ(ui.messages[0].prompt, u"Incorrect Format: \n\n" + path);
    EXPECT_EQ(ui.messages[0].style, kMsgOkOnly);
    EXPECT_EQ(ui.messages[0].title, kAppTitle);
  }
  ui.messages.clear();  // a root outside the table passes the format test and fails silently
  EXPECT_FALSE(registry.SetStringValue(u"HKEY_NOWHERE\\Software", u"Name", u"x"));
  EXPECT_FALSE(registry.GetStringValue(u"HKEY_NOWHERE\\Software", u"Name").has_value());
  EXPECT_FALSE(registry.GetStringValue(u"HKEY_Current_User\\Software", u"x").has_value());
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(RegistryTest, PathSplitsAtTheFirstBackslashOnly) {
  RegistryProbe probe;
  std::u16string path = u"HKEY_LOCAL_MACHINE\\Software\\Quillmere";
  EXPECT_EQ(probe.ParseKeyPath(path), kHkeyLocalMachine);
  EXPECT_EQ(path, u"Software\\Quillmere");
  path = u"HKEY_CURRENT_USER";
  EXPECT_EQ(probe.ParseKeyPath(path), kHkeyCurrentUser);
  EXPECT_EQ(path, u"");
  EXPECT_TRUE(registry.KeyExist(u"HKEY_CURRENT_USER"));
}

TEST_F(RegistryTest, StringValuesRoundTripUpTo254Characters) {
  EXPECT_EQ(registry.GetStringValue(kKey, u"Value"), u"Error");  // no store file at all
  EXPECT_FALSE(std::filesystem::exists(folder.Database()));      // and reading made none
  ASSERT_TRUE(registry.CreateKey(kKey));
  EXPECT_EQ(registry.GetStringValue(kKey, u"Value"), u"Error");
  const std::pair<std::u16string, std::u16string> cases[] = {
      {u"", u""},
      {std::u16string(254, u'x'), std::u16string(254, u'x')},
      {std::u16string(255, u'x'), u"Error"},
      {u"ends in blanks  ", u"ends in blanks  "},
      // Leading blanks are trimmed before the cut, so the terminating zero slips in.
      {u"  lead", u"lead\0"s},
      {u"Fran\u00e7ais.lng", u"Fran\u00e7ais.lng"},  // the cut counts characters, not bytes
  };
  for (const auto& [stored, read] : cases) {
    ASSERT_TRUE(registry.SetStringValue(kKey, u"Value", stored));
    EXPECT_EQ(registry.GetStringValue(kKey, u"Value"), read) << test::Narrow(stored);
  }
  EXPECT_FALSE(registry.SetStringValue(u"HKEY_CURRENT_USER\\Software\\Missing", u"V", u"x"));
}

TEST_F(RegistryTest, DeletingWhatIsGoneAndKeysWithSubkeys) {
  EXPECT_TRUE(registry.DeleteKey(kKey));                  // not found counts as done
  EXPECT_FALSE(registry.DeleteKeyValue(kKey, u"Value"));  // the key itself is missing
  ASSERT_TRUE(registry.CreateKey(kKey));
  EXPECT_TRUE(registry.DeleteKeyValue(kKey, u"Value"));  // only the value is missing
  ASSERT_TRUE(registry.SetStringValue(kKey, u"Value", u"x"));
  EXPECT_TRUE(registry.DeleteKeyValue(kKey, u"Value"));
  EXPECT_FALSE(registry.KeyValueExist(kKey, u"Value"));
  EXPECT_FALSE(registry.DeleteKey(kParent));  // it has a subkey
  EXPECT_TRUE(registry.DeleteKey(kKey));
  EXPECT_FALSE(registry.KeyExist(kKey));
  EXPECT_TRUE(registry.KeyExist(kParent));
}

TEST(RegistryErrorText, CodesMapToTheirTexts) {
  const std::pair<std::int32_t, std::u16string> cases[] = {
      {2, u"Bad Key Name"},
      {1010, u"Bad Key Name"},
      {1012, u"Can't Read Key"},
      {1015, u"The Registry Database Is Corrupt!"},
      {1014, u"Undefined Error Code :  1014"},
      {-7, u"Undefined Error Code : -7"},
  };
  for (const auto& [code, text] : cases) {
    EXPECT_EQ(RegistryProbe::GetErrorMsg(code), text) << code;
  }
}

}  // namespace
}  // namespace larkspan
