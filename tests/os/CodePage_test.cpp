#include "os/CodePage.h"

#include <gtest/gtest.h>

#include <clocale>

namespace larkspan {
namespace {

TEST(CodePageTest, PlainCLocaleMeansUtf8AndInvalidBytesBecomeReplacements) {
  ASSERT_NE(std::setlocale(LC_ALL, "C"), nullptr);
  EXPECT_EQ(ToWide("caf\xC3\xA9 \xF0\x9F\x98\x80"), u"caf\u00e9 \U0001F600");
  EXPECT_EQ(ToNarrow(u"caf\u00e9 \U0001F600"), "caf\xC3\xA9 \xF0\x9F\x98\x80");
  const std::u16string r = u"\uFFFD";
  const std::pair<std::string, std::u16string> cases[] = {
      {"a\x80z", u"a" + r + u"z"},           // stray continuation byte
      {"\xE2\x82", r + r},                   // sequence cut at the end
      {"\xC0\xAF", r + r},                   // overlong "/"
      {"\xED\xA0\x80", r + r + r},           // encoded surrogate
      {"\xF4\x90\x80\x80", r + r + r + r}};  // beyond U+10FFFF
  for (const auto& [bytes, expected] : cases)
    EXPECT_EQ(ToWide(bytes), expected) << testing::PrintToString(bytes);
  EXPECT_EQ(ToNarrow(std::u16string{0xD800, u'x'}), "\xEF\xBF\xBDx");  // unpaired surrogate
}

}  // namespace
}  // namespace larkspan
