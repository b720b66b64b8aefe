// The rate display and the reading of the announced length.
#include <gtest/gtest.h>

#include "DownFormHarness.h"
#include "download_window/DownProgress.h"
#include "platform/Failure.h"

namespace larkspan::test {
namespace {

TEST(ContentLengthValue, IsAStrictSigned32BitNumberRoundedHalfEven) {
  const std::pair<const char16_t*, std::int32_t> good[] = {
      {u" 1025 ", 1025}, {u"2147483647", 2147483647}, {u"12.5", 12}, {u"13.5", 14}};
  for (const auto& [text, value] : good) EXPECT_EQ(ContentLengthValue(text), value);
  const std::pair<const char16_t*, int> bad[] = {{u"", kTypeMismatch},
                                                 {u"12ab", kTypeMismatch},
                                                 {u"2147483648", kOverflow},
                                                 {u"-2147483649", kOverflow}};
  for (const auto& [text, code] : bad) {
    try {
      ContentLengthValue(text);
      ADD_FAILURE() << Narrow(text) << " was accepted";
    } catch (const Failure& f) {
      EXPECT_EQ(f.Code(), code) << Narrow(text);
    }
  }
}

using RateTimer = DownFormTest;

TEST_F(RateTimer, ShowsTheChunksSinceItsLastTickAndStartsAgain) {
  Offer("/setup.exe", HttpResponse::Text(PatternBody(8192)), "setup.exe");
  std::vector<std::string> rates;
  std::size_t nextTickAt = 5;
  backend.onEveryYield = [&] {
    if (Chunks() != nextTickAt) return;
    nextTickAt = nextTickAt == 5 ? 7 : 0;  // then never again
    backend.Advance(1000);
    rates.push_back(Caption("lblTransferRateVal"));
  };
  RunThenClose([&] { EXPECT_EQ(Caption("lblTransferRateVal"), "0  ( KB/Sec )"); });
  EXPECT_EQ(rates, (std::vector<std::string>{"5  ( KB/Sec )", "2  ( KB/Sec )"}));
}

}  // namespace
}  // namespace larkspan::test
