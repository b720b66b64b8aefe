#include "text/FileString.h"

#include "text/NumberText.h"

namespace larkspan {
namespace {

constexpr std::size_t kMaxPositionedLength = 32767;
constexpr double kKilobyte = 1024.0;
constexpr double kMegabyte = kKilobyte * 1024.0;
constexpr double kGigabyte = kMegabyte * 1024.0;

double ToBytes(double size, std::int32_t unit) {
  switch (unit) {
    case kSizeBytes:
      return size;
    case kSizeKilobytes:
      return size * kKilobyte;
    case kSizeMegabytes:
      return size * kMegabyte;
    case kSizeGigabytes:
      return size * kGigabyte;
    default:
      return 0.0;
  }
}

SizeUnit ChooseUnit(double bytes, std::int32_t forcedUnit) {
  if (forcedUnit >= kSizeBytes && forcedUnit <= kSizeGigabytes) {
    return static_cast<SizeUnit>(forcedUnit);
  }
  if (bytes < kKilobyte) return kSizeBytes;
  if (bytes < kMegabyte) return kSizeKilobytes;
  if (bytes < kGigabyte) return kSizeMegabytes;
  return kSizeGigabytes;
}

}  // namespace

std::u16string GetFileName(const std::u16string& text, const std::u16string& separator,
                           bool withExtension) {
  if (text.size() > kMaxPositionedLength) return {};
  std::size_t dotPosition = 0;
  std::size_t separatorPosition = 0;
  for (std::size_t i = text.size(); i >= 1; --i) {
    const char16_t c = text[i - 1];
    if (dotPosition == 0 && c == u'.') dotPosition = i;
    if (separator.size() == 1 && c == separator.front()) {
      separatorPosition = i;
      break;
    }
  }
  if (withExtension || dotPosition == 0) return text.substr(separatorPosition);
  // With "." as the separator the dot is the separator itself: there is no name before it.
  if (dotPosition <= separatorPosition) return {};
  return text.substr(separatorPosition, dotPosition - separatorPosition - 1);
}

std::u16string GetFileExtension(const std::u16string& text) {
  if (text.size() > kMaxPositionedLength) return {};
  const auto dot = text.rfind(u'.');
  if (dot == std::u16string::npos) return {};
  return text.substr(dot + 1);
}

std::u16string FormatFileSize(double size, std::int32_t unit, std::int32_t forcedUnit,
                              std::int16_t decimals, bool withUnit) {
  const double bytes = ToBytes(size, unit);
  double value = bytes;
  const char16_t* unitText = u" Bytes";
  switch (ChooseUnit(bytes, forcedUnit)) {
    case kSizeKilobytes:
      // Kilobytes are shown whole, whatever the decimals.
      value = RoundHalfEven(bytes / kKilobyte, 0);
      unitText = u" KB";
      break;
    case kSizeMegabytes:
      value = bytes / kMegabyte;
      unitText = u" MB";
      break;
    case kSizeGigabytes:
      value = bytes / kGigabyte;
      unitText = u" GB";
      break;
    default:
      break;
  }
  std::u16string result = NumberToText(RoundHalfEven(value, decimals));
  if (withUnit) result += unitText;
  return result;
}

}  // namespace larkspan
