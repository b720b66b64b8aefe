#include "platform/NetDetectModule.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "platform/CodePage.h"
#include "support/HttpFixture.h"

namespace larkspan {
namespace {

using test::HttpFixture;
using test::HttpResponse;

class NetDetectTest : public ::testing::Test {
 protected:
  NetDetectTest() {
    server.Serve("/", HttpResponse::Text("site root"));
    server.Serve("/missing", HttpResponse::Text("not here", 404));
  }
  std::u16string Address(const HttpFixture& at, const std::string& path = "/") {
    return FromUtf8(at.Url(path));
  }
  const std::u16string refused =
      FromUtf8("http://127.0.0.1:" + std::to_string(HttpFixture::RefusedPort()) + "/");
  HttpFixture server;
};

TEST_F(NetDetectTest, AnyResponseCountsAsAnswer) {
  EXPECT_TRUE(IsUrlOnline(Address(server)));
  EXPECT_TRUE(IsUrlOnline(Address(server, "/missing")));
  HttpResponse endless = HttpResponse::Text("x");
  endless.stallAfterSend = true;
  endless.sendBytes = 0;  // headers, then silence: the probe must not wait for a body
  server.Serve("/endless", endless);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_TRUE(IsUrlOnline(Address(server, "/endless")));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
  for (const std::u16string& address : {refused, std::u16string(u"not an address")}) {
    EXPECT_FALSE(IsUrlOnline(address));
  }
}

TEST_F(NetDetectTest, ProbesInOrderAndStopsAtTheFirstAnswer) {
  HttpFixture second;
  second.Serve("/", HttpResponse::Text("maker"));
  EXPECT_TRUE(IsOnline({Address(server), Address(second)}));
  EXPECT_EQ(server.RequestCount("/"), 1u);
  EXPECT_EQ(second.Requests().size(), 0u) << "the second site is not contacted";
  EXPECT_TRUE(IsOnline({refused, Address(second)}));
  EXPECT_EQ(second.RequestCount("/"), 1u);

  // Two sites that take the request and reset the connection: each is tried once.
  HttpResponse dead;
  dead.resetBeforeHeaders = true;
  server.Serve("/dead", dead);
  second.Serve("/dead", dead);
  EXPECT_FALSE(IsOnline({Address(server, "/dead"), Address(second, "/dead")}));
  EXPECT_EQ(server.RequestCount("/dead"), 1u);
  EXPECT_EQ(second.RequestCount("/dead"), 1u);
}

TEST_F(NetDetectTest, ProbeBypassesCachesAndLeavesNoConnection) {
  ASSERT_TRUE(IsUrlOnline(Address(server)));
  ASSERT_EQ(server.Requests().size(), 1u);
  const test::RecordedRequest probe = server.Requests()[0];
  EXPECT_EQ(probe.Header("Cache-Control"), "no-cache");
  EXPECT_EQ(probe.Header("Pragma"), "no-cache");
  EXPECT_EQ(probe.Header("User-Agent"), "Quillmere - Larkspan");
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
  while (server.OpenConnections() > 0 && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_EQ(server.OpenConnections(), 0u);
}

}  // namespace
}  // namespace larkspan
