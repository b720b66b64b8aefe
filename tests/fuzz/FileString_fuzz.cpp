// The file-name and size texts with arbitrary arguments: no crash, no sanitizer report, and
// results of the right shape.
//
// Input: operation byte (0 file name, 1 extension, 2 size), then
//   file name: with-extension flag byte, text, separator
//   extension: text
//   size:      size (8 raw bytes, a double), unit and forced unit (int32 each), decimals
//              (int16), with-unit flag byte
#include <cmath>
#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "toolkit/FileString.h"

using namespace larkspan;
using namespace larkspan::fuzz;

namespace {

constexpr std::size_t kLongest = 32767;

bool EndsWith(const std::u16string& text, const std::u16string& tail) {
  return text.size() >= tail.size() &&
         text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

void FileName(FuzzInput& in) {
  const bool withExtension = in.Flag();
  const std::u16string text = in.Text();
  const std::u16string separator = in.Text();
  const std::u16string result = GetFileName(text, separator, withExtension);

  if (text.size() > kLongest) return;
  FUZZ_CHECK(text.find(result) != std::u16string::npos);
  if (separator.size() == 1) {
    FUZZ_CHECK(result.find(separator[0]) == std::u16string::npos);
  }
  if (withExtension) {
    FUZZ_CHECK(EndsWith(text, result));
    return;
  }
  // Without the extension, the name and its extension make up the whole last component (with
  // "." as the separator there is no name at all).
  if (separator == u".") return;
  const std::u16string whole = GetFileName(text, separator, true);
  FUZZ_CHECK(whole.compare(0, result.size(), result) == 0);
  if (result.size() < whole.size()) FUZZ_CHECK(whole[result.size()] == u'.');
}

void Extension(FuzzInput& in) {
  const std::u16string text = in.Text();
  const std::u16string result = GetFileExtension(text);
  if (text.size() > kLongest) return;
  FUZZ_CHECK(EndsWith(text, result));
  FUZZ_CHECK(result.find(u'.') == std::u16string::npos);
  if (text.find(u'.') != std::u16string::npos) FUZZ_CHECK(text.size() > result.size());
}

void Size(FuzzInput& in) {
  const auto size = in.Number<double>();
  const auto unit = in.Number<std::int32_t>();
  const auto forcedUnit = in.Number<std::int32_t>();
  const auto decimals = in.Number<std::int16_t>();
  const bool withUnit = in.Flag();
  const std::u16string result = FormatFileSize(size, unit, forcedUnit, decimals, withUnit);

  FUZZ_CHECK(!result.empty());
  if (!withUnit) {
    FUZZ_CHECK(result.find(u' ') == std::u16string::npos);
    return;
  }
  const bool hasUnit = EndsWith(result, u" Bytes") || EndsWith(result, u" KB") ||
                       EndsWith(result, u" MB") || EndsWith(result, u" GB");
  FUZZ_CHECK(hasUnit);
  // The rest holds when the size chooses the unit (a forced unit is the caller's choice).
  if (forcedUnit != 0) return;
  if (unit < 1 || unit > 4) FUZZ_CHECK(result == u"0 Bytes");
  // Kilobytes are always whole.
  if (EndsWith(result, u" KB")) FUZZ_CHECK(result.find(u'.') == std::u16string::npos);
  if (unit == 1 && std::isfinite(size) && size >= 0 && size < 1024) {
    FUZZ_CHECK(EndsWith(result, u" Bytes"));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzInput in(data, size);
  Ui();
  switch (in.Byte() % 3) {
    case 0:
      FileName(in);
      break;
    case 1:
      Extension(in);
      break;
    default:
      Size(in);
      break;
  }
  return 0;
}
