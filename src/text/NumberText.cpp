#include "text/NumberText.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

#include "base/Failure.h"
#include "os/CodePage.h"
#include "os/UserLocale.h"
#include "text/AsciiText.h"

namespace larkspan {
namespace {

std::optional<char16_t> separatorOverride;

// Exponents are read up to this size only: anything larger is out of a double's range anyway,
// and the cap keeps the composed text short.
constexpr std::int64_t kExponentCap = 100000;
// Rounding to more places than this can no longer change a double (the smallest one is
// about 4.9E-324).
constexpr int kMaxDecimals = 340;
constexpr double kTwoTo52 = 4503599627370496.0;

bool IsDigit(char16_t c) {
  return c >= u'0' && c <= u'9';
}

std::u16string Widen(std::string_view ascii) {
  return {ascii.begin(), ascii.end()};
}

// A number taken apart: digits before and after the point, and the exponent.
struct NumberParts {
  bool negative = false;
  std::string whole;
  std::string fraction;
  std::int64_t exponent = 0;

  bool HasDigits() const { return !whole.empty() || !fraction.empty(); }
};

// Where the first significant digit stands, as a power of ten; decides whether a number that a
// double cannot hold is too large or too small.
std::int64_t Magnitude(const NumberParts& parts) {
  const auto firstWhole = parts.whole.find_first_not_of('0');
  if (firstWhole != std::string::npos) {
    return static_cast<std::int64_t>(parts.whole.size() - firstWhole) + parts.exponent;
  }
  const auto firstFraction = parts.fraction.find_first_not_of('0');
  if (firstFraction == std::string::npos) return 0;
  return parts.exponent - static_cast<std::int64_t>(firstFraction);
}

// The value of the parts; out of range gives an infinity or 0 with the number's sign.
double Compose(const NumberParts& parts) {
  std::string text = parts.whole.empty() ? std::string("0") : parts.whole;
  if (!parts.fraction.empty()) text += "." + parts.fraction;
  text += "e" + std::to_string(parts.exponent);
  double value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error == std::errc::result_out_of_range) {
    value = Magnitude(parts) > 0 ? HUGE_VAL : 0.0;
  } else if (error != std::errc()) {
    value = 0;
  }
  return parts.negative ? -value : value;
}

// Appends the exponent digits to `exponent`, saturating at the cap.
void AddExponentDigit(std::int64_t& exponent, char16_t digit) {
  if (exponent < kExponentCap) exponent = exponent * 10 + (digit - u'0');
}

// Reads a text while passing over blanks, tabs and line feeds wherever they stand.
class BlankSkippingReader {
 public:
  explicit BlankSkippingReader(std::u16string_view text) : text_(text) {}
  char16_t Peek() {
    while (pos_ < text_.size() && IsSkipped(text_[pos_])) ++pos_;
    return pos_ < text_.size() ? text_[pos_] : u'\0';
  }
  char16_t Take() {
    const char16_t c = Peek();
    if (pos_ < text_.size()) ++pos_;
    return c;
  }

 private:
  static bool IsSkipped(char16_t c) { return c == u' ' || c == u'\t' || c == u'\n'; }
  std::u16string_view text_;
  std::size_t pos_ = 0;
};

bool TakeSign(BlankSkippingReader& in) {
  const char16_t c = in.Peek();
  if (c != u'+' && c != u'-') return false;
  in.Take();
  return c == u'-';
}

[[noreturn]] void ThrowNotANumber() {
  throw Failure(kTypeMismatch, "Type mismatch: the text is not a number");
}

double RoundWhole(double value) {
  // From 2^52 on every double is whole; below it value - floor(value) is exact.
  if (std::fabs(value) >= kTwoTo52) return value;
  const double floor = std::floor(value);
  const double rest = value - floor;
  const bool floorIsOdd = std::fmod(floor, 2.0) != 0.0;
  return rest > 0.5 || (rest == 0.5 && floorIsOdd) ? floor + 1.0 : floor;
}

// Splits the digits of a 15-digit scientific form ("-1.23400000000000e+05") into the sign, the
// significant digits without trailing zeros, and the exponent text.
struct ScientificForm {
  bool negative = false;
  std::string digits;
  std::string exponentText;
  int exponent = 0;
};

ScientificForm ToScientific(double value) {
  char buffer[48];
  const auto result =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, 14);
  std::string_view text(buffer, static_cast<std::size_t>(result.ptr - buffer));
  ScientificForm form;
  if (text.front() == '-') {
    form.negative = true;
    text.remove_prefix(1);
  }
  const auto e = text.find('e');
  for (char c : text.substr(0, e)) {
    if (c != '.') form.digits += c;
  }
  form.digits.erase(form.digits.find_last_not_of('0') + 1);
  form.exponentText = std::string(text.substr(e + 1));
  form.exponent = std::atoi(form.exponentText.c_str());
  return form;
}

std::u16string FixedText(const ScientificForm& form, char16_t point) {
  std::u16string out;
  if (form.exponent < 0) {
    out = u"0";
    out += point;
    out.append(static_cast<std::size_t>(-form.exponent - 1), u'0');
    return out + Widen(form.digits);
  }
  const auto wholeCount = static_cast<std::size_t>(form.exponent) + 1;
  if (form.digits.size() <= wholeCount) {
    return Widen(form.digits) + std::u16string(wholeCount - form.digits.size(), u'0');
  }
  out = Widen(std::string_view(form.digits).substr(0, wholeCount));
  out += point;
  return out + Widen(std::string_view(form.digits).substr(wholeCount));
}

std::u16string ExponentText(const ScientificForm& form, char16_t point) {
  std::u16string out(1, static_cast<char16_t>(form.digits.front()));
  if (form.digits.size() > 1) {
    out += point;
    out += Widen(std::string_view(form.digits).substr(1));
  }
  return out + u"E" + Widen(form.exponentText);
}

}  // namespace

double LeadingNumber(std::u16string_view text) {
  BlankSkippingReader in(text);
  NumberParts parts;
  parts.negative = TakeSign(in);
  while (IsDigit(in.Peek())) parts.whole += static_cast<char>(in.Take());
  if (in.Peek() == u'.') {
    in.Take();
    while (IsDigit(in.Peek())) parts.fraction += static_cast<char>(in.Take());
  }
  if (!parts.HasDigits()) return 0.0;
  if (in.Peek() == u'E' || in.Peek() == u'e') {
    in.Take();
    const bool negativeExponent = TakeSign(in);
    std::int64_t exponent = 0;
    while (IsDigit(in.Peek())) AddExponentDigit(exponent, in.Take());
    parts.exponent = negativeExponent ? -exponent : exponent;
  }
  return Compose(parts);
}

double StrictNumber(std::u16string_view text) {
  const char16_t point = UserDecimalSeparator();
  const char16_t group = point == u',' ? u'.' : u',';
  const std::u16string trimmed = TrimBlanks(text);
  std::u16string_view rest(trimmed);
  std::size_t i = 0;
  const auto at = [&](std::size_t k) { return k < rest.size() ? rest[k] : u'\0'; };

  NumberParts parts;
  if (at(i) == u'+' || at(i) == u'-') parts.negative = rest[i++] == u'-';
  for (;; ++i) {
    if (IsDigit(at(i))) {
      parts.whole += static_cast<char>(at(i));
    } else if (!(at(i) == group && !parts.whole.empty() && IsDigit(at(i + 1)))) {
      break;
    }
  }
  if (at(i) == point) {
    for (++i; IsDigit(at(i)); ++i) parts.fraction += static_cast<char>(at(i));
  }
  if (!parts.HasDigits()) ThrowNotANumber();
  if (at(i) == u'E' || at(i) == u'e') {
    ++i;
    bool negativeExponent = false;
    if (at(i) == u'+' || at(i) == u'-') negativeExponent = rest[i++] == u'-';
    if (!IsDigit(at(i))) ThrowNotANumber();
    std::int64_t exponent = 0;
    for (; IsDigit(at(i)); ++i) AddExponentDigit(exponent, at(i));
    parts.exponent = negativeExponent ? -exponent : exponent;
  }
  if (i != rest.size()) ThrowNotANumber();
  const double value = Compose(parts);
  if (std::isinf(value)) throw Failure(kOverflow, "Overflow: the number is out of range");
  return value;
}

std::u16string NumberToText(double value) {
  if (!std::isfinite(value)) {
    char buffer[8];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return Widen(std::string_view(buffer, static_cast<std::size_t>(result.ptr - buffer)));
  }
  if (value == 0.0) return u"0";
  const ScientificForm form = ToScientific(value);
  const char16_t point = UserDecimalSeparator();
  const std::u16string sign = form.negative ? u"-" : u"";
  // Fixed from 1E-4 up to 15 digits before the point, else with an exponent: the choice of
  // printf's "%.15G".
  if (form.exponent < -4 || form.exponent >= 15) return sign + ExponentText(form, point);
  return sign + FixedText(form, point);
}

std::optional<std::int16_t> RoundToInt16(double value) {
  if (std::isnan(value)) return std::nullopt;
  const double rounded = RoundWhole(value);
  if (rounded < -32768.0 || rounded > 32767.0) return std::nullopt;
  return static_cast<std::int16_t>(rounded);
}

double RoundHalfEven(double value, int decimals) {
  if (!std::isfinite(value)) return value;
  if (decimals <= 0) return RoundWhole(value);
  if (decimals > kMaxDecimals) return value;
  // The fixed form rounds the exact binary value, halves to even; reading it back gives the
  // double nearest to the rounded decimal.
  char buffer[720];
  const auto written =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
  if (written.ec != std::errc()) return value;
  double rounded = value;
  std::from_chars(buffer, written.ptr, rounded);
  return rounded;
}

char16_t UserDecimalSeparator() {
  return separatorOverride ? *separatorOverride : SystemDecimalSeparator();
}

ScopedDecimalSeparator::ScopedDecimalSeparator(char16_t separator) : previous_(separatorOverride) {
  separatorOverride = separator;
}

ScopedDecimalSeparator::~ScopedDecimalSeparator() {
  separatorOverride = previous_;
}

}  // namespace larkspan
