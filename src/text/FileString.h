#pragma once
#include <cstdint>
#include <string>

namespace larkspan {

// File-name and size texts of the download window. They show no messages and never fail.
// Positions are 16-bit here, as in the rest of the download window's texts: a text longer than
// 32767 characters gives an empty result.

// The last component of `text` behind the last `separator` (one character), the whole text when
// there is none; without its last extension unless `withExtension` is true.
std::u16string GetFileName(const std::u16string& text, const std::u16string& separator,
                           bool withExtension);

// What follows the last "." of a bare file name; empty when there is none.
std::u16string GetFileExtension(const std::u16string& text);

// Units of a size, for `unit` and `forcedUnit`.
enum SizeUnit : std::int32_t {
  kSizeAuto = 0,
  kSizeBytes = 1,
  kSizeKilobytes = 2,
  kSizeMegabytes = 3,
  kSizeGigabytes = 4,
};

// Writes a size given in `unit` as a short text with the unit chosen by the byte count
// (" Bytes", " KB", " MB", " GB"), or the one that `forcedUnit` names (kSizeAuto: chosen by the
// count). Kilobytes are whole; the value is rounded to `decimals` places, halves to even, and
// written with the user's decimal separator. A `unit` outside 1..4 counts as 0 bytes.
std::u16string FormatFileSize(double size, std::int32_t unit, std::int32_t forcedUnit,
                              std::int16_t decimals, bool withUnit);

}  // namespace larkspan
