#pragma once
#include <cstdint>
#include <optional>
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

// What the download window shows once a chunk has come.
struct ChunkProgress {
  // "<size text of the bytes downloaded>  ( <percentage> % )".
  std::u16string downText;
  // (downloaded / file size) x 100, rounded halves to even.
  std::int16_t percentage = 0;
  // (100 / file size) x downloaded, rounded the same way: the bar's own formula, which may
  // differ from the percentage in the last digit of the double but agrees on every whole result.
  std::int16_t barValue = 0;
};

// The progress of one download of `fileSize` bytes (never 0: an empty body has no chunk). This
// runs for every chunk, 16 000 times a second at 16 MiB/s: it keeps the storage of the text and
// the size text of the previous chunk, which among the megabytes changes every ten chunks or so.
// The decimal separator is the user's, which does not change while the program runs.
class DownProgress {
 public:
  explicit DownProgress(std::int32_t fileSize) : fileSize_(fileSize) {}

  // The figures once `downloaded` bytes have come, valid until the next call. Throws
  // Failure(kOverflow) when a figure does not fit into 16 bits.
  const ChunkProgress& After(std::int32_t downloaded);

 private:
  // What a size text depends on besides the separator: the unit that it is shown in and its
  // number as rounded for that unit (whole bytes and kilobytes, hundredths of megabytes and
  // gigabytes). Byte counts with equal keys have equal texts.
  struct SizeKey {
    std::int32_t unit = 0;
    std::int64_t number = 0;
    bool operator==(const SizeKey&) const = default;
  };
  static SizeKey SizeKeyOf(std::int32_t bytes);

  std::int32_t fileSize_;
  std::optional<SizeKey> sizeKey_;
  std::u16string sizeText_;
  ChunkProgress shown_;
};

// "<chunks>  ( KB/Sec )".
std::u16string RateText(std::int16_t chunks);

// One more chunk on the 16-bit counter; a count beyond 32767 throws Failure(kOverflow).
void CountChunk(std::int16_t& chunks);

// The "Content-Length" value as a signed 32-bit count: the whole text must be a number (blanks
// around it allowed), rounded halves to even. Throws Failure(kTypeMismatch) for an empty or
// non-numeric text and Failure(kOverflow) outside the 32-bit range.
std::int32_t ContentLengthValue(std::u16string_view text);

}  // namespace larkspan
