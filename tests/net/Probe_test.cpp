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
  Reply endless = Reply::Text("x");
  endless.bodyBytes = 0;
  endless.end = Reply::End::kHold;  // headers, then silence: no body is awaited
  server.Serve("/endless", endless);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_TRUE(IsUrlOnline(FromUtf8(server.Url("/missing"))));
  EXPECT_TRUE(IsUrlOnline(FromUtf8(server.Url("/endless"))));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
  EXPECT_FALSE(IsUrlOnline(FromUtf8(HttpFixture::RefusedUrl())));
  EXPECT_FALSE(IsUrlOnline(u"not an address"));
}

TEST(NetDetectTest, ProbesInOrderUntilTheFirstAnswerAndEachDeadSiteOnce) {
  HttpFixture product, maker;
  Reply dead;
  dead.end = Reply::End::kReset;  // takes the request, resets the connection
  product.Serve("/dead", dead);
  maker.Serve("/dead", dead);
  const std::u16string productRoot = FromUtf8(product.Url("/")),
                       makerRoot = FromUtf8(maker.Url("/"));
  EXPECT_TRUE(IsOnline({productRoot, makerRoot}));
  EXPECT_EQ(product.RequestCount("/") * 10 + maker.Requests().size(), 10u);
  EXPECT_TRUE(IsOnline({FromUtf8(product.Url("/dead")), makerRoot}));
  EXPECT_EQ(maker.RequestCount("/"), 1u);
  EXPECT_FALSE(IsOnline({FromUtf8(product.Url("/dead")), FromUtf8(maker.Url("/dead"))}));
  EXPECT_EQ(product.RequestCount("/dead") * 10 + maker.RequestCount("/dead"), 21u);
}

}  // namespace
}  // namespace larkspan::test
