// The language-file reader fed raw bytes: the input is written as the language file and read
// into a fresh table. Checked: the result is 0 or 1, entry 0 stays empty, every entry is trimmed
// and has its "_" turned into line breaks, a file without carriage returns is one line, and a
// file is accepted only when it carries the header.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "FuzzSupport.h"
#include "platform/CodePage.h"
#include "settings/LangM.h"

using namespace larkspan;
using namespace larkspan::fuzz;

namespace {

const std::string& FilePath() {
  static const std::string path = ScratchPath("langfile-fuzz");
  return path;
}

void RemoveFile() {
  std::remove(FilePath().c_str());
}

bool WriteFile(const std::uint8_t* data, std::size_t size) {
  std::FILE* file = std::fopen(FilePath().c_str(), "wb");
  if (file == nullptr) return false;
  const bool written = std::fwrite(data, 1, size, file) == size;
  return std::fclose(file) == 0 && written;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // Made before the exit handler is registered, so that it is destroyed after the handler ran.
  FilePath();
  std::atexit(RemoveFile);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Ui();
  if (!WriteFile(data, size)) return 0;
  LangTable table;
  const std::int16_t result = LoadLanguageFile(ToWide(FilePath()), table);

  FUZZ_CHECK(result == 0 || result == 1);
  FUZZ_CHECK(table[0].empty());
  int filled = 0;
  for (int i = 1; i < kLangTextCount; ++i) {
    const std::u16string& text = table[i];
    if (text.empty()) continue;
    ++filled;
    FUZZ_CHECK(text.front() != u' ' && text.back() != u' ');
    FUZZ_CHECK(text.find(u'_') == std::u16string::npos);
  }
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  if (bytes.find('\r') == std::string_view::npos) FUZZ_CHECK(filled <= 1);
  if (result == 0) FUZZ_CHECK(bytes.find(ToNarrow(LangFileHeader)) != std::string_view::npos);
  return 0;
}
