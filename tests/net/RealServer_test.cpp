// The probe, the whole-text fetch and the download against a real web server: nginx, which
// tests/servers/servers.sh runs for this test, with the redirections of its locations.conf, over
// http and over https. A 301, 302, 303, 307 or 308 with a Location is followed, at most ten in a
// row and never from https to http; every other answer is the final one, and its own body, with
// its own Content-Length, is what the caller gets.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "base/Failure.h"
#include "net/Inet.h"
#include "net/Probe.h"
#include "os/CodePage.h"
#include "support/HttpFixture.h"
#include "support/TrustedAuthority.h"

namespace larkspan::test {
namespace {

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr) throw std::runtime_error(std::string(name) + " unset: run servers.sh");
  return value;
}

// A folder that servers.sh names, as this program sees it.
std::string Folder(const char* name) {
#ifdef _WIN32
  return "Z:" + Env(name);  // Wine's drive for "/"
#else
  return Env(name);
#endif
}

std::filesystem::path Site(const std::string& path) {
  return Folder("LARKSPAN_SITE") + "/" + path;
}

void Put(const std::string& path, const std::string& bytes) {
  std::filesystem::create_directories(Site(path).parent_path());
  std::ofstream(Site(path), std::ios::binary) << bytes;
}

std::string Served(const std::string& path) {
  std::ifstream in(Site(path), std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// As the download window takes it: the head's Content-Length, then that many bytes in chunks
// of 1024. Nothing when a step fails.
std::optional<std::string> Download(const std::string& url) {
  Inet inet{InetSettings{80, 10}};
  try {
    inet.Execute(FromUtf8(url), u"GET");
    while (inet.StillExecuting(std::chrono::milliseconds(100))) {
    }
    std::string body;
    for (long left = std::stol(ToUtf8(inet.GetHeader(u"Content-Length"))); left > 0; left -= 1024) {
      const std::vector<std::uint8_t> chunk =
          inet.GetChunk(static_cast<std::int32_t>(left > 1024 ? 1024 : left));
      body.append(chunk.begin(), chunk.end());
    }
    return body;
  } catch (const std::exception&) {  // a failure, or no number for a length
    return std::nullopt;
  }
}

// What a caller got, in short: its size, its first bytes and a digest of them all.
std::string Shown(const std::optional<std::string>& bytes) {
  if (!bytes) return "nothing";
  return std::to_string(bytes->size()) + " bytes \"" + bytes->substr(0, 16) + "\"... #" +
         std::to_string(std::hash<std::string>{}(*bytes));
}

std::optional<std::string> FetchText(const std::string& url) {
  try {
    return ToUtf8(Inet{InetSettings{80, 10}}.OpenURL(FromUtf8(url)));
  } catch (const Failure&) {
    return std::nullopt;
  }
}

TEST(RealServerTest, FollowsRedirectionsWithALocationAndTakesEveryOtherAnswerAsItStands) {
  const TrustedAuthority authority(Folder("LARKSPAN_TLS_DIR"));
  Put("vantrel/update.txt", "2026#3.2#0201000#http://127.0.0.1/VantrelSetup.exe#news");
  Put("vantrel/VantrelSetup.exe", "MZ" + PatternBody(3000));
  for (const std::string answer : {"300", "305", "302-empty"}) {
    Put("answers/" + answer + "/vantrel/update.txt", "the " + answer + " answer itself");
    Put("answers/" + answer + "/vantrel/VantrelSetup.exe", answer + PatternBody(2000));
  }
  Put("answers/304/vantrel/update.txt", "");  // a 304 has no body
  Put("answers/304/vantrel/VantrelSetup.exe", "");

  const std::string http = "http://127.0.0.1:" + Env("LARKSPAN_HTTP_PORT") + "/";
  const std::string https = "https://127.0.0.1:" + Env("LARKSPAN_HTTPS_PORT") + "/";
  const std::string ten = "301/302/303/307/308/301/302/303/307/308/";
  // Where the bytes that the caller gets lie in the site, in front of the paths asked for;
  // nothing when the request fails.
  struct Row {
    std::string address;
    std::optional<std::string> servedFrom;
  };
  for (const Row& row : std::initializer_list<Row>{
           {http, ""},
           {http + "301/", ""},
           {http + "302/", ""},
           {http + "303/", ""},
           {http + "307/", ""},
           {http + "308/", ""},
           {http + ten, ""},
           {http + "301/" + ten, std::nullopt},
           {http + "300/", "answers/300/"},
           {http + "304/", "answers/304/"},
           {http + "305/", "answers/305/"},
           {http + "302-empty/", "answers/302-empty/"},
           {https, ""},
           {https + "302/", std::nullopt},  // to http
           {https + "300/", "answers/300/"},
           {https + "302-empty/", "answers/302-empty/"},
       }) {
    SCOPED_TRACE(row.address);
    const auto served = [&](const std::string& path) {
      return row.servedFrom ? Shown(Served(*row.servedFrom + path)) : Shown(std::nullopt);
    };
    EXPECT_EQ(IsUrlOnline(FromUtf8(row.address + "vantrel/update.txt")),
              row.servedFrom.has_value());
    EXPECT_EQ(Shown(FetchText(row.address + "vantrel/update.txt")), served("vantrel/update.txt"));
    EXPECT_EQ(Shown(Download(row.address + "vantrel/VantrelSetup.exe")),
              served("vantrel/VantrelSetup.exe"));
  }
}

}  // namespace
}  // namespace larkspan::test
