#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace larkspan {

// The figures and texts of the download window's size, progress and rate displays.

// Bytes asked of the transfer control per request: the rate counts these as kilobytes.
inline constexpr std::int32_t kChunkSize = 1024;

// The suffix of the rate text (two blanks before the parenthesis) and the rate shown once a
// download is complete.
inline constexpr char16_t kRateSuffix[] = u"  ( KB/Sec )";
inline constexpr char16_t kRateWhenComplete[] = u"0  ( KB/Sec )";

// A byte count as the window shows it: bytes, whole kilobytes, or megabytes and gigabytes with
// up to two decimals.
std::u16string SizeText(std::int32_t bytes);

// (downloaded / file size) x 100, rounded halves to even. Throws Failure(kOverflow) when it
// does not fit into 16 bits.
std::int16_t DownPercentage(std::int32_t downloaded, std::int32_t fileSize);

// (100 / file size) x downloaded, rounded the same way: the bar's own formula, which may differ
// from the percentage in the last digit of the double but agrees on every whole result.
std::int16_t DownBarValue(std::int32_t downloaded, std::int32_t fileSize);

// Writes "<size text>  ( <percentage> % )" into `text`, reusing its storage and the size text
// of the previous call when it is the same: this runs once per chunk.
void WriteDownText(std::u16string& text, std::int32_t downloaded, std::int16_t percentage);

// "<chunks>  ( KB/Sec )".
std::u16string RateText(std::int16_t chunks);

// One more chunk on the 16-bit counter; a count beyond 32767 throws Failure(kOverflow).
void CountChunk(std::int16_t& chunks);

// The "Content-Length" value as a signed 32-bit count: the whole text must be a number (blanks
// around it allowed), rounded halves to even. Throws Failure(kTypeMismatch) for an empty or
// non-numeric text and Failure(kOverflow) outside the 32-bit range.
std::int32_t ContentLengthValue(std::u16string_view text);

}  // namespace larkspan
