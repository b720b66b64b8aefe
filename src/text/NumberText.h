#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace larkspan {

// Number readings and writings shared by the windows. None of them uses the C library's
// locale-dependent conversions: once the user interface exists the C locale follows the user's,
// and the leading-number reading must always take "." as its decimal point.

// Reads the number at the start of `text`. Blanks, tabs and line feeds are skipped wherever they
// stand; then an optional sign, digits with at most one "." and an optional exponent (E or e,
// optional sign, digits; an exponent without digits is left out). Reading stops at the first
// character that cannot continue the number. No number reads 0; a number beyond the range of a
// double reads as an infinity, one too small for it as 0. Never fails.
double LeadingNumber(std::u16string_view text);

// Converts the whole of `text` (blanks around it allowed) as a number written in the user's
// locale: optional sign, digits with the user's decimal separator, the user's group separator
// ("," or "." - the one that is not the decimal separator) between digits, optional exponent.
// Throws Failure(kTypeMismatch) for anything else and Failure(kOverflow) beyond a double's range.
double StrictNumber(std::u16string_view text);

// Writes `value` with at most 15 significant digits, without trailing zeros, without a decimal
// point when whole, with the user's decimal separator; very large and very small magnitudes in
// exponent form ("1E+20", "1.5E-05").
std::u16string NumberToText(double value);

// Rounds to a whole number (halves to the even neighbour); nullopt when the result does not fit
// into 16 bits (or the value is not a number).
std::optional<std::int16_t> RoundToInt16(double value);

// Rounds to `decimals` places after the point, exact halves to the even neighbour; decimals
// below 0 round to a whole number.
double RoundHalfEven(double value, int decimals);

// The decimal separator of the user's locale (or as a ScopedDecimalSeparator overrides it).
char16_t UserDecimalSeparator();

// Overrides the user's decimal separator while it lives (tests); overrides nest.
class ScopedDecimalSeparator {
 public:
  explicit ScopedDecimalSeparator(char16_t separator);
  ~ScopedDecimalSeparator();
  ScopedDecimalSeparator(const ScopedDecimalSeparator&) = delete;
  ScopedDecimalSeparator& operator=(const ScopedDecimalSeparator&) = delete;

 private:
  std::optional<char16_t> previous_;
};

}  // namespace larkspan
