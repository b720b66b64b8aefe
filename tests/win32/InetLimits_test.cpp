// What the WinINet transfer control refuses or gives up on, beyond the shared transfer tests:
// WinINet itself reads a length leniently and ends a stalled body quietly.
#include <gtest/gtest.h>

#include <chrono>
#include <optional>

#include "base/Failure.h"
#include "net/Inet.h"
#include "os/CodePage.h"
#include "support/HttpFixture.h"

namespace larkspan::test {
namespace {

TEST(InetLimitsTest, WholeTextFetchRefusesLengthsThatCannotBeTrusted) {
  HttpFixture server;
  Inet inet{InetSettings{80, 5}};
  const struct {
    const char* lengths;
    std::optional<std::u16string> body;
  } cases[] = {
      {"Content-Length: 12\r\nContent-Length: 12\r\n", u"hello world!"},
      {"Content-Length: 12abc\r\n", std::nullopt},
      {"Content-Length: 5\r\nContent-Length: 12\r\n", std::nullopt},
  };
  for (const auto& [lengths, body] : cases) {
    server.Serve("/x", Reply::Raw(std::string("HTTP/1.1 200 OK\r\n") + lengths, "hello world!"));
    if (body) {
      EXPECT_EQ(inet.OpenURL(FromUtf8(server.Url("/x"))), *body) << lengths;
    } else {
      EXPECT_THROW(inet.OpenURL(FromUtf8(server.Url("/x"))), Failure) << lengths;
    }
  }
}

TEST(InetLimitsTest, SilenceAfterPartOfTheBodyEndsAtTheTimeOutOrAtOnceOnAStop) {
  HttpFixture server;
  Reply stalled = Reply::Text(PatternBody(4096));
  stalled.bodyBytes = 1000;
  stalled.end = Reply::End::kHold;  // the connection stays open, and silent
  server.Serve("/stalled", stalled);
  const std::u16string url = FromUtf8(server.Url("/stalled"));
  Inet inet{InetSettings{80, 2}};
  for (bool stop : {false, true}) {
    inet.SetStopCheck(nullptr);
    inet.Execute(url, u"GET");
    EXPECT_EQ(inet.GetChunk(1000).size(), 1000u);
    inet.SetStopCheck([stop] { return stop; });  // the Stop button, pressed now or never
    const auto start = std::chrono::steady_clock::now();
    EXPECT_THROW(inet.GetChunk(1), Failure);
    // The control's own time-out applies, not WinINet's default of minutes.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(stop ? 1 : 10));
  }
  EXPECT_THROW(inet.OpenURL(url), Failure);
}

}  // namespace
}  // namespace larkspan::test
