#include "settings/AdvancedRegistryCM.h"

#include <gtest/gtest.h>

#include <filesystem>

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

constexpr char16_t kKey[] = u"HKEY_CURRENT_USER\\Software\\Quillmere\\Test";

class RegistryTest : public ::testing::Test {
 protected:
  test::SettingsTestFolder folder;
  test::HeadlessBackend ui;
  AdvancedRegistryCM registry;
};

TEST_F(RegistryTest, WrongPathFormsAreRefusedWithTheFormatMessage) {
  for (std::u16string path :
       {u""s, u"hkey_current_user\\Software"s, u"HKEY_CURRENT_USER\\Software\\"s,
        u"Software\\Quillmere"s, u"HKEY_\\"s}) {
    ui.messages.clear();
    EXPECT_FALSE(registry.KeyExist(path));
    EXPECT_FALSE(registry.SetStringValue(path, u"Name", u"x"));
    EXPECT_FALSE(registry.GetStringValue(path, u"Name").has_value());
    ASSERT_EQ(ui.messages.size(), 3u) << test::Narrow(path);
    EXPECT_EQ(ui.messages[0].prompt, u"Incorrect Format: \n\n" + path);
    EXPECT_EQ(ui.messages[0].style, kMsgOkOnly);
    EXPECT_EQ(ui.messages[0].title, kAppTitle);
  }
  registry.SetDisplayErrorMsg(false);  // the format message does not depend on the switch
  EXPECT_FALSE(registry.CreateKey(u"HKEY_USERS\\"));
  EXPECT_EQ(ui.messages.size(), 4u);
  EXPECT_FALSE(std::filesystem::exists(folder.Database()));
}

TEST_F(RegistryTest, UnknownRootFailsSilently) {
  const std::u16string path = u"HKEY_NOWHERE\\Software";
  EXPECT_FALSE(registry.CreateKey(path));
  EXPECT_FALSE(registry.SetStringValue(path, u"Name", u"x"));
  EXPECT_FALSE(registry.GetStringValue(path, u"Name").has_value());
  EXPECT_FALSE(registry.DeleteKey(path));
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
  path = u"HKEY_DYN_DATA\\x";
  EXPECT_EQ(probe.ParseKeyPath(path), kHkeyDynData);
  EXPECT_TRUE(registry.KeyExist(u"HKEY_CURRENT_USER"));
}

TEST_F(RegistryTest, StringValuesRoundTripUpTo254Characters) {
  ASSERT_TRUE(registry.CreateKey(kKey));
  struct Case {
    std::u16string stored, read;
  } cases[] = {
      {u"Deutsch.lng", u"Deutsch.lng"},
      {u"", u""},
      {std::u16string(254, u'x'), std::u16string(254, u'x')},
      {std::u16string(255, u'x'), u"Error"},
      {u"ends in blanks  ", u"ends in blanks  "},
      // Leading blanks are trimmed before the cut, so the terminating zero slips in.
      {u"  lead", u"lead\0"s},
      {u"Fran\u00e7ais.lng", u"Fran\u00e7ais.lng"},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(registry.SetStringValue(kKey, u"Value", c.stored));
    EXPECT_EQ(registry.GetStringValue(kKey, u"Value"), c.read) << test::Narrow(c.stored);
  }
}

TEST_F(RegistryTest, MissingThingsReadAsError) {
  EXPECT_EQ(registry.GetStringValue(kKey, u"Value"), u"Error");  // no store file at all
  ASSERT_TRUE(registry.CreateKey(kKey));
  EXPECT_EQ(registry.GetStringValue(kKey, u"Value"), u"Error");
  EXPECT_FALSE(registry.KeyValueExist(kKey, u"Value"));
  EXPECT_FALSE(registry.SetStringValue(u"HKEY_CURRENT_USER\\Software\\Missing", u"V", u"x"));
}

TEST_F(RegistryTest, DeletingWhatIsGone) {
  EXPECT_TRUE(registry.DeleteKey(kKey));                  // not found counts as done
  EXPECT_FALSE(registry.DeleteKeyValue(kKey, u"Value"));  // the key itself is missing
  ASSERT_TRUE(registry.CreateKey(kKey));
  EXPECT_TRUE(registry.DeleteKeyValue(kKey, u"Value"));  // only the value is missing
  ASSERT_TRUE(registry.SetStringValue(kKey, u"Value", u"x"));
  EXPECT_TRUE(registry.DeleteKeyValue(kKey, u"Value"));
  EXPECT_FALSE(registry.KeyValueExist(kKey, u"Value"));
  EXPECT_FALSE(registry.DeleteKey(u"HKEY_CURRENT_USER\\Software\\Quillmere"));  // has a subkey
  EXPECT_TRUE(registry.DeleteKey(kKey));
  EXPECT_FALSE(registry.KeyExist(kKey));
  EXPECT_TRUE(registry.KeyExist(u"HKEY_CURRENT_USER\\Software\\Quillmere"));
}

TEST_F(RegistryTest, NamesCompareWithoutCase) {
  ASSERT_TRUE(registry.CreateKey(u"HKEY_CURRENT_USER\\Software\\\u00c4rger"));
  ASSERT_TRUE(registry.SetStringValue(u"HKEY_CURRENT_USER\\software\\\u00e4RGER",
                                      u"Default Language", u"English.lng"));
  EXPECT_TRUE(
      registry.KeyValueExist(u"HKEY_CURRENT_USER\\SOFTWARE\\\u00c4RGER", u"DEFAULT LANGUAGE"));
  EXPECT_EQ(
      registry.GetStringValue(u"HKEY_CURRENT_USER\\Software\\\u00e4rger", u"default language"),
      u"English.lng");
  // The root name itself is case-sensitive.
  EXPECT_FALSE(registry.GetStringValue(u"HKEY_Current_User\\Software", u"x").has_value());
}

TEST(RegistryErrorText, CodesMapToTheirTexts) {
  const std::pair<std::int32_t, std::u16string> cases[] = {
      {2, u"Bad Key Name"},
      {4, u"Can't Read Key"},
      {5, u"Access To this key Is Denied"},
      {8, u"Out Of memory"},
      {14, u"Out Of memory"},
      {87, u"Invalid Parameter"},
      {234, u"There Is More Data Than The Buffer Has Been Allocated To Hold"},
      {1009, u"The Registry Database Is Corrupt!"},
      {1010, u"Bad Key Name"},
      {1011, u"Can't Open Key"},
      {1012, u"Can't Read Key"},
      {1013, u"Can't Write Key"},
      {1014, u"Undefined Error Code :  1014"},
      {1015, u"The Registry Database Is Corrupt!"},
      {0, u"Undefined Error Code :  0"},
      {-7, u"Undefined Error Code : -7"},
  };
  for (const auto& [code, text] : cases) {
    EXPECT_EQ(RegistryProbe::GetErrorMsg(code), text) << code;
  }
}

}  // namespace
}  // namespace larkspan
