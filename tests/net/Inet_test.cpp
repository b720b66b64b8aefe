// The transfer control on its own: refused addresses, what every fetch sends and what it
// leaves, the redirect rule status by status, log-in, and the fetch's deadline. (Large bodies in
// exact chunks and Stop during a download: the download window's tests; chains of redirects and
// https, RealServer_test's against nginx.) How the windows end on network and server faults is
// the fault matrix's business (tests/app).
#include "net/Inet.h"

#ifdef _WIN32
#include <windows.h>
// after windows.h, which it needs
#include <wininet.h>
#endif

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <tuple>

#include "base/Failure.h"
#include "net/Probe.h"
#include "net/Transfer.h"
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
    for (std::size_t left = size, ask; left > 0; left -= ask) {
      inet.GetChunk(chunk, static_cast<std::int32_t>(ask = std::min<std::size_t>(left, 1024)));
      body.append(chunk.begin(), chunk.end());
    }
    return body;
  }

  HttpFixture server;
  Inet inet{InetSettings{80, 1}};
  std::vector<std::uint8_t> chunk;
};

TEST_F(InetTest, UnusableAddressOrOperationRaisesAtOnce) {
  for (std::u16string address : {u"", u"ftp://127.0.0.1/file", u"http://", u"http://a b/"}) {
    EXPECT_THROW(inet.Execute(address, u"GET"), Failure);
    EXPECT_THROW(inet.OpenURL(address), Failure);
  }
  EXPECT_THROW(inet.Execute(FromUtf8(server.Url("/")), u"PUT"), Failure);
  EXPECT_FALSE(inet.StillExecuting());
}

// A cache on the way, the client's own or a proxy's, would answer the second fetch of each pair
// with the first answer: every fetch reaches the server as a plain request that tells the caches
// between to stay out of the way, and leaves nothing in WinINet's cache. The probe may be given a
// cookie (on Windows it keeps it), but no request of the control sends one back.
TEST_F(InetTest, EveryFetchReachesTheServerAndLeavesNothingInACache) {
  server.Serve("/", Reply::Text("site", 200, "Set-Cookie: visit=1; Path=/\r\n"));
  EXPECT_TRUE(IsUrlOnline(FromUtf8(server.Url("/"))));
  const std::string cacheable = "Cache-Control: max-age=3600\r\nETag: \"1\"\r\n";
  Inet local{InetSettings{server.Port(), 1}};  // the port for addresses that name none
  for (const std::string text : {"first", "second"}) {
    server.Serve("/My%20text", Reply::Text(text, 200, cacheable));
    // Blanks in the path go out encoded.
    EXPECT_EQ(local.OpenURL(u"http://127.0.0.1/My text"), FromUtf8(text));
    EXPECT_EQ(Download(Reply::Text(text, 200, cacheable), text.size()), text);
  }
  const std::vector<Request> sent = server.Requests();
  ASSERT_EQ(sent.size(), 5u);
  for (std::size_t i = 1; i < sent.size(); ++i) {
    for (const char* line : {"Cache-Control: no-cache\r\n", "Pragma: no-cache\r\n",
                             "User-Agent: Quillmere - Larkspan\r\n"}) {
      EXPECT_NE(sent[i].head.find(line), std::string::npos) << line << "in\n" << sent[i].head;
    }
    for (const char* name : {"Cookie", "If-"}) {
      EXPECT_EQ(sent[i].head.find(name), std::string::npos) << sent[i].head;
    }
  }
#ifdef _WIN32
  for (const std::string path : {"/My%20text", "/x"}) {
    const std::string address = server.Url(path);
    const std::wstring url(address.begin(), address.end());
    DWORD size = 0;
    EXPECT_FALSE(GetUrlCacheEntryInfoW(url.c_str(), nullptr, &size));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND)) << path;
  }
#endif
}

// The redirect rule, status by status: a 301, 302, 303, 307 or 308 with a Location leads on (here
// to "/text", the Location absolute or relative); any other answer is final, a 3xx or an empty
// Location included, and the whole-text fetch, the head and the body are all of that answer.
// Its body is larger than the transfer's buffer, so that a head held back until the body has
// gone through shows as a stall.
TEST_F(InetTest, RedirectRuleFollowsFiveStatusesAndHandsOverEveryOtherAnswerWhole) {
  const std::string large(Transfer::kBufferBytes + 1024, 'o');
  Inet inet{InetSettings{80, 10}};  // time for the large bodies on a busy machine
  server.Serve("/text", Reply::Text("the text"));
  const std::string absolute = server.Url("/text");
  const std::tuple<int, std::string, bool> rows[] = {
      {301, absolute, true},  {302, "/text", true},  {303, "text", true},    {307, "./text", true},
      {308, absolute, true},  {300, "/text", false}, {304, absolute, false}, {305, "/text", false},
      {306, absolute, false}, {399, "text", false},  {302, "", false}};
  for (const auto& [status, location, followed] : rows) {
    SCOPED_TRACE(std::to_string(status) + " to \"" + location + "\"");
    const std::string own = followed ? "moved" : status == 304 ? "" : large;  // 304: no body
    const std::string body = followed ? "the text" : own;
    server.Serve("/r", Reply::Text(own, status, "Location: " + location + "\r\n"));
    const std::u16string url = FromUtf8(server.Url("/r"));
    EXPECT_TRUE(ToUtf8(inet.OpenURL(url)) == body);
    inet.Execute(url, u"GET");
    ASSERT_FALSE(inet.StillExecuting(kResponseWait));
    EXPECT_EQ(inet.GetHeader(u"Content-Length"), FromUtf8(std::to_string(body.size())));
    const std::size_t first = std::min<std::size_t>(body.size(), 1024);
    inet.GetChunk(chunk, static_cast<std::int32_t>(first));
    EXPECT_EQ(std::string(chunk.begin(), chunk.end()), body.substr(0, first));
  }
}

// Credentials in the address answer a server's challenge on both platforms; with wrong ones the
// server's refusal is the answer, passed on like any other.
TEST_F(InetTest, CredentialsInTheAddressAnswerTheServersChallenge) {
  server.Serve("/private", Reply::Text("refused", 401, "WWW-Authenticate: Basic realm=\"L\"\r\n"));
  server.ServeTo("Authorization: Basic dXNlcjpwdw==", "/private", Reply::Text("secret"));
  for (const auto& [credentials, text] : {std::pair{"user:pw", "secret"}, {"user:no", "refused"}}) {
    const std::u16string url = FromUtf8("http://" + std::string(credentials) +
                                        "@127.0.0.1:" + std::to_string(server.Port()) + "/private");
    EXPECT_EQ(inet.OpenURL(url), FromUtf8(text));
    inet.Execute(url, u"GET");
    EXPECT_FALSE(inet.StillExecuting(kResponseWait));
    EXPECT_EQ(inet.GetHeader(u"content-LENGTH"), FromUtf8(std::to_string(strlen(text))));
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
