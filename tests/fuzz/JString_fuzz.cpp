// The three delimited-text functions with arbitrary arguments. Besides the sanitizers, each
// call is checked against a plain reading of its rules where the case flag is true (then no
// lower-casing is involved), and against properties that hold for any case flag.
//
// Input: operation byte (0 split, 1 find, 2 replace), case flag byte, then per operation
//   split:   field number (int32), text, delimiter
//   find:    selector (int16), start (int32), text, search text
//   replace: start, maximum, first occurrence (int32 each), text, search text, replacement
#include <clocale>
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "toolkit/JString.h"

using namespace larkspan;
using namespace larkspan::fuzz;

namespace {

std::u16string Decimal(std::int64_t number) {
  const std::string digits = std::to_string(number);
  return {digits.begin(), digits.end()};
}

bool EndsWith(const std::u16string& text, const std::u16string& tail) {
  return text.size() >= tail.size() &&
         text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

void Split(FuzzInput& in, bool caseSensitive) {
  const auto field = in.Number<std::int32_t>();
  const std::u16string text = in.Text();
  const std::u16string delimiter = in.Text();
  SilentUi& ui = Ui();
  const std::u16string result = JNSplit(text, delimiter, field, caseSensitive);

  FUZZ_CHECK(text.find(result) != std::u16string::npos);
  if (field < 0) {
    FUZZ_CHECK(result.empty() && ui.count == 1);
    return;
  }
  if (!caseSensitive || delimiter.size() != 1) return;

  std::vector<std::u16string> fields(1);
  for (char16_t c : text) {
    if (c == delimiter[0]) {
      fields.emplace_back();
    } else {
      fields.back() += c;
    }
  }
  const std::int64_t delimiters = static_cast<std::int64_t>(fields.size()) - 1;
  if (delimiters == 0) {
    FUZZ_CHECK(result.empty() && ui.count == 0);
  } else if (field <= delimiters) {
    FUZZ_CHECK(result == fields[field] && ui.count == 0);
  } else {
    FUZZ_CHECK(result.empty() && ui.count == 1 && EndsWith(ui.lastPrompt, Decimal(delimiters)));
  }
}

void Find(FuzzInput& in, bool caseSensitive) {
  const auto selector = in.Number<std::int16_t>();
  const auto start = in.Number<std::int32_t>();
  const std::u16string text = in.Text();
  const std::u16string search = in.Text();
  SilentUi& ui = Ui();
  const std::int32_t result = JFind(text, search, selector, start, caseSensitive);

  const auto length = static_cast<std::int64_t>(text.size());
  if (start > length || start < 1) {
    FUZZ_CHECK(result == 0 && ui.count == 1);
    return;
  }
  FUZZ_CHECK(ui.count == 0);
  FUZZ_CHECK(result >= 0 && result <= length);
  if (search.empty()) {
    FUZZ_CHECK(result == 0);
    return;
  }
  if (selector != 0 && result != 0) {
    FUZZ_CHECK(result >= start && result - 1 + static_cast<std::int64_t>(search.size()) <= length);
  }
  if (!caseSensitive) return;

  std::vector<std::int32_t> positions;  // every match, overlapping ones included
  for (auto at = text.find(search, start - 1); at != std::u16string::npos;
       at = text.find(search, at + 1)) {
    positions.push_back(static_cast<std::int32_t>(at + 1));
  }
  std::int32_t expected = 0;
  if (selector == 0) {
    expected = static_cast<std::int32_t>(positions.size());
  } else if (positions.empty()) {
    expected = 0;
  } else if (selector == -1) {
    expected = positions.front();
  } else if (selector == -2) {
    expected = positions.back();
  } else if (selector > 0 && static_cast<std::size_t>(selector) <= positions.size()) {
    expected = positions[selector - 1];
  }
  FUZZ_CHECK(result == expected);
}

void Replace(FuzzInput& in, bool caseSensitive) {
  const auto start = in.Number<std::int32_t>();
  const auto maximum = in.Number<std::int32_t>();
  const auto firstOccurrence = in.Number<std::int32_t>();
  const std::u16string text = in.Text();
  const std::u16string search = in.Text();
  const std::u16string replacement = in.Text();
  SilentUi& ui = Ui();
  const std::u16string result =
      JReplace(text, search, replacement, start, maximum, firstOccurrence, caseSensitive);

  FUZZ_CHECK(ui.count == 0);
  const std::size_t skipped = start <= 1 ? 0 : static_cast<std::size_t>(start) - 1;
  if (skipped >= text.size()) {
    FUZZ_CHECK(result == text);
    return;
  }
  FUZZ_CHECK(result.compare(0, skipped, text, 0, skipped) == 0);
  if (search.empty() || !caseSensitive) return;
  if (replacement == search) FUZZ_CHECK(result == text);
  if (maximum > 0 || firstOccurrence > 1) return;

  // Every match from the start on, without overlap.
  std::u16string expected = text.substr(0, skipped);
  std::size_t from = skipped;
  for (auto at = text.find(search, from); at != std::u16string::npos;
       at = text.find(search, from)) {
    expected += text.substr(from, at - from) + replacement;
    from = at + search.size();
  }
  expected += text.substr(from);
  FUZZ_CHECK(result == expected);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // The program runs in the user's locale once its window exists; lower-casing then covers
  // more than ASCII.
  std::setlocale(LC_CTYPE, "C.UTF-8");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzInput in(data, size);
  const int operation = in.Byte() % 3;
  const bool caseSensitive = in.Flag();
  if (operation == 0) Split(in, caseSensitive);
  if (operation == 1) Find(in, caseSensitive);
  if (operation == 2) Replace(in, caseSensitive);
  return 0;
}
