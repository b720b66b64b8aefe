// The number readings and writings with arbitrary texts and doubles. Checked: the leading-number
// and the strict reading agree wherever the strict one accepts a text, a number written as text
// reads back to itself within 15 significant digits, and the roundings stay within half a unit.
//
// Input: decimal-separator byte (even: ".", odd: ","), decimals (int16), a double (8 raw bytes),
// then a text.
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include "FuzzSupport.h"
#include "platform/Failure.h"
#include "toolkit/NumberText.h"

using namespace larkspan;
using namespace larkspan::fuzz;

namespace {

bool Blank(char16_t c) {
  return c == u' ';
}

void Readings(const std::u16string& text, char16_t point) {
  const double leading = LeadingNumber(text);
  FUZZ_CHECK(!std::isnan(leading));

  double strict = 0;
  try {
    strict = StrictNumber(text);
  } catch (const Failure& failure) {
    FUZZ_CHECK(failure.Code() == kTypeMismatch || failure.Code() == kOverflow);
    return;
  }
  FUZZ_CHECK(std::isfinite(strict));
  // A text that the strict reading accepts without group separators is a plain number, which the
  // leading-number reading takes whole (once the point is ".").
  const char16_t group = point == u',' ? u'.' : u',';
  if (text.find(group) == std::u16string::npos && text.find(u'\t') == std::u16string::npos &&
      text.find(u'\n') == std::u16string::npos) {
    std::u16string dotted = text;
    for (char16_t& c : dotted) {
      if (c == point) c = u'.';
    }
    FUZZ_CHECK(LeadingNumber(dotted) == strict);
  }
}

void Writing(double value, char16_t point) {
  const std::u16string text = NumberToText(value);
  FUZZ_CHECK(!text.empty() && !Blank(text.front()) && !Blank(text.back()));
  if (!std::isfinite(value)) return;
  std::u16string dotted = text;
  for (char16_t& c : dotted) {
    if (c == point) c = u'.';
  }
  const double back = LeadingNumber(dotted);
  // Fifteen digits of the largest doubles can lie beyond the range of a double.
  if (std::isinf(back)) {
    FUZZ_CHECK(std::fabs(value) >= 1.79769313486231e308);
    return;
  }
  const double tolerance =
      std::max(std::fabs(value) * 1e-14, 2 * std::numeric_limits<double>::denorm_min());
  FUZZ_CHECK(std::fabs(back - value) <= tolerance);
  // No trailing zeros behind the point of a plain (non-exponent) text.
  if (text.find(u'E') == std::u16string::npos && text.find(point) != std::u16string::npos) {
    FUZZ_CHECK(text.back() != u'0' && text.back() != point);
  }
}

void Roundings(double value, std::int16_t decimals) {
  const auto whole = RoundToInt16(value);
  if (whole) {
    FUZZ_CHECK(std::fabs(*whole - value) <= 0.5);
  } else {
    FUZZ_CHECK(std::isnan(value) || std::fabs(value) >= 32767.5);
  }
  const double rounded = RoundHalfEven(value, decimals);
  if (!std::isfinite(value)) return;
  FUZZ_CHECK(std::isfinite(rounded));
  if (decimals <= 0) {
    FUZZ_CHECK(rounded == std::round(rounded) && std::fabs(rounded - value) <= 0.5);
  } else if (decimals <= 15 && std::fabs(value) < 1e15) {
    const double half = 0.5 * std::pow(10.0, -decimals);
    FUZZ_CHECK(std::fabs(rounded - value) <= half * (1 + 1e-9) + std::fabs(value) * 1e-15);
  }
}

void Trim(const std::u16string& text) {
  const std::u16string trimmed = TrimBlanks(text);
  FUZZ_CHECK(text.find(trimmed) != std::u16string::npos);
  if (!trimmed.empty()) FUZZ_CHECK(!Blank(trimmed.front()) && !Blank(trimmed.back()));
  if (text.find_first_not_of(u' ') == std::u16string::npos) FUZZ_CHECK(trimmed.empty());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzInput in(data, size);
  Ui();
  const char16_t point = (in.Byte() & 1) != 0 ? u',' : u'.';
  const ScopedDecimalSeparator separator(point);
  const auto decimals = in.Number<std::int16_t>();
  const auto value = in.Number<double>();
  const std::u16string text = in.Text();

  Readings(text, point);
  Writing(value, point);
  Roundings(value, decimals);
  Trim(text);
  return 0;
}
