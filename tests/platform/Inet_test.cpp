#include "platform/Inet.h"

#include <dirent.h>
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <thread>

#include "platform/CodePage.h"
#include "platform/Failure.h"
#include "platform/Ui.h"
#include "support/HttpFixture.h"

namespace larkspan {
namespace {

using test::HttpFixture;
using test::HttpResponse;
using Clock = std::chrono::steady_clock;

// Counts the event-pump passes and runs a hook in each, as a window's click handler would.
class PumpProbe final : public UiServices {
 public:
  PumpProbe() : previous_(InstallUiServices(this)) {}
  ~PumpProbe() override { InstallUiServices(previous_); }
  MsgBoxResult MsgBox(const std::u16string&, int, const std::u16string&) override {
    return MsgBoxResult::kOk;
  }
  void DoEvents() override {
    ++passes;
    if (onPass) onPass();
  }
  [[noreturn]] void EndProgram() override { std::abort(); }
  int passes = 0;
  std::function<void()> onPass;

 private:
  UiServices* previous_;
};

std::string Pattern(std::size_t size) {
  std::string body(size, '\0');
  for (std::size_t i = 0; i < size; ++i) body[i] = static_cast<char>((i * 7 + i / 256) & 0xFF);
  return body;
}

std::u16string Wide(const std::string& utf8) {
  return FromUtf8(utf8);
}

// Waits, as the download does, until the response is in; fails the test after `limit`.
void AwaitResponse(Inet& inet, std::chrono::seconds limit = std::chrono::seconds(5)) {
  auto deadline = Clock::now() + limit;
  while (inet.StillExecuting()) {
    ASSERT_LT(Clock::now(), deadline) << "the response never arrived";
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
}

// Takes the body in chunks of 1024 bytes and the rest, as the download does.
std::string Download(Inet& inet, std::size_t size) {
  std::string body;
  for (std::size_t left = size; left > 0;) {
    std::size_t ask = std::min<std::size_t>(left, 1024);
    std::vector<std::uint8_t> chunk = inet.GetChunk(static_cast<std::int32_t>(ask));
    EXPECT_EQ(chunk.size(), ask);
    body.append(chunk.begin(), chunk.end());
    left -= ask;
  }
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

bool Eventually(const std::function<bool()>& condition) {
  auto deadline = Clock::now() + std::chrono::seconds(3);
  while (!condition()) {
    if (Clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return true;
}

class InetTest : public ::testing::Test {
 protected:
  HttpFixture server;
  Inet inet{InetSettings{80, 1}};
};

TEST_F(InetTest, DeliversBodiesOfEverySizeInExactChunks) {
  for (std::size_t size : {0u, 1u, 1024u, 1025u, 2048u, 300000u}) {
    SCOPED_TRACE(size);
    std::string body = Pattern(size);
    server.Serve("/file", HttpResponse::Text(body));
    inet.Execute(Wide(server.Url("/file")), u"GET");
    AwaitResponse(inet);
    EXPECT_EQ(inet.GetHeader(u"content-LENGTH"), Wide(std::to_string(size)));
    EXPECT_EQ(Download(inet, size), body);
    EXPECT_THROW(inet.GetChunk(1), Failure) << "nothing lies past the body";
  }
}

TEST_F(InetTest, ReturnsContentLengthAsSent) {
  struct Case {
    std::optional<std::string> raw;
    std::u16string expected;
    bool usable;  // the response itself came through
  };
  // The HTTP layer itself refuses a value that does not start with a digit, so that response
  // is no usable response at all.
  for (const Case& c : {Case{std::nullopt, u"", true}, Case{"12abc", u"12abc", true},
                        Case{"3000000000", u"3000000000", true}, Case{"abc", u"", false}}) {
    SCOPED_TRACE(c.raw.value_or("(none)"));
    HttpResponse response = HttpResponse::Text("0123456789");
    if (c.raw) response.rawContentLength = c.raw;
    response.omitContentLength = !c.raw;
    server.Serve("/x", response);
    inet.Execute(Wide(server.Url("/x")), u"GET");
    AwaitResponse(inet);
    EXPECT_EQ(inet.GetHeader(u"Content-Length"), c.expected);
    EXPECT_EQ(inet.GetHeader(u"Content-Type") == u"text/plain", c.usable);
  }
}

TEST_F(InetTest, ReadsChunkedBody) {
  HttpResponse response = HttpResponse::Text(Pattern(5000));
  response.chunked = true;
  response.chunkSize = 700;
  server.Serve("/c", response);
  inet.Execute(Wide(server.Url("/c")), u"GET");
  AwaitResponse(inet);
  EXPECT_EQ(inet.GetHeader(u"Content-Length"), u"");
  EXPECT_EQ(inet.GetHeader(u"Transfer-Encoding"), u"chunked");
  EXPECT_EQ(Download(inet, 5000), Pattern(5000));
}

TEST_F(InetTest, FollowsRedirectsAndReportsTheFinalResponse) {
  HttpResponse final = HttpResponse::Text("installer");
  final.headers.emplace_back("X-Stage", "final");
  server.Serve("/final", final);
  server.Serve("/hop", HttpResponse::Redirect("/final", 301));
  server.Serve("/start", HttpResponse::Redirect(server.Url("/hop")));
  inet.Execute(Wide(server.Url("/start")), u"GET");
  AwaitResponse(inet);
  EXPECT_EQ(inet.GetHeader(u"X-Stage"), u"final");
  EXPECT_EQ(inet.GetHeader(u"Location"), u"");
  EXPECT_EQ(Download(inet, 9), "installer");
}

TEST_F(InetTest, RedirectLoopEndsWithoutResponse) {
  server.Serve("/a", HttpResponse::Redirect("/b"));
  server.Serve("/b", HttpResponse::Redirect("/a"));
  inet.Execute(Wide(server.Url("/a")), u"GET");
  AwaitResponse(inet);
  EXPECT_EQ(inet.GetHeader(u"Content-Length"), u"");
  EXPECT_THROW(inet.GetChunk(1), Failure);
  EXPECT_EQ(server.RequestCount("/a") + server.RequestCount("/b"), 11u);  // first + 10 follows
}

TEST_F(InetTest, BrokenOrSilentServersFailInsteadOfHanging) {
  HttpResponse shortBody = HttpResponse::Text(Pattern(2048));
  shortBody.sendBytes = 1500;  // announces 2048, then closes
  HttpResponse stalled = HttpResponse::Text(Pattern(2048));
  stalled.sendBytes = 1500;
  stalled.stallAfterSend = true;  // then stays silent past the 1 s time-out
  HttpResponse reset = HttpResponse::Text(Pattern(2048));
  reset.resetAfterHeaders = true;
  for (const HttpResponse& response : {shortBody, stalled, reset}) {
    server.Serve("/broken", response);
    inet.Execute(Wide(server.Url("/broken")), u"GET");
    AwaitResponse(inet);
    auto start = Clock::now();
    std::vector<std::uint8_t> first;
    EXPECT_THROW(
        {
          first = inet.GetChunk(1024);
          inet.GetChunk(1024);
        },
        Failure);
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(4));
  }
}

TEST_F(InetTest, SilenceBeforeTheResponseEndsTheRequest) {
  HttpResponse silent;
  silent.silent = true;
  server.Serve("/mute", silent);
  inet.Execute(Wide(server.Url("/mute")), u"GET");
  AwaitResponse(inet);
  EXPECT_EQ(inet.GetHeader(u"Content-Length"), u"");
}

TEST_F(InetTest, RefusedOrResetConnectionEndsWithoutResponse) {
  HttpResponse reset;
  reset.resetBeforeHeaders = true;
  server.Serve("/reset", reset);
  for (const std::string& address :
       {"http://127.0.0.1:" + std::to_string(HttpFixture::RefusedPort()) + "/",
        server.Url("/reset")}) {
    SCOPED_TRACE(address);
    inet.Execute(Wide(address), u"GET");
    AwaitResponse(inet);
    EXPECT_EQ(inet.GetHeader(u"Content-Length"), u"");
    EXPECT_THROW(inet.GetChunk(1024), Failure);
  }
}

TEST_F(InetTest, UnusableAddressOrOperationRaisesAtOnce) {
  for (std::u16string address : {u"", u"ftp://127.0.0.1/file", u"http://", u"http://a b/"}) {
    EXPECT_THROW(inet.Execute(address, u"GET"), Failure);
  }
  EXPECT_THROW(inet.Execute(Wide(server.Url("/")), u"PUT"), Failure);
  EXPECT_FALSE(inet.StillExecuting());
}

TEST_F(InetTest, PortSettingAppliesToAddressesWithoutPort) {
  Inet local{InetSettings{server.Port(), 1}};
  server.Serve("/info.txt", HttpResponse::Text("5#6#7#8#9"));
  EXPECT_EQ(local.OpenURL(u"http://127.0.0.1/info.txt"), u"5#6#7#8#9");
}

TEST_F(InetTest, GetChunkLetsEventsRunWhileASlowServerSends) {
  HttpResponse slow = HttpResponse::Text(Pattern(2048));
  slow.bytesPerSecond = 4000;  // half a second for the body
  server.Serve("/slow", slow);
  PumpProbe pump;
  inet.Execute(Wide(server.Url("/slow")), u"GET");
  AwaitResponse(inet);
  EXPECT_EQ(Download(inet, 2048), Pattern(2048));
  EXPECT_GT(pump.passes, 5);
}

TEST_F(InetTest, CancelFromAnEventHandlerStopsEverythingPromptly) {
  std::size_t threadsBefore = ThreadCount();
  HttpResponse slow = HttpResponse::Text(Pattern(200000));
  slow.bytesPerSecond = 20000;
  server.Serve("/slow", slow);
  PumpProbe pump;
  pump.onPass = [&] {
    if (pump.passes == 20) inet.Cancel();  // the Stop button, clicked mid-body
  };
  inet.Execute(Wide(server.Url("/slow")), u"GET");
  AwaitResponse(inet);
  auto start = Clock::now();
  EXPECT_THROW(Download(inet, 200000), Failure);
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(2));
  EXPECT_EQ(pump.passes, 20) << "GetChunk must not wait on after the cancel";
  EXPECT_FALSE(inet.StillExecuting());
  EXPECT_THROW(inet.GetChunk(1), Failure);
  // The worker is gone at once; the server sees the connection close and its thread ends.
  EXPECT_TRUE(Eventually([&] { return server.OpenConnections() == 0; }));
  EXPECT_TRUE(Eventually([&] { return ThreadCount() == threadsBefore; }));
}

TEST_F(InetTest, BodyLargerThanTheBufferArrivesWhole) {
  // Far beyond the buffer: the transfer has to pause and resume many times.
  HttpResponse big = HttpResponse::Text(Pattern(1 << 20));
  big.repeat = 24;
  server.Serve("/big", big);
  inet.Execute(Wide(server.Url("/big")), u"GET");
  AwaitResponse(inet);
  std::string body = Download(inet, 24u << 20);
  ASSERT_EQ(body.size(), 24u << 20);
  EXPECT_EQ(body.substr(23u << 20), Pattern(1 << 20));
}

TEST_F(InetTest, OpenUrlReturnsTheBodyWhateverTheStatus) {
  server.Serve("/info", HttpResponse::Text("2024#3.15#42#http://x/setup.exe#news"));
  server.Serve("/gone", HttpResponse::Text("<head>gone</head>", 404));
  server.Serve("/moved", HttpResponse::Redirect("/info"));
  EXPECT_EQ(inet.OpenURL(Wide(server.Url("/info"))), u"2024#3.15#42#http://x/setup.exe#news");
  EXPECT_EQ(inet.OpenURL(Wide(server.Url("/gone"))), u"<head>gone</head>");
  EXPECT_EQ(inet.OpenURL(Wide(server.Url("/moved"))), u"2024#3.15#42#http://x/setup.exe#news");
}

TEST_F(InetTest, OpenUrlDecodesInvalidBytesAsReplacementCharacters) {
  server.Serve("/bad", HttpResponse::Text(std::string("a\xff\xfe"
                                                      "b\xc3",
                                                      5)));
  EXPECT_EQ(inet.OpenURL(Wide(server.Url("/bad"))), u"a\uFFFD\uFFFDb\uFFFD");
}

TEST_F(InetTest, OpenUrlRaisesOnEveryKindOfFailure) {
  HttpResponse stalled = HttpResponse::Text("abc");
  stalled.stallAfterHeaders = true;
  HttpResponse cut = HttpResponse::Text("abcdef");
  cut.sendBytes = 2;
  HttpResponse huge = HttpResponse::Text(std::string(1 << 20, 'x'));
  huge.repeat = 17;
  HttpResponse hugeUnannounced = huge;
  hugeUnannounced.omitContentLength = true;
  server.Serve("/stalled", stalled);
  server.Serve("/cut", cut);
  server.Serve("/huge", huge);
  server.Serve("/hugeUnannounced", hugeUnannounced);
  std::vector<std::string> addresses = {
      "http://127.0.0.1:" + std::to_string(HttpFixture::RefusedPort()) + "/",
      "http://no-such-host.invalid/",
      server.Url("/stalled"),
      server.Url("/cut"),
      server.Url("/huge"),
      server.Url("/hugeUnannounced")};
  for (const std::string& address : addresses) {
    SCOPED_TRACE(address);
    try {
      inet.OpenURL(Wide(address));
      ADD_FAILURE() << "no failure raised";
    } catch (const Failure& failure) {
      EXPECT_EQ(failure.Code(), kTransferFailed);
    }
  }
}

TEST_F(InetTest, SendsNoCacheHeaders) {
  server.Serve("/info", HttpResponse::Text("x"));
  inet.OpenURL(Wide(server.Url("/info")));
  ASSERT_EQ(server.Requests().size(), 1u);
  EXPECT_EQ(server.Requests()[0].Header("Cache-Control"), "no-cache");
  EXPECT_EQ(server.Requests()[0].Header("Pragma"), "no-cache");
}

}  // namespace
}  // namespace larkspan
