#include "toolkit/JString.h"

#include <gtest/gtest.h>

#include "toolkit/RecordingUi.h"

namespace larkspan {
namespace {

constexpr char16_t kSplitTitle[] = u"JNSplit - Function Error";
constexpr char16_t kFindTitle[] = u"JFind - Function Error";

struct SplitCase {
  std::u16string text;
  std::u16string delimiter;
  int field;
  bool caseSensitive;
  std::u16string expected;
};

TEST(JNSplitTest, FieldsWithoutMessages) {
  const SplitCase cases[] = {
      {u"free*3.2*0101*http://h/u.txt", u"*", 0, true, u"free"},
      {u"free*3.2*0101*http://h/u.txt", u"*", 2, true, u"0101"},
      {u"free*3.2*0101*http://h/u.txt", u"*", 3, true, u"http://h/u.txt"},
      {u"*a", u"*", 0, true, u""},
      {u"a*", u"*", 1, true, u""},
      {u"a**b", u"*", 1, true, u""},
      {u"a**b", u"*", 2, true, u"b"},
      {u"no delimiter", u"*", 0, true, u""},
      {u"no delimiter", u"*", 5, true, u""},
      {u"", u"#", 0, true, u""},
      // Not case-sensitive: "X" and "x" both split, the field keeps the text's case.
      {u"oneXTwoxthree", u"x", 1, false, u"Two"},
      {u"oneXTwoxthree", u"X", 2, false, u"three"},
      {u"oneXTwoxthree", u"x", 1, true, u"three"},
  };
  test::RecordingUi ui;
  for (const SplitCase& c : cases) {
    EXPECT_EQ(JNSplit(c.text, c.delimiter, c.field, c.caseSensitive), c.expected)
        << "field " << c.field << " delimiter " << static_cast<int>(c.delimiter[0]);
  }
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_EQ(ui.doEvents, 0);
}

TEST(JNSplitTest, FieldBeyondTheLastNamesTheDelimiterCount) {
  test::RecordingUi ui;
  EXPECT_EQ(JNSplit(u"a#b#c", u"#", 3, true), u"");
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].prompt,
            u"Number of position is out of script!\nThe maixmum split text number is: 2");
  EXPECT_EQ(ui.messages[0].style, kMsgCritical);
  EXPECT_EQ(ui.messages[0].title, kSplitTitle);
}

TEST(JNSplitTest, NegativeFieldIsReportedEvenForAnEmptyText) {
  test::RecordingUi ui;
  EXPECT_EQ(JNSplit(u"", u"*", -1, true), u"");
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].prompt,
            u"Number of position is out of script!\n"
            u"The split text number postition can not less than 0");
  EXPECT_EQ(ui.messages[0].style, kMsgCritical);
  EXPECT_EQ(ui.messages[0].title, kSplitTitle);
}

TEST(JNSplitTest, UnusualDelimitersDoNotHang) {
  test::RecordingUi ui;
  EXPECT_EQ(JNSplit(u"abc", u"", 1, true), u"");
  EXPECT_EQ(JNSplit(u"a==b", u"==", 1, true), u"b");
  EXPECT_EQ(JNSplit(u"a===b", u"==", 1, true), u"");  // the overlapping match ends field 1 early
}

struct FindCase {
  std::u16string text;
  std::u16string search;
  std::int16_t occurrence;
  std::int32_t start;
  bool caseSensitive;
  std::int32_t expected;
};

TEST(JFindTest, CountsAndPositions) {
  const FindCase cases[] = {
      {u"aaa", u"aa", 0, 1, true, 2},  // overlapping matches both count
      {u"aaa", u"aa", -1, 1, true, 1},     {u"aaa", u"aa", -2, 1, true, 2},
      {u"aaa", u"aa", 2, 1, true, 2},      {u"aaa", u"aa", 3, 1, true, 0},
      {u"aaa", u"aa", -3, 1, true, 0},     {u"a*b*c*d", u"*", 0, 1, true, 3},
      {u"a*b*c*d", u"*", 0, 3, true, 2},   {u"a*b*c*d", u"*", -1, 3, true, 4},
      {u"xAbxaB", u"aB", -2, 1, false, 5}, {u"xAbxaB", u"aB", 0, 1, true, 1},
      {u"abc", u"", 0, 1, true, 0},
  };
  test::RecordingUi ui;
  for (const FindCase& c : cases) {
    EXPECT_EQ(JFind(c.text, c.search, c.occurrence, c.start, c.caseSensitive), c.expected)
        << "occurrence " << c.occurrence << " start " << c.start;
  }
  EXPECT_TRUE(ui.messages.empty());
}

TEST(JFindTest, BadStartsAreReported) {
  test::RecordingUi ui;
  EXPECT_EQ(JFind(u"", u"", 0, 1, true), 0);
  EXPECT_EQ(JFind(u"abc", u"a", 0, 4, true), 0);
  EXPECT_EQ(JFind(u"abc", u"a", 0, 0, true), 0);
  ASSERT_EQ(ui.messages.size(), 3u);
  const std::u16string beyond =
      u"Start position can not be larger than the text you are searching in.";
  EXPECT_EQ(ui.messages[0].prompt, beyond);
  EXPECT_EQ(ui.messages[1].prompt, beyond);
  EXPECT_EQ(ui.messages[2].prompt, u"Start position can not be less than integer \u00AB1\u00BB");
  for (const test::ShownMessage& m : ui.messages) {
    EXPECT_EQ(m.style, kMsgCritical);
    EXPECT_EQ(m.title, kFindTitle);
  }
}

TEST(JFindTest, LetsEventsRunAtEveryExaminedPosition) {
  test::RecordingUi ui;
  JFind(u"abcd", u"x", 0, 1, true);
  EXPECT_EQ(ui.doEvents, 4);
  JFind(u"abcd", u"b", 0, 2, true);
  EXPECT_EQ(ui.doEvents, 7);
}

struct ReplaceCase {
  std::u16string text;
  std::u16string search;
  std::u16string replacement;
  std::int32_t start;
  std::int32_t maximum;
  std::int32_t first;
  bool caseSensitive;
  std::u16string expected;
};

TEST(JReplaceTest, Rewrites) {
  const ReplaceCase cases[] = {
      {u"aaa", u"aa", u"b", 1, 0, 0, true, u"ba"},  // no overlap
      {u"aaa", u"aa", u"b", 0, 0, 0, true, u"ba"},
      {u"abc", u"b", u"x", 10, 0, 0, true, u"abc"},
      {u"a-a-a", u"a", u"b", 2, 0, 0, true, u"a-b-b"},  // the prefix is copied as it is
      {u"x1x2x3", u"x", u"Y", 1, 1, 2, true, u"x1Y2x3"},
      {u"x1x2x3", u"x", u"", 1, 2, 0, true, u"12x3"},
      {u"AaA", u"a", u"-", 1, 1, 0, false, u"-aA"},
      {u"AaA", u"a", u"-", 1, 1, 3, false, u"Aa-"},
      {u"One<Crlf>Two<CRLF>Three<crlf>", u"<Crlf>", u"\r\n", 0, 0, 0, false,
       u"One\r\nTwo\r\nThree\r\n"},
      {u"Quillmere 2000 by quillmere", u"Quillmere", u"Q Ltd", 1, 0, 0, false,
       u"Q Ltd 2000 by Q Ltd"},
      {u"abc", u"", u"x", 1, 0, 0, true, u"abc"},
      {u"abc", u"b", u"x", -5, 0, 0, true, u"axc"},
  };
  test::RecordingUi ui;
  for (const ReplaceCase& c : cases) {
    EXPECT_EQ(
        JReplace(c.text, c.search, c.replacement, c.start, c.maximum, c.first, c.caseSensitive),
        c.expected);
  }
  EXPECT_TRUE(ui.messages.empty());
}

TEST(JReplaceTest, LetsEventsRunAfterEveryStep) {
  test::RecordingUi ui;
  JReplace(u"a<Crlf>b", u"<Crlf>", u"\r\n", 0, 0, 0, false);
  EXPECT_EQ(ui.doEvents, 3);  // "a", the marker, "b"
}

TEST(JStringTest, CharactersOutsideTheBasicPlaneSurviveLowerCasing) {
  test::RecordingUi ui;
  const std::u16string text = u"\U0001F600A\U0001F600a";
  EXPECT_EQ(JFind(text, u"\U0001F600a", 0, 1, false), 2);
  EXPECT_EQ(JNSplit(text, u"a", 1, false), u"\U0001F600");
}

}  // namespace
}  // namespace larkspan
