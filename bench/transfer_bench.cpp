// Downloads 256 MiB from a loopback server through the transfer control, in chunks of 1024
// bytes as the download window takes them, and then the same body with the curl command-line
// tool. Prints the rates and the peak resident memory of this process, which must stay under
// 64 MiB however large the body is.
#include <sys/resource.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "os/CodePage.h"
#include "base/Failure.h"
#include "net/Inet.h"
#include "support/HttpFixture.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr std::size_t kMiB = 1 << 20;
constexpr std::size_t kBodyMiB = 256;
constexpr long kRssLimitKiB = 64 * 1024;

long PeakRssKiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

double Seconds(Clock::duration d) {
  return std::chrono::duration<double>(d).count();
}

// Returns the seconds taken, or a negative value when the body did not arrive whole.
double DownloadWithInet(const std::string& url) {
  larkspan::Inet inet;
  auto start = Clock::now();
  inet.Execute(larkspan::FromUtf8(url), u"GET");
  while (inet.StillExecuting()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  std::int64_t remaining = std::stoll(larkspan::ToUtf8(inet.GetHeader(u"Content-Length")));
  std::uint64_t checksum = 0;
  while (remaining > 0) {
    std::int32_t ask = remaining > 1024 ? 1024 : static_cast<std::int32_t>(remaining);
    std::vector<std::uint8_t> chunk = inet.GetChunk(ask);
    checksum += chunk[0] + chunk.back();
    remaining -= ask;
  }
  double seconds = Seconds(Clock::now() - start);
  return checksum > 0 ? seconds : -1;
}

double DownloadWithCurlTool(const std::string& url) {
  std::string command = "curl -s -o /dev/null '" + url + "'";
  auto start = Clock::now();
  int status = std::system(command.c_str());
  double seconds = Seconds(Clock::now() - start);
  return status == 0 ? seconds : -1;
}

}  // namespace

int main() {
  larkspan::test::HttpFixture server;
  larkspan::test::Reply body = larkspan::test::Reply::Raw(
      "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(kBodyMiB * kMiB) + "\r\n",
      larkspan::test::PatternBody(kMiB));
  body.repeat = kBodyMiB;
  server.Serve("/big.bin", body);
  const std::string url = server.Url("/big.bin");
  long rssBefore = PeakRssKiB();

  double inetSeconds = -1;
  try {
    inetSeconds = DownloadWithInet(url);
  } catch (const larkspan::Failure& failure) {
    std::printf("Inet download failed: %s\n", failure.what());
  }
  long rssPeak = PeakRssKiB();
  double curlSeconds = DownloadWithCurlTool(url);

  std::printf("body: %zu MiB from %s\n", kBodyMiB, url.c_str());
  if (inetSeconds > 0) {
    std::printf("Inet Execute + GetChunk(1024): %.2f s, %.0f MiB/s\n", inetSeconds,
                kBodyMiB / inetSeconds);
  }
  if (curlSeconds > 0) {
    std::printf("curl -s -o /dev/null:          %.2f s, %.0f MiB/s\n", curlSeconds,
                kBodyMiB / curlSeconds);
  } else {
    std::printf("curl command-line tool: not run or failed\n");
  }
  std::printf("peak RSS: %.1f MiB (%.1f MiB before the download), limit %ld MiB: %s\n",
              rssPeak / 1024.0, rssBefore / 1024.0, kRssLimitKiB / 1024,
              rssPeak < kRssLimitKiB ? "within" : "EXCEEDED");
  return inetSeconds > 0 && rssPeak < kRssLimitKiB ? 0 : 1;
}
