#include "text/FileString.h"

#include <gtest/gtest.h>

#include <tuple>

#include "text/NumberText.h"

namespace larkspan {
namespace {

// The name with its extension, as the Save dialog offers it for an address (also for one that
// ends in "/"): app/DownForm_test.cpp.
TEST(FileStringTest, NamesAndExtensions) {
  const std::tuple<std::u16string, bool, std::u16string> cases[] = {
      {u"http://host/files/setup.exe", false, u"setup"},
      {u"setup.tar.gz", false, u"setup.tar"},
      {u"/dir.d/.profile", false, u""},
      {u"/dir.d/readme", false, u"readme"},  // a dot before the separator is no extension
  };
  for (const auto& [text, whole, name] : cases) EXPECT_EQ(GetFileName(text, u"/", whole), name);
  EXPECT_EQ(GetFileExtension(u"setup.tar.gz"), u"gz");
  EXPECT_EQ(GetFileExtension(u"setup."), u"");
  EXPECT_EQ(GetFileExtension(u"setup"), u"");
  EXPECT_EQ(GetFileExtension(u"dir.d/readme"), u"d/readme");
}

TEST(FileStringTest, SizeTexts) {
  const std::tuple<double, std::int32_t, bool, std::u16string> cases[] = {
      {1023, 1, true, u"1023 Bytes"},
      {1024, 1, true, u"1 KB"},
      {2560, 1, true, u"2 KB"},  // 2.5 goes to the even 2
      {3584, 1, true, u"4 KB"},
      {1048575, 1, true, u"1024 KB"},
      {1572864, 1, true, u"1.5 MB"},
      {1179648, 1, true, u"1.12 MB"},  // 1.125 to two places goes to the even 1.12
      {1441792, 1, true, u"1.38 MB"},  // 1.375 goes to 1.38
      {1073741824, 1, true, u"1 GB"},
      {1.5, 2, true, u"2 KB"},  // 1536 bytes
      {2, 3, true, u"2 MB"},
      {5000, 9, true, u"0 Bytes"},
      {1572864, 1, false, u"1.5"},
  };
  for (const auto& [size, unit, withUnit, expected] : cases) {
    EXPECT_EQ(FormatFileSize(size, unit, 0, 2, withUnit), expected) << size;
  }
  ScopedDecimalSeparator comma(u',');
  EXPECT_EQ(FormatFileSize(1500000000, 1, 0, 2, true), u"1,4 GB");
}

}  // namespace
}  // namespace larkspan
