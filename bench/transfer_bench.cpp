// Downloads a large body (256 MiB unless the first argument gives the MiB) from a loopback
// server through the transfer control, in chunks of 1024 bytes as the download window takes
// them, and prints the rate and the process's peak memory, which must stay under 64 MiB however
// large the body is. Then the same body goes to the curl command-line tool: run here on Linux;
// on Windows the bench keeps serving until its standard input ends, and
// bench/wine-transfer.sh runs the Linux curl against it from outside Wine.
#ifdef _WIN32
#include <windows.h>
// after windows.h, which it needs
#include <psapi.h>
#else
#include <sys/resource.h>
#endif

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "base/Failure.h"
#include "net/Inet.h"
#include "os/CodePage.h"
#include "support/HttpFixture.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr std::size_t kMiB = 1 << 20;
constexpr double kPeakLimitMiB = 64;

double PeakMemoryMiB() {
#ifdef _WIN32
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
  return static_cast<double>(counters.PeakWorkingSetSize) / kMiB;
#else
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024;
#endif
}

double Seconds(Clock::duration d) {
  return std::chrono::duration<double>(d).count();
}

// Returns the seconds taken, or a negative value when the body did not arrive whole.
double DownloadWithInet(const std::string& url, std::size_t bytes) {
  larkspan::Inet inet;
  const auto start = Clock::now();
  inet.Execute(larkspan::FromUtf8(url), u"GET");
  while (inet.StillExecuting()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  if (larkspan::ToUtf8(inet.GetHeader(u"Content-Length")) != std::to_string(bytes)) return -1;
  std::size_t received = 0;
  std::vector<std::uint8_t> chunk;
  for (std::size_t left = bytes; left > 0;) {
    const std::size_t ask = left > 1024 ? 1024 : left;
    inet.GetChunk(chunk, static_cast<std::int32_t>(ask));
    received += chunk.size();
    left -= ask;
  }
  const double seconds = Seconds(Clock::now() - start);
  return received == bytes ? seconds : -1;
}

}  // namespace

int main(int argc, char** argv) {
  const std::size_t mebibytes = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 256;
  larkspan::test::HttpFixture server;
  larkspan::test::Reply body = larkspan::test::Reply::Raw(
      "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(mebibytes * kMiB) + "\r\n",
      larkspan::test::PatternBody(kMiB));
  body.repeat = mebibytes;
  server.Serve("/big.bin", body);
  const std::string url = server.Url("/big.bin");
  const double before = PeakMemoryMiB();

  double seconds = -1;
  try {
    seconds = DownloadWithInet(url, mebibytes * kMiB);
  } catch (const larkspan::Failure& failure) {
    std::printf("Inet download failed: %s\n", failure.what());
  }
  const double peak = PeakMemoryMiB();
  if (seconds > 0) {
    std::printf("Execute + GetChunk(1024): %zu MiB in %.2f s = %.0f MiB/s\n", mebibytes, seconds,
                static_cast<double>(mebibytes) / seconds);
  }
  std::printf("peak memory: %.1f MiB (%.1f MiB before the download), limit %.0f MiB: %s\n", peak,
              before, kPeakLimitMiB, peak < kPeakLimitMiB ? "within" : "EXCEEDED");
  const int status = seconds > 0 && peak < kPeakLimitMiB ? 0 : 1;
#ifdef _WIN32
  std::printf("serving %s until standard input ends\n", url.c_str());
  std::fflush(stdout);
  while (std::getchar() != EOF) {
  }
#else
  const auto start = Clock::now();
  const std::string command = "curl -s -o /dev/null '" + url + "'";
  if (std::system(command.c_str()) == 0) {
    const double curl = Seconds(Clock::now() - start);
    std::printf("curl -s -o /dev/null: %zu MiB in %.2f s = %.0f MiB/s\n", mebibytes, curl,
                static_cast<double>(mebibytes) / curl);
  } else {
    std::printf("curl command-line tool: not run or failed\n");
  }
#endif
  return status;
}
