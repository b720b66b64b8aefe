#include "platform/Inet.h"

#include <dirent.h>
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "platform/CodePage.h"
#include "platform/Failure.h"
#include "support/HeadlessBackend.h"
#include "support/HttpFixture.h"

namespace larkspan {
namespace {

using test::HttpFixture;
using test::HttpResponse;
using Clock = std::chrono::steady_clock;

std::string Pattern(std::size_t size) {
  std::string body(size, '\0');
  for (std::size_t i = 0; i < size; ++i) body[i] = static_cast<char>((i * 7 + i / 256) & 0xFF);
  return body;
}

std::size_t ThreadCount() {
  std::size_t count = 0;
  if (DIR* tasks = opendir("/proc/self/task")) {
    while (dirent* entry = readdir(tasks)) count += entry->d_name[0] != '.';
    closedir(tasks);
  }
  return count;
}

// Waits up to three seconds for `condition`.
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
  // Serves `response` at "/x", executes a GET of it and waits, as the download does, until the
  // response is in.
  void Start(const HttpResponse& response) {
    server.Serve("/x", response);
    inet.Execute(FromUtf8(server.Url("/x")), u"GET");
    ASSERT_TRUE(Eventually([&] { return !inet.StillExecuting(); })) << "no end of the request";
  }
  // Takes the body in chunks of 1024 bytes and the rest, as the download does.
  std::string Download(std::size_t size) {
    std::string body;
    for (std::size_t left = size; left > 0;) {
      const std::size_t ask = std::min<std::size_t>(left, 1024);
      const std::vector<std::uint8_t> chunk = inet.GetChunk(static_cast<std::int32_t>(ask));
      EXPECT_EQ(chunk.size(), ask);
      body.append(chunk.begin(), chunk.end());
      left -= ask;
    }
    return body;
  }
  std::u16string ContentLength() { return inet.GetHeader(u"content-LENGTH"); }

  HttpFixture server;
  Inet inet{InetSettings{80, 1}};
};

TEST_F(InetTest, DeliversBodiesOfEverySizeInExactChunks) {
  for (std::size_t size : {0u, 1u, 1024u, 1025u, 2048u}) {
    SCOPED_TRACE(size);
    Start(HttpResponse::Text(Pattern(size)));
    EXPECT_EQ(ContentLength(), FromUtf8(std::to_string(size)));
    EXPECT_EQ(Download(size), Pattern(size));
    EXPECT_THROW(inet.GetChunk(1), Failure) << "nothing lies past the body";
  }
  // Far beyond the buffer: the transfer has to pause and resume many times.
  HttpResponse big = HttpResponse::Text(Pattern(1 << 20));
  big.repeat = 24;
  Start(big);
  const std::string body = Download(24u << 20);
  EXPECT_EQ(body.substr(23u << 20), Pattern(1 << 20));
}

TEST_F(InetTest, ReturnsContentLengthAsSent) {
  HttpResponse chunked = HttpResponse::Text(Pattern(5000));
  chunked.chunked = true;
  chunked.chunkSize = 700;
  Start(chunked);
  EXPECT_EQ(ContentLength(), u"");
  EXPECT_EQ(Download(5000), Pattern(5000));
  // libcurl itself refuses a value that does not start with a digit: no response at all.
  const std::pair<std::optional<std::string>, std::u16string> cases[] = {
      {std::nullopt, u""}, {"12abc", u"12abc"}, {"3000000000", u"3000000000"}, {"abc", u""}};
  for (const auto& [raw, expected] : cases) {
    SCOPED_TRACE(raw.value_or("(none)"));
    HttpResponse response = HttpResponse::Text("0123456789");
    response.rawContentLength = raw;
    response.omitContentLength = !raw;
    Start(response);
    EXPECT_EQ(ContentLength(), expected);
    EXPECT_EQ(inet.GetHeader(u"Content-Type") == u"text/plain", raw != "abc");
  }
}

TEST_F(InetTest, FollowsRedirectsAndReportsTheFinalResponse) {
  HttpResponse final = HttpResponse::Text("installer");
  final.headers.emplace_back("X-Stage", "final");
  server.Serve("/final", final);
  server.Serve("/hop", HttpResponse::Redirect("/final", 301));
  Start(HttpResponse::Redirect(server.Url("/hop")));
  EXPECT_EQ(inet.GetHeader(u"X-Stage"), u"final");
  EXPECT_EQ(inet.GetHeader(u"Location"), u"");
  EXPECT_EQ(Download(9), "installer");
}

TEST_F(InetTest, UnusableAddressOrOperationRaisesAtOnce) {
  for (std::u16string address : {u"", u"ftp://127.0.0.1/file", u"http://", u"http://a b/"}) {
    EXPECT_THROW(inet.Execute(address, u"GET"), Failure);
  }
  EXPECT_THROW(inet.Execute(FromUtf8(server.Url("/")), u"PUT"), Failure);
  EXPECT_FALSE(inet.StillExecuting());
}

TEST_F(InetTest, BrokenOrSilentBodiesFailInsteadOfHanging) {
  HttpResponse shortBody = HttpResponse::Text(Pattern(2048));
  shortBody.sendBytes = 1500;  // announces 2048, then closes
  HttpResponse stalled = shortBody;
  stalled.stallAfterSend = true;  // then stays silent past the 1 s time-out
  for (const HttpResponse& response : {shortBody, stalled}) {
    Start(response);
    const auto start = Clock::now();
    EXPECT_THROW(Download(2048), Failure);
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(4));
  }
}

TEST_F(InetTest, CancelFromAnEventHandlerStopsEverythingPromptly) {
  const std::size_t threadsBefore = ThreadCount();
  HttpResponse slow = HttpResponse::Text(Pattern(200000));
  slow.bytesPerSecond = 20000;
  test::HeadlessBackend ui;
  ui.AtYield(20, [&] { inet.Cancel(); });  // the Stop button, clicked mid-body
  Start(slow);
  const auto start = Clock::now();
  EXPECT_THROW(Download(200000), Failure);
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(2));
  EXPECT_EQ(ui.yields, 20) << "GetChunk must not wait on after the cancel";
  EXPECT_FALSE(inet.StillExecuting());
  EXPECT_THROW(inet.GetChunk(1), Failure);
  // The worker is gone at once; the server sees the connection close and its thread ends.
  EXPECT_TRUE(Eventually([&] { return server.OpenConnections() == 0; }));
  EXPECT_TRUE(Eventually([&] { return ThreadCount() == threadsBefore; }));
}

TEST_F(InetTest, OpenUrlReturnsTheWholeBodyOrRaises) {
  server.Serve("/gone", HttpResponse::Text("<head>gone</head>", 404));
  EXPECT_EQ(inet.OpenURL(FromUtf8(server.Url("/gone"))), u"<head>gone</head>");
  ASSERT_EQ(server.Requests().size(), 1u);
  EXPECT_EQ(server.Requests()[0].Header("Cache-Control"), "no-cache");
  EXPECT_EQ(server.Requests()[0].Header("Pragma"), "no-cache");
  Inet local{InetSettings{server.Port(), 1}};  // the port for addresses that name none
  EXPECT_EQ(local.OpenURL(u"http://127.0.0.1/gone"), u"<head>gone</head>");

  // Beyond the limit, announced or not.
  HttpResponse huge = HttpResponse::Text(std::string(1 << 20, 'x'));
  huge.repeat = 17;
  HttpResponse hugeUnannounced = huge;
  hugeUnannounced.omitContentLength = true;
  server.Serve("/huge", huge);
  server.Serve("/hugeUnannounced", hugeUnannounced);
  const std::string refused = "http://127.0.0.1:" + std::to_string(HttpFixture::RefusedPort());
  for (const std::string& address :
       {refused + "/", server.Url("/huge"), server.Url("/hugeUnannounced")}) {
    SCOPED_TRACE(address);
    try {
      inet.OpenURL(FromUtf8(address));
      ADD_FAILURE() << "no failure raised";
    } catch (const Failure& failure) {
      EXPECT_EQ(failure.Code(), kTransferFailed);
    }
  }
}

}  // namespace
}  // namespace larkspan
