// The downloaded text is made for every chunk and keeps the size part of the previous one when
// that part is the same: it must never show a size that the count no longer has, whatever the
// user's decimal separator.
#include "update/DownProgress.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <tuple>

#include "os/CodePage.h"
#include "text/NumberText.h"

namespace larkspan::test {
namespace {

TEST(DownTextTest, KeepsNoSizeTextPastItsCount) {
  // Counts in rising order: half kilobytes (they meet every rounding half among the kilobytes,
  // and among the megabytes at the multiples of 128 KB), single bytes where the unit changes,
  // a rounding half among the gigabytes (9 x 2^27 bytes is 1.125 GB) and the largest counts.
  const std::tuple<std::int64_t, std::int64_t, std::int64_t> walks[] = {
      {0, 3 << 20, 512},
      {(1 << 20) - 600, (1 << 20) + 600, 1},
      {(1 << 30) - 600, (1 << 30) + 600, 1},
      {(std::int64_t{9} << 27) - 300, (std::int64_t{9} << 27) + 300, 1},
      {INT32_MAX - 3000, INT32_MAX, 1}};
  for (const char16_t separator : {u'.', u','}) {
    const ScopedDecimalSeparator scoped(separator);
    DownProgress progress(INT32_MAX);
    for (const auto& [from, to, step] : walks) {
      for (std::int64_t count = from; count <= to; count += step) {
        const auto bytes = static_cast<std::int32_t>(count);
        const ChunkProgress& shown = progress.After(bytes);
        ASSERT_EQ(shown.downText,
                  SizeText(bytes) + u"  ( " + FromUtf8(std::to_string(shown.percentage)) + u" % )")
            << bytes << " bytes";
      }
    }
  }
}

}  // namespace
}  // namespace larkspan::test
