#include "platform/CodePage.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <clocale>
#include <cstdlib>
#include <filesystem>

namespace larkspan {
namespace {

TEST(CodePageTest, Utf8RoundTrips) {
  for (const std::u16string& text :
       {std::u16string(), std::u16string(u"Update Manager"), std::u16string(u"Gr\u00fc\u00dfe"),
        std::u16string(u"\u20ac 12,50"), std::u16string(u"\u66f4\u65b0"),
        std::u16string(u"\U0001F600 ok \U00010348")}) {
    EXPECT_EQ(FromUtf8(ToUtf8(text)), text);
  }
  EXPECT_EQ(ToUtf8(u"\u20ac\U0001F600"), "\xE2\x82\xAC\xF0\x9F\x98\x80");
}

TEST(CodePageTest, InvalidUtf8BecomesReplacementCharacters) {
  struct Case {
    std::string bytes;
    std::u16string expected;
  };
  const std::u16string r = u"\uFFFD";
  for (const Case& c : {
           Case{"a\x80z", u"a" + r + u"z"},                          // stray continuation byte
           Case{"\xE2\x82", r + r},                                  // sequence cut at the end
           Case{"\xC0\xAF", r + r},                                  // overlong "/"
           Case{"\xE0\x80\xAF", r + r + r},                          // overlong, three bytes
           Case{"\xED\xA0\x80", r + r + r},                          // encoded surrogate
           Case{"\xF4\x90\x80\x80", r + r + r + r},                  // beyond U+10FFFF
           Case{"\xF8\x88\x80\x80", r + r + r + r},                  // five-byte lead
           Case{"\xFE\xFF", r + r},                                  // never valid
           Case{"\xC3\xA9\xFF\xC3\xA9", u"\u00e9" + r + u"\u00e9"},  // bad byte between good ones
       }) {
    EXPECT_EQ(FromUtf8(c.bytes), c.expected) << testing::PrintToString(c.bytes);
  }
}

TEST(CodePageTest, UnpairedSurrogatesBecomeReplacementCharacters) {
  EXPECT_EQ(ToUtf8(std::u16string{0xD800, u'x'}), "\xEF\xBF\xBDx");
  EXPECT_EQ(ToUtf8(std::u16string{u'x', 0xDC00}), "x\xEF\xBF\xBD");
  EXPECT_EQ(ToUtf8(std::u16string{0xDC00, 0xD800}), "\xEF\xBF\xBD\xEF\xBF\xBD");
}

TEST(CodePageTest, PlainCLocaleMeansUtf8) {
  ASSERT_NE(std::setlocale(LC_ALL, "C"), nullptr);
  EXPECT_EQ(ToWide("caf\xC3\xA9"), u"caf\u00e9");
  EXPECT_EQ(ToNarrow(u"caf\u00e9 \u20ac"), "caf\xC3\xA9 \xE2\x82\xAC");
}

// A locale with a legacy single-byte character set, built for the test (Greek ISO-8859-7,
// which leaves some bytes unassigned).
TEST(CodePageTest, LegacyCharacterSetOfTheLocale) {
  namespace fs = std::filesystem;
  fs::path folder = fs::temp_directory_path() / ("larkspan-locale-" + std::to_string(getpid()));
  fs::create_directories(folder);
  std::string build = "localedef -i C -f ISO-8859-7 '" + (folder / "larkspan_legacy").string() +
                      "' >/dev/null 2>&1";
  if (std::system(build.c_str()) != 0 || setenv("LOCPATH", folder.c_str(), 1) != 0 ||
      std::setlocale(LC_ALL, "larkspan_legacy") == nullptr) {
    fs::remove_all(folder);
    GTEST_SKIP() << "cannot build a legacy locale here";
  }
  EXPECT_EQ(ToWide("\xE1\xE2 \xA4"), u"\u03b1\u03b2 \u20ac");
  EXPECT_EQ(ToWide("\xE1\xAE"
                   "b"),
            u"\u03b1\uFFFDb");  // 0xAE is unassigned
  EXPECT_EQ(ToNarrow(u"\u03b1\u20ac"), "\xE1\xA4");
  EXPECT_EQ(ToNarrow(u"\u03b1\U0001F600b"), "\xE1?b");  // one mark for the whole pair
  std::setlocale(LC_ALL, "C");
  unsetenv("LOCPATH");
  fs::remove_all(folder);
}

}  // namespace
}  // namespace larkspan
