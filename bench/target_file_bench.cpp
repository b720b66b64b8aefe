// What the download's file costs: a body of 64 MiB (unless the second argument gives the MiB)
// appended in chunks of 1024 bytes, as the download window appends them, into a file in the
// folder of the first argument (the current one by default), then flushed to the disk and
// closed. Prints the CPU time of the appends per MiB and the wall time of the flush, medians of
// five runs; and, as references, the same appends through C stdio with one write per chunk and
// with a 16 KiB buffer. Take a folder on the disk that users save to: a tmpfs has nothing to
// flush.
#ifdef _WIN32
#include <windows.h>
#else
#include <sys/resource.h>
#endif

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "os/TargetFile.h"

namespace {

constexpr std::size_t kChunk = 1024;
constexpr int kRuns = 5;

double CpuSeconds() {
#ifdef _WIN32
  FILETIME created, exited, kernel, user;
  GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
  const auto seconds = [](FILETIME t) {
    return static_cast<double>((std::uint64_t{t.dwHighDateTime} << 32) | t.dwLowDateTime) / 1e7;
  };
  return seconds(kernel) + seconds(user);
#else
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  const auto seconds = [](timeval t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
#endif
}

double WallSeconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

struct Figures {
  double appendCpuPerMiB = 0, flushWall = 0;
};

// Runs `appends` and then `flush` kRuns times; the medians.
Figures Measure(std::size_t mib, const std::function<void()>& appends,
                const std::function<void()>& flush) {
  std::vector<double> cpu, wall;
  for (int run = 0; run < kRuns; ++run) {
    const double cpu0 = CpuSeconds();
    appends();
    const double wall0 = WallSeconds();
    cpu.push_back((CpuSeconds() - cpu0) / static_cast<double>(mib));
    flush();
    wall.push_back(WallSeconds() - wall0);
  }
  return {Median(cpu), Median(wall)};
}

}  // namespace

int main(int argc, char** argv) {
  const std::filesystem::path folder = argc > 1 ? argv[1] : ".";
  const std::size_t mib = argc > 2 ? std::stoul(argv[2]) : 64;
  const std::filesystem::path path = folder / "target-file-bench.bin";
  std::vector<std::uint8_t> chunk(kChunk);
  for (std::size_t i = 0; i < kChunk; ++i) chunk[i] = static_cast<std::uint8_t>(i * 7);
  const std::size_t chunks = mib * 1024 * 1024 / kChunk;

  larkspan::TargetFile target;
  const Figures own = Measure(
      mib,
      [&] {
        target.Open(path);
        for (std::size_t i = 0; i < chunks; ++i) target.Append(chunk.data(), chunk.size());
      },
      [&] {
        target.Flush();
        target.Close();
      });

  std::FILE* file = nullptr;
  const auto stdioRun = [&](std::size_t buffer) {
    return Measure(
        mib,
        [&] {
          file = std::fopen(path.string().c_str(), "wb");
          std::setvbuf(file, nullptr, buffer == 0 ? _IONBF : _IOFBF, buffer);
          for (std::size_t i = 0; i < chunks; ++i) std::fwrite(chunk.data(), 1, kChunk, file);
        },
        [&] { std::fclose(file); });
  };
  const Figures unbuffered = stdioRun(0);
  const Figures buffered = stdioRun(16 * 1024);
  std::filesystem::remove(path);

  std::printf("%zu MiB in chunks of %zu bytes into %s, medians of %d runs\n", mib, kChunk,
              folder.string().c_str(), kRuns);
  std::printf("TargetFile: appends %.2f CPU ms per MiB; flush to the disk and close %.1f ms\n",
              own.appendCpuPerMiB * 1e3, own.flushWall * 1e3);
  std::printf("stdio, one write per chunk: %.2f CPU ms per MiB\n",
              unbuffered.appendCpuPerMiB * 1e3);
  std::printf("stdio, 16 KiB buffer: %.2f CPU ms per MiB\n", buffered.appendCpuPerMiB * 1e3);
  return 0;
}
