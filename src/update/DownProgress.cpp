#include "update/DownProgress.h"

#include <cmath>
#include <limits>

#include "base/Failure.h"
#include "text/FileString.h"
#include "text/NumberText.h"

namespace larkspan {
namespace {

std::int16_t Whole16(double value) {
  std::optional<std::int16_t> rounded = RoundToInt16(value);
  if (!rounded) throw Failure(kOverflow, "progress figure beyond 16 bits");
  return *rounded;
}

// value / 2^shift, rounded halves to even. The size texts round the exact quotient of a whole
// byte count by a power of two, so this is their rounding, without a text in between.
std::int64_t ShiftRounded(std::int64_t value, int shift) {
  const std::int64_t whole = value >> shift;
  const std::int64_t rest = value - (whole << shift);
  const std::int64_t half = std::int64_t{1} << (shift - 1);
  return whole + ((rest > half || (rest == half && (whole & 1) != 0)) ? 1 : 0);
}

// The decimal digits of a whole number, appended in place.
void AppendWhole(std::u16string& text, int value) {
  char16_t digits[12];
  int count = 0;
  unsigned magnitude = value < 0 ? 0u - static_cast<unsigned>(value) : static_cast<unsigned>(value);
  do {
    digits[count++] = static_cast<char16_t>(u'0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  if (value < 0) text.push_back(u'-');
  while (count > 0) text.push_back(digits[--count]);
}

}  // namespace

std::u16string SizeText(std::int32_t bytes) {
  return FormatFileSize(static_cast<double>(bytes), kSizeBytes, kSizeAuto, 2, true);
}

const ChunkProgress& DownProgress::After(std::int32_t downloaded) {
  const double done = static_cast<double>(downloaded), size = static_cast<double>(fileSize_);
  shown_.percentage = Whole16(done / size * 100.0);
  shown_.barValue = Whole16(100.0 / size * done);
  // The size text is made afresh only when its key changes.
  const SizeKey key = SizeKeyOf(downloaded);
  if (key != sizeKey_) {
    sizeText_ = SizeText(downloaded);
    sizeKey_ = key;
  }
  std::u16string& text = shown_.downText;
  text.clear();  // keeps the buffer of the previous chunk's text
  text.append(sizeText_);
  text.append(u"  ( ");
  AppendWhole(text, shown_.percentage);
  text.append(u" % )");
  return shown_;
}

DownProgress::SizeKey DownProgress::SizeKeyOf(std::int32_t bytes) {
  if (bytes < (1 << 10)) return {kSizeBytes, bytes};
  if (bytes < (1 << 20)) return {kSizeKilobytes, ShiftRounded(bytes, 10)};
  // Hundredths of a megabyte: bytes x 100 / 2^20 = bytes x 25 / 2^18.
  if (bytes < (1 << 30)) return {kSizeMegabytes, ShiftRounded(std::int64_t{bytes} * 25, 18)};
  return {kSizeGigabytes, ShiftRounded(std::int64_t{bytes} * 25, 28)};
}

std::u16string RateText(std::int16_t chunks) {
  std::u16string text;
  AppendWhole(text, chunks);
  text.append(kRateSuffix);
  return text;
}

void CountChunk(std::int16_t& chunks) {
  if (chunks == std::numeric_limits<std::int16_t>::max()) {
    throw Failure(kOverflow, "more than 32767 chunks between two rate ticks");
  }
  ++chunks;
}

std::int32_t ContentLengthValue(std::u16string_view text) {
  // Rounds to the nearest whole number, halves to even (the default rounding mode).
  const double rounded = std::nearbyint(StrictNumber(text));
  if (!(rounded >= -2147483648.0 && rounded <= 2147483647.0)) {
    throw Failure(kOverflow, "Content-Length beyond 32 bits");
  }
  return static_cast<std::int32_t>(rounded);
}

}  // namespace larkspan
