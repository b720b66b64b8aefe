// The transfer control on its own: bodies handed over in exact chunks however large, refused
// addresses, what the whole-text fetch sends, and the fetch's deadline. (Stop during a download
// is the download window's test; redirects and https, RealServer_test's.) How the windows end on
// network and server faults is the fault matrix's business (tests/app).
#include "net/Inet.h"

#include <gtest/gtest.h>

#include <chrono>

#include "base/Failure.h"
#include "net/Probe.h"
#include "os/CodePage.h"
#include "support/HttpFixture.h"

namespace larkspan::test {
namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kResponseWait = std::chrono::seconds(3);

class InetTest : public ::testing::Test {
 protected:
  // Executes a GET of `reply` and takes `size` bytes in the download's chunks.
  std::string Download(const Reply& reply, std::size_t size) {
    server.Serve("/x", reply);
    inet.Execute(FromUtf8(server.Url("/x")), u"GET");
    EXPECT_FALSE(inet.StillExecuting(kResponseWait));
    std::string body;
    for (std::size_t left = size; left > 0;) {
      const std::size_t ask = std::min<std::size_t>(left, 1024);
      const std::vector<std::uint8_t> chunk = inet.GetChunk(static_cast<std::int32_t>(ask));
      body.append(chunk.begin(), chunk.end());
      left -= ask;
    }
    return body;
  }

  HttpFixture server;
  Inet inet{InetSettings{80, 1}};
};

TEST_F(InetTest, HandsOverExactChunksOfBodiesOfEverySize) {
  for (std::size_t size : {0u, 1u, 1024u, 1025u, 2048u}) {
    EXPECT_EQ(Download(Reply::Text(PatternBody(size)), size), PatternBody(size));
    EXPECT_EQ(inet.GetHeader(u"content-LENGTH"), FromUtf8(std::to_string(size)));
    EXPECT_THROW(inet.GetChunk(1), Failure) << "nothing lies past the body";
  }
  // Far beyond the transfer's buffer, which must pause and resume the connection many times.
  Reply big = Reply::Raw("HTTP/1.1 200 OK\r\nContent-Length: 25165824\r\n", PatternBody(1 << 20));
  big.repeat = 24;
  EXPECT_EQ(Download(big, 24u << 20).substr(23u << 20), PatternBody(1 << 20));
}

TEST_F(InetTest, UnusableAddressOrOperationRaisesAtOnce) {
  for (std::u16string address : {u"", u"ftp://127.0.0.1/file", u"http://", u"http://a b/"}) {
    EXPECT_THROW(inet.Execute(address, u"GET"), Failure);
    EXPECT_THROW(inet.OpenURL(address), Failure);
  }
  EXPECT_THROW(inet.Execute(FromUtf8(server.Url("/")), u"PUT"), Failure);
  EXPECT_FALSE(inet.StillExecuting());
}

// The probe may be given a cookie (on Windows it keeps it), but no request of the control sends
// one back.
TEST_F(InetTest, WholeTextFetchBypassesCachesUsesTheDesignPortAndSendsNoCookie) {
  server.Serve("/", Reply::Text("site", 200, "Set-Cookie: visit=1; Path=/\r\n"));
  EXPECT_TRUE(IsUrlOnline(FromUtf8(server.Url("/"))));
  server.Serve("/My%20gone", Reply::Text("<head>gone</head>", 404));
  Inet local{InetSettings{server.Port(), 1}};  // the port for addresses that name none
  // Blanks in the path go out encoded.
  EXPECT_EQ(local.OpenURL(u"http://127.0.0.1/My gone"), u"<head>gone</head>");
  EXPECT_EQ(Download(Reply::Text("body"), 4), "body");
  const std::vector<Request> sent = server.Requests();
  ASSERT_EQ(sent.size(), 3u);
  for (const char* line : {"Cache-Control: no-cache\r\n", "Pragma: no-cache\r\n",
                           "User-Agent: Quillmere - Larkspan\r\n"}) {
    EXPECT_NE(sent[1].head.find(line), std::string::npos) << line << "in\n" << sent[1].head;
  }
  for (const Request& request : {sent[1], sent[2]}) {
    EXPECT_EQ(request.head.find("Cookie"), std::string::npos) << request.head;
  }
}

// The time-out bounds the whole-text fetch in all, however the server trickles.
TEST_F(InetTest, WholeTextFetchEndsAtTheTimeOutWhileTheServerTrickles) {
  Reply trickle = Reply::Text("0123456789");
  trickle.bytesPerSecond = 1;
  server.Serve("/trickle", trickle);
  Inet twoSeconds{InetSettings{80, 2}};
  const auto start = Clock::now();
  EXPECT_THROW(twoSeconds.OpenURL(FromUtf8(server.Url("/trickle"))), Failure);
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(4));
}

}  // namespace
}  // namespace larkspan::test
