#pragma once
#include <cstdint>
#include <string>

namespace larkspan {

// The delimited-text functions used to take the command line and the update information apart
// and to rewrite language and news texts. Texts are sequences of UTF-16 code units, positions
// count from 1. With the case flag false the comparison runs on lower-cased copies, while every
// character returned or copied comes from the caller's text and keeps its case.

// Field `fieldNumber` (0 = before the first delimiter) of `text`. A text without any delimiter
// gives an empty field whatever the number; a negative number, or one beyond the last field,
// shows a critical message and gives an empty field. Never lets events run.
std::u16string JNSplit(const std::u16string& text, const std::u16string& delimiter, int fieldNumber,
                       bool caseSensitive);

// Scans from `start` (1 .. length of text; otherwise a critical message and 0), counting
// overlapping matches. `occurrence`: 0 = number of matches, -1 = position of the first,
// -2 = position of the last, k > 0 = position of the k-th; 0 when there is no such match.
// Lets pending events run after each position that it examines.
std::int32_t JFind(const std::u16string& text, const std::u16string& searchText,
                   std::int16_t occurrence, std::int32_t start, bool caseSensitive);

// Replaces non-overlapping matches found from `start` (0 = 1); the text before `start` is copied
// unchanged. At most `maximum` replacements (0 or less: no limit), beginning with match number
// `firstOccurrence` (1 or less: the first); skipped matches stay as they were. Lets pending
// events run after every step of the scan.
std::u16string JReplace(const std::u16string& text, const std::u16string& searchText,
                        const std::u16string& replacement, std::int32_t start, std::int32_t maximum,
                        std::int32_t firstOccurrence, bool caseSensitive);

}  // namespace larkspan
