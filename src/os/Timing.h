#pragma once
// Timestamps for the benchmarks in bench/. They are built in only with the CMake option
// LARKSPAN_TIMING; without it every mark compiles to nothing and the program is unchanged.
#include <string_view>

namespace larkspan {

#ifdef LARKSPAN_TIMING
inline constexpr bool kTimingBuild = true;
// Writes one line to standard error:
//   larkspan-timing <event> <wall µs> <cpu µs> <peak rss KiB> <value>
// wall on the system clock (so that a script can compare it with its own start time), cpu of
// the whole process (every thread), peak resident memory so far.
void TimingMark(std::string_view event, long long value = 0);
#else
inline constexpr bool kTimingBuild = false;
inline void TimingMark(std::string_view /*event*/, long long /*value*/ = 0) {}
#endif

}  // namespace larkspan
