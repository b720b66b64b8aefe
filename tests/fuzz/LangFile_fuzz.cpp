// Any bytes as a language file, read into a fresh table.
#include <fstream>

#include "FuzzSupport.h"
#include "os/CodePage.h"
#include "settings/Language.h"

using namespace larkspan;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::filesystem::path file = fuzz::ScratchFolder() / "Test.lng";
  std::ofstream(file, std::ios::binary | std::ios::trunc) << fuzz::Bytes(data, size);
  LangTable table;
  (void)LoadLanguageFile(ToWide(file.string()), table);
  return 0;
}
