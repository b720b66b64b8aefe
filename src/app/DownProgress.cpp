#include "app/DownProgress.h"

#include <cmath>
#include <limits>
#include <optional>

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

std::int16_t DownPercentage(std::int32_t downloaded, std::int32_t fileSize) {
  return Whole16(static_cast<double>(downloaded) / static_cast<double>(fileSize) * 100.0);
}

std::int16_t DownBarValue(std::int32_t downloaded, std::int32_t fileSize) {
  return Whole16(100.0 / static_cast<double>(fileSize) * static_cast<double>(downloaded));
}

void WriteDownText(std::u16string& text, std::int32_t downloaded, std::int16_t percentage) {
  text.clear();  // keeps the buffer of the previous chunk's text
  text.append(SizeText(downloaded));
  text.append(u"  ( ");
  AppendWhole(text, percentage);
  text.append(u" % )");
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
