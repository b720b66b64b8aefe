#include "platform/CodePage.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <clocale>
#include <cstdlib>
#include <filesystem>

namespace larkspan {
namespace {

TEST(CodePageTest, Utf8RoundTripsAndThePlainCLocaleMeansUtf8) {
  for (const std::u16string& text : {std::u16string(), std::u16string(u"Gr\u00fc\u00dfe \u20ac"),
                                     std::u16string(u"\u66f4\u65b0 \U0001F600 \U00010348")}) {
    EXPECT_EQ(FromUtf8(ToUtf8(text)), text);
  }
  EXPECT_EQ(ToUtf8(u"\u20ac\U0001F600"), "\xE2\x82\xAC\xF0\x9F\x98\x80");
  ASSERT_NE(std::setlocale(LC_ALL, "C"), nullptr);
  EXPECT_EQ(ToWide("caf\xC3\xA9"), u"caf\u00e9");
  EXPECT_EQ(ToNarrow(u"caf\u00e9 \u20ac"), "caf\xC3\xA9 \xE2\x82\xAC");
}

TEST(CodePageTest, InvalidTextBecomesReplacementCharacters) {
  const std::u16string r = u"\uFFFD";
  const std::pair<std::string, std::u16string> cases[] = {
      {"a\x80z", u"a" + r + u"z"},                          // stray continuation byte
      {"\xE2\x82", r + r},                                  // sequence cut at the end
      {"\xC0\xAF", r + r},                                  // overlong "/"
      {"\xED\xA0\x80", r + r + r},                          // encoded surrogate
      {"\xF4\x90\x80\x80", r + r + r + r},                  // beyond U+10FFFF
      {"\xC3\xA9\xFF\xC3\xA9", u"\u00e9" + r + u"\u00e9"},  // bad byte between good ones
  };
  for (const auto& [bytes, expected] : cases) {
    EXPECT_EQ(FromUtf8(bytes), expected) << testing::PrintToString(bytes);
  }
  EXPECT_EQ(ToUtf8(std::u16string{0xD800, u'x'}), "\xEF\xBF\xBDx");
  EXPECT_EQ(ToUtf8(std::u16string{0xDC00, 0xD800}), "\xEF\xBF\xBD\xEF\xBF\xBD");
}

// A locale with a legacy single-byte character set, built for the test (Greek ISO-8859-7,
// which leaves some bytes unassigned).
TEST(CodePageTest, LegacyCharacterSetOfTheLocale) {
  namespace fs = std::filesystem;
  const fs::path folder =
      fs::temp_directory_path() / ("larkspan-locale-" + std::to_string(getpid()));
  fs::create_directories(folder);
  const std::string build =
      "localedef -i C -f ISO-8859-7 '" + (folder / "legacy").string() + "' >/dev/null 2>&1";
  if (std::system(build.c_str()) != 0 || setenv("LOCPATH", folder.c_str(), 1) != 0 ||
      std::setlocale(LC_ALL, "legacy") == nullptr) {
    fs::remove_all(folder);
    GTEST_SKIP() << "cannot build a legacy locale here";
  }
  EXPECT_EQ(ToWide("\xE1\xAE\x62 \xA4"), u"\u03b1\uFFFDb \u20ac");  // 0xAE is unassigned
  EXPECT_EQ(ToNarrow(u"\u03b1\U0001F600\u20ac"), "\xE1?\xA4");      // one mark for the whole pair
  std::setlocale(LC_ALL, "C");
  fs::remove_all(folder);
}

}  // namespace
}  // namespace larkspan
