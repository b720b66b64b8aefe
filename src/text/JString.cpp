#include "text/JString.h"

#include <algorithm>
#include <cwctype>

#include "base/Runtime.h"

namespace larkspan {
namespace {

constexpr char16_t kFindTitle[] = u"JFind - Function Error";
constexpr char16_t kSplitTitle[] = u"JNSplit - Function Error";
constexpr char16_t kStartBeyondText[] =
    u"Start position can not be larger than the text you are searching in.";
constexpr char16_t kStartBelowOne[] = u"Start position can not be less than integer \u00AB1\u00BB";
constexpr char16_t kOutOfScript[] = u"Number of position is out of script!\n";
constexpr char16_t kNegativeField[] = u"The split text number postition can not less than 0";
constexpr char16_t kFieldBeyondLast[] = u"The maixmum split text number is: ";

bool IsSurrogate(std::uint32_t c) {
  return c >= 0xD800 && c <= 0xDFFF;
}

// Lower-cases code unit by code unit, so that every position in the copy is the same position
// in the caller's text. Surrogates, and characters whose lower case would need a surrogate
// pair, stay as they are.
std::u16string CompareForm(const std::u16string& text, bool caseSensitive) {
  if (caseSensitive) return text;
  std::u16string lower(text);
  for (char16_t& c : lower) {
    if (IsSurrogate(c)) continue;
    const auto mapped = static_cast<std::uint32_t>(std::towlower(static_cast<wint_t>(c)));
    if (mapped <= 0xFFFF && !IsSurrogate(mapped)) c = static_cast<char16_t>(mapped);
  }
  return lower;
}

// Whether `what` stands at 1-based `position` of `text`; a match cut short by the end of the
// text is none.
bool MatchesAt(const std::u16string& text, std::size_t position, const std::u16string& what) {
  return text.compare(position - 1, what.size(), what) == 0;
}

// Up to `count` characters from 1-based `position`; empty when the position lies behind the text.
std::u16string Mid(const std::u16string& text, std::size_t position,
                   std::size_t count = std::u16string::npos) {
  if (position < 1 || position > text.size()) return {};
  return text.substr(position - 1, count);
}

std::u16string DecimalText(std::int64_t number) {
  const std::string digits = std::to_string(number);
  return {digits.begin(), digits.end()};
}

void ShowSplitError(const std::u16string& detail) {
  MsgBox(kOutOfScript + detail, kMsgCritical, kSplitTitle);
}

}  // namespace

std::u16string JNSplit(const std::u16string& text, const std::u16string& delimiter, int fieldNumber,
                       bool caseSensitive) {
  const std::u16string textForm = CompareForm(text, caseSensitive);
  const std::u16string delimiterForm = CompareForm(delimiter, caseSensitive);
  if (fieldNumber < 0) {
    ShowSplitError(kNegativeField);
    return {};
  }
  // An empty delimiter would stand at every position; nobody splits on nothing, so there is no
  // field to give.
  if (delimiter.empty()) return {};

  std::int64_t count = 0;
  std::size_t fieldStart = 0;
  std::size_t fieldEnd = 0;
  // Every position is tested, also inside a delimiter just found: the field numbers depend on it
  // when a delimiter can overlap itself.
  for (std::size_t i = 1; i <= text.size(); ++i) {
    if (!MatchesAt(textForm, i, delimiterForm)) continue;
    ++count;
    if (fieldNumber == 0 && count == 1) return text.substr(0, i - 1);
    if (count == fieldNumber) fieldStart = i + delimiter.size();
    if (count == std::int64_t{fieldNumber} + 1) {
      fieldEnd = i;
      break;
    }
  }

  if (count == 0) return {};
  if (count == fieldNumber && fieldEnd == 0) return Mid(text, fieldStart);
  if (fieldNumber > count) {
    ShowSplitError(kFieldBeyondLast + DecimalText(count));
    return {};
  }
  // A delimiter overlapping itself can end the field before it starts: that field is empty.
  if (fieldEnd < fieldStart) return {};
  return Mid(text, fieldStart, fieldEnd - fieldStart);
}

std::int32_t JFind(const std::u16string& text, const std::u16string& searchText,
                   std::int16_t occurrence, std::int32_t start, bool caseSensitive) {
  const auto length = static_cast<std::int64_t>(text.size());
  if (start > length) {
    MsgBox(kStartBeyondText, kMsgCritical, kFindTitle);
    return 0;
  }
  if (start < 1) {
    MsgBox(kStartBelowOne, kMsgCritical, kFindTitle);
    return 0;
  }
  if (searchText.empty()) return 0;

  const std::u16string textForm = CompareForm(text, caseSensitive);
  const std::u16string searchForm = CompareForm(searchText, caseSensitive);
  std::int32_t count = 0;
  std::int32_t result = 0;
  for (std::int64_t i = start; i <= length; ++i) {
    if (MatchesAt(textForm, static_cast<std::size_t>(i), searchForm)) {
      ++count;
      // A selector below -2 never equals a count, so it never matches.
      if (occurrence == -1 || occurrence == count) return static_cast<std::int32_t>(i);
      if (occurrence == -2) result = static_cast<std::int32_t>(i);
      if (occurrence == 0) result = count;
    }
    DoEvents();
  }
  return result;
}

std::u16string JReplace(const std::u16string& text, const std::u16string& searchText,
                        const std::u16string& replacement, std::int32_t start, std::int32_t maximum,
                        std::int32_t firstOccurrence, bool caseSensitive) {
  // No caller passes a start below 0; it is read as 1, like 0, so the whole text is scanned.
  const std::size_t first = start < 1 ? 1 : static_cast<std::size_t>(start);
  // An empty search text would match everywhere without moving on: there is nothing to replace.
  if (searchText.empty()) return text;

  const std::u16string textForm = CompareForm(text, caseSensitive);
  const std::u16string searchForm = CompareForm(searchText, caseSensitive);
  const std::u16string prefix = text.substr(0, std::min(first - 1, text.size()));
  std::u16string output;
  std::int64_t found = 0;
  std::int64_t replaced = 0;
  for (std::size_t i = first; i <= text.size();) {
    if (MatchesAt(textForm, i, searchForm)) {
      ++found;
      const bool limitReached = maximum > 0 && replaced >= maximum;
      const bool beforeFirst = firstOccurrence > 1 && found < firstOccurrence;
      if (limitReached || beforeFirst) {
        output += text.substr(i - 1, searchText.size());
      } else {
        output += replacement;
        ++replaced;
      }
      i += searchText.size();
    } else {
      output += text[i - 1];
      ++i;
    }
    DoEvents();
  }
  return prefix + output;
}

}  // namespace larkspan
