#include "os/Timing.h"

#ifdef LARKSPAN_TIMING
#include <sys/resource.h>
#include <time.h>

#include <cstdio>

namespace larkspan {
namespace {

long long Microseconds(clockid_t clock) {
  timespec now{};
  clock_gettime(clock, &now);
  return static_cast<long long>(now.tv_sec) * 1000000 + now.tv_nsec / 1000;
}

}  // namespace

void TimingMark(std::string_view event, long long value) {
  const long long wall = Microseconds(CLOCK_REALTIME);
  const long long cpu = Microseconds(CLOCK_PROCESS_CPUTIME_ID);
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  std::fprintf(stderr, "larkspan-timing %.*s %lld %lld %ld %lld\n", static_cast<int>(event.size()),
               event.data(), wall, cpu, usage.ru_maxrss, value);
}

}  // namespace larkspan
#endif
