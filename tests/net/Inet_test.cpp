// The transfer control on its own: bodies handed over in exact chunks however large, a cancel
// from an event handler, refused addresses, and what the whole-text fetch sends. How the
// windows end on network and server faults is the fault matrix's business (tests/app).
#include "net/Inet.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "base/Failure.h"
#include "os/CodePage.h"
#include "support/HeadlessBackend.h"
#include "support/HttpFixture.h"

namespace larkspan::test {
namespace {

using Clock = std::chrono::steady_clock;

template <class Condition>
bool Eventually(Condition condition) {
  for (auto deadline = Clock::now() + std::chrono::seconds(3); !condition();) {
    if (Clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

class InetTest : public ::testing::Test {
 protected:
  // Executes a GET of `reply` and takes `size` bytes in the download's chunks.
  std::string Download(const Reply& reply, std::size_t size) {
    server.Serve("/x", reply);
    inet.Execute(FromUtf8(server.Url("/x")), u"GET");
    EXPECT_TRUE(Eventually([&] { return !inet.StillExecuting(); }));
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

TEST_F(InetTest, CancelFromAnEventHandlerEndsTheWaitAndTheConnection) {
  Reply slow = Reply::Text(PatternBody(200000));
  slow.bytesPerSecond = 20000;
  HeadlessBackend ui;
  ui.onEveryYield = [&] {
    if (ui.yields == 20) inet.Cancel();  // the Stop button, clicked mid-body
  };
  const auto start = Clock::now();
  EXPECT_THROW(Download(slow, 200000), Failure);
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(2));
  EXPECT_EQ(ui.yields, 20) << "GetChunk must not wait on after the cancel";
  EXPECT_FALSE(inet.StillExecuting());
  EXPECT_TRUE(Eventually([&] { return server.OpenConnections() == 0; }));
}

TEST_F(InetTest, UnusableAddressOrOperationRaisesAtOnce) {
  for (std::u16string address : {u"", u"ftp://127.0.0.1/file", u"http://", u"http://a b/"}) {
    EXPECT_THROW(inet.Execute(address, u"GET"), Failure);
    EXPECT_THROW(inet.OpenURL(address), Failure);
  }
  EXPECT_THROW(inet.Execute(FromUtf8(server.Url("/")), u"PUT"), Failure);
  EXPECT_FALSE(inet.StillExecuting());
}

TEST_F(InetTest, WholeTextFetchBypassesCachesAndUsesTheDesignPort) {
  server.Serve("/My%20gone", Reply::Text("<head>gone</head>", 404));
  Inet local{InetSettings{server.Port(), 1}};  // the port for addresses that name none
  // Blanks go out encoded, as the platform's control sends them.
  EXPECT_EQ(local.OpenURL(u"http://127.0.0.1/My gone"), u"<head>gone</head>");
  const Request sent = server.Requests().at(0);
  for (const char* line : {"Cache-Control: no-cache\r\n", "Pragma: no-cache\r\n",
                           "User-Agent: Quillmere - Larkspan\r\n"}) {
    EXPECT_NE(sent.head.find(line), std::string::npos) << line << "in\n" << sent.head;
  }
}

}  // namespace
}  // namespace larkspan::test
