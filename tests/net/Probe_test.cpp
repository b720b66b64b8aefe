#include "net/Probe.h"

#include <gtest/gtest.h>

#include <chrono>

#include "os/CodePage.h"
#include "support/HttpFixture.h"

namespace larkspan::test {
namespace {

TEST(NetDetectTest, AnyAnswerCountsAndNothingIsWaitedFor) {
  HttpFixture server;
  server.Serve("/missing", Reply::Text("not here", 404));
  // Headers, then silence: no body is awaited.
  server.Serve("/endless",
               {.head = "HTTP/1.1 200 OK\r\nContent-Length: 1\r\n\r\n", .end = Reply::End::kHold});
  const auto start = std::chrono::steady_clock::now();
  EXPECT_TRUE(IsUrlOnline(FromUtf8(server.Url("/missing"))));
  EXPECT_TRUE(IsUrlOnline(FromUtf8(server.Url("/endless"))));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
  EXPECT_FALSE(IsUrlOnline(FromUtf8(HttpFixture::RefusedUrl())));
  EXPECT_FALSE(IsUrlOnline(u"not an address"));
}

}  // namespace
}  // namespace larkspan::test
