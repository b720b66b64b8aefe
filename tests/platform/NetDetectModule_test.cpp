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

std::u16string Wide(const std::string& text) {
  return FromUtf8(text);
}

std::u16string RefusedAddress() {
  return Wide("http://127.0.0.1:" + std::to_string(HttpFixture::RefusedPort()) + "/");
}

class NetDetectTest : public ::testing::Test {
 protected:
  NetDetectTest() {
    server.Serve("/", HttpResponse::Text("site root"));
    server.Serve("/missing", HttpResponse::Text("not here", 404));
  }
  HttpFixture server;
};

TEST_F(NetDetectTest, AnyResponseCountsAsAnswer) {
  EXPECT_TRUE(IsUrlOnline(Wide(server.Url("/"))));
  EXPECT_TRUE(IsUrlOnline(Wide(server.Url("/missing"))));
  HttpResponse endless = HttpResponse::Text("x");
  endless.stallAfterSend = true;
  endless.sendBytes = 0;  // headers, then silence: the probe must not wait for a body
  server.Serve("/endless", endless);
  auto start = std::chrono::steady_clock::now();
  EXPECT_TRUE(IsUrlOnline(Wide(server.Url("/endless"))));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

TEST_F(NetDetectTest, NoAnswerOrUnusableAddressIsFalse) {
  for (const std::u16string& address :
       {RefusedAddress(), std::u16string(), std::u16string(u"not an address"),
        std::u16string(u"http://"), std::u16string(u"ftp://127.0.0.1/")}) {
    EXPECT_FALSE(IsUrlOnline(address));
  }
}

TEST_F(NetDetectTest, ProbesInOrderAndStopsAtTheFirstAnswer) {
  HttpFixture second;
  second.Serve("/", HttpResponse::Text("maker"));

  EXPECT_TRUE(IsOnline({Wide(server.Url("/")), Wide(second.Url("/"))}));
  EXPECT_EQ(server.RequestCount("/"), 1u);
  EXPECT_EQ(second.Requests().size(), 0u) << "the second site is not contacted";

  EXPECT_TRUE(IsOnline({RefusedAddress(), Wide(second.Url("/"))}));
  EXPECT_EQ(second.RequestCount("/"), 1u);

  EXPECT_FALSE(IsOnline({RefusedAddress(), RefusedAddress()}));
  EXPECT_FALSE(IsOnline({}));
}

TEST_F(NetDetectTest, ProbeBypassesCachesAndLeavesNoConnection) {
  ASSERT_TRUE(IsUrlOnline(Wide(server.Url("/"))));
  ASSERT_EQ(server.Requests().size(), 1u);
  const test::RecordedRequest probe = server.Requests()[0];
  EXPECT_EQ(probe.method, "GET");
  EXPECT_EQ(probe.Header("Cache-Control"), "no-cache");
  EXPECT_EQ(probe.Header("Pragma"), "no-cache");
  EXPECT_EQ(probe.Header("User-Agent"), "Quillmere - Larkspan");
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
  while (server.OpenConnections() > 0 && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_EQ(server.OpenConnections(), 0u);
}

}  // namespace
}  // namespace larkspan
