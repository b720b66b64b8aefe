// The download window's figures of a chunk (the downloaded text, the percentage and the bar
// value) as DownForm takes them once per chunk of 1024 bytes: nanoseconds per chunk over whole
// downloads (64 MiB unless the first argument gives the MiB), and what that costs a core at
// 16 MiB/s, where a download takes 16 384 chunks a second.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "update/DownProgress.h"

int main(int argc, char** argv) {
  using Clock = std::chrono::steady_clock;
  const int mebibytes = argc > 1 ? std::atoi(argv[1]) : 64;
  const std::int32_t size = mebibytes << 20;
  constexpr int kRounds = 20;
  std::size_t shown = 0;  // what the window would be given, so that none of it is left out
  const auto start = Clock::now();
  for (int round = 0; round < kRounds; ++round) {
    larkspan::DownProgress progress(size);
    for (std::int32_t remaining = size; remaining > 0;) {
      remaining -= std::min(remaining, larkspan::kChunkSize);
      const larkspan::ChunkProgress& figures = progress.After(size - remaining);
      shown += figures.downText.size() + static_cast<std::size_t>(figures.barValue);
    }
  }
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  const double chunks = static_cast<double>(kRounds) * size / larkspan::kChunkSize;
  const double nanoseconds = seconds * 1e9 / chunks;
  std::printf("figures of a chunk: %.1f ns (%d downloads of %d MiB, %zu characters shown)\n",
              nanoseconds, kRounds, mebibytes, shown);
  std::printf("at 16 MiB/s: %.3f %% of a core\n", nanoseconds * 16384 / 1e9 * 100);
  return 0;
}
