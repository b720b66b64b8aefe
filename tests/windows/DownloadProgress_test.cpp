// Size, progress and rate figures of the download window.
#include <gtest/gtest.h>

#include "DownFormHarness.h"
#include "download_window/DownProgress.h"
#include "platform/Failure.h"
#include "toolkit/NumberText.h"

namespace larkspan::test {
namespace {

struct ProgressCase {
  std::int32_t fileSize;
  std::vector<int> percentages;  // after each chunk of 1024 (the last one the rest)
  std::vector<int> barValues;
};

TEST(DownProgress, PercentageAndBarRoundHalvesToEven) {
  const ProgressCase cases[] = {
      {8192, {12, 25, 38, 50, 62, 75, 88, 100}, {12, 25, 38, 50, 62, 75, 88, 100}},
      {3072, {33, 67, 100}, {33, 67, 100}},
      {1025, {100, 100}, {100, 100}},
      {2560, {40, 80, 100}, {40, 80, 100}},
  };
  for (const ProgressCase& c : cases) {
    std::int32_t downloaded = 0;
    for (std::size_t i = 0; i < c.percentages.size(); ++i) {
      downloaded = std::min(downloaded + kChunkSize, c.fileSize);
      EXPECT_EQ(DownPercentage(downloaded, c.fileSize), c.percentages[i]) << c.fileSize << " " << i;
      EXPECT_EQ(DownBarValue(downloaded, c.fileSize), c.barValues[i]) << c.fileSize << " " << i;
    }
  }
  // 0.5 % steps: 1 KB of 200 KB is 0.5 %, which rounds to the even 0; 3 KB (1.5 %) to 2.
  EXPECT_EQ(DownPercentage(1024, 204800), 0);
  EXPECT_EQ(DownPercentage(3072, 204800), 2);
  EXPECT_EQ(DownPercentage(2147483647, 2147483647), 100);
  EXPECT_EQ(DownBarValue(2147483647, 2147483647), 100);
}

TEST(DownProgress, DownTextReusesItsBufferAndSpellsTheFragmentsExactly) {
  ScopedDecimalSeparator point(u'.');
  std::u16string text = u"left over from the previous chunk, longer than the next";
  WriteDownText(text, 3072, 38);
  EXPECT_EQ(Narrow(text), "3 KB  ( 38 % )");
  WriteDownText(text, 1000, 100);
  EXPECT_EQ(Narrow(text), "1000 Bytes  ( 100 % )");
  WriteDownText(text, 1572864, 7);
  EXPECT_EQ(Narrow(text), "1.5 MB  ( 7 % )");
  EXPECT_EQ(Narrow(SizeText(0)), "0 Bytes");
}

TEST(DownProgress, RateTextAndChunkCounter) {
  EXPECT_EQ(Narrow(RateText(0)), "0  ( KB/Sec )");
  EXPECT_EQ(Narrow(RateText(517)), "517  ( KB/Sec )");
  EXPECT_EQ(Narrow(std::u16string(kRateWhenComplete)), "0  ( KB/Sec )");

  std::int16_t chunks = 32766;
  CountChunk(chunks);
  EXPECT_EQ(chunks, 32767);
  try {
    CountChunk(chunks);
    FAIL() << "a count beyond 32767 must fail";
  } catch (const Failure& f) {
    EXPECT_EQ(f.Code(), kOverflow);
  }
  EXPECT_EQ(chunks, 32767);
}

TEST(DownProgress, ContentLengthIsAStrictSigned32BitNumber) {
  struct Case {
    const char16_t* text;
    std::int32_t value;
  };
  for (const Case& c :
       {Case{u"0", 0}, Case{u"8192", 8192}, Case{u" 1025 ", 1025}, Case{u"2147483647", 2147483647},
        Case{u"12.5", 12}, Case{u"13.5", 14}, Case{u"-5", -5}}) {
    EXPECT_EQ(ContentLengthValue(c.text), c.value) << Narrow(c.text);
  }
  struct Bad {
    const char16_t* text;
    int code;
  };
  for (const Bad& b :
       {Bad{u"", kTypeMismatch}, Bad{u"abc", kTypeMismatch}, Bad{u"12ab", kTypeMismatch},
        Bad{u"2147483648", kOverflow}, Bad{u"-2147483649", kOverflow}, Bad{u"1e300", kOverflow}}) {
    try {
      ContentLengthValue(b.text);
      ADD_FAILURE() << Narrow(b.text) << " was accepted";
    } catch (const Failure& f) {
      EXPECT_EQ(f.Code(), b.code) << Narrow(b.text);
    }
  }
}

using RateTimer = DownFormTest;

// The rate timer shows the chunks taken since its last tick and starts counting again.
TEST_F(RateTimer, ShowsChunksPerTickAndResetsTheCount) {
  Offer("/setup.exe", HttpResponse::Text(PatternBody(8 * 1024)));
  backend.saveAnswers = {FromUtf8(Target("setup.exe"))};
  std::vector<std::string> rates;
  auto tickOnceAt = [&](std::size_t chunks, std::shared_ptr<bool> done) {
    return [=, &rates, this] {
      if (*done || ChunksShown() != chunks) return;
      *done = true;
      backend.Advance(1000);
      rates.push_back(Narrow(Win().LabelNamed("lblTransferRateVal").caption));
    };
  };
  auto first = tickOnceAt(5, std::make_shared<bool>(false));
  auto second = tickOnceAt(7, std::make_shared<bool>(false));
  backend.onEveryYield = [=] {
    first();
    second();
  };

  std::optional<Shown> shown = RunAndClose();
  ASSERT_TRUE(shown);
  EXPECT_EQ(rates, (std::vector<std::string>{"5  ( KB/Sec )", "2  ( KB/Sec )"}));
  EXPECT_EQ(shown->rate, "0  ( KB/Sec )");
}

}  // namespace
}  // namespace larkspan::test
