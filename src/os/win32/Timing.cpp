#include "os/Timing.h"

#ifdef LARKSPAN_TIMING
#include <windows.h>
// after windows.h, which it needs
#include <psapi.h>

#include <cstdio>

namespace larkspan {
namespace {

long long Microseconds(FILETIME time) {
  return static_cast<long long>(
      (ULARGE_INTEGER{{time.dwLowDateTime, time.dwHighDateTime}}).QuadPart / 10);
}

}  // namespace

void TimingMark(std::string_view event, long long value) {
  // The system clock counts from 1601; the scripts compare with Unix time.
  constexpr long long kUnixEpoch = 11644473600LL * 1000000;
  FILETIME now, created, exited, kernel, user;
  GetSystemTimePreciseAsFileTime(&now);
  GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
  PROCESS_MEMORY_COUNTERS memory{};
  GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof memory);
  std::fprintf(stderr, "larkspan-timing %.*s %lld %lld %zu %lld\n", static_cast<int>(event.size()),
               event.data(), Microseconds(now) - kUnixEpoch,
               Microseconds(kernel) + Microseconds(user), memory.PeakWorkingSetSize / 1024, value);
}

}  // namespace larkspan
#endif
