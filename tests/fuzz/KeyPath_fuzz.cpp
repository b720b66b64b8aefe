// Any key path through every operation of the registry class, over a store of its own. The
// input is the path, then (after a zero byte) the text of the value written under it, whose
// length and characters decide how the read cuts it.
#include <algorithm>

#include "FuzzSupport.h"
#include "os/CodePage.h"
#include "settings/AdvancedRegistryCM.h"
#include "settings/sqlite/SqliteRegistryStore.h"

using namespace larkspan;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::InstallQuietRuntime();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static SqliteRegistryStore store((fuzz::ScratchFolder() / "registry.db").string());
  const std::string_view bytes = fuzz::Bytes(data, size);
  const std::size_t zero = std::min(bytes.find('\0'), bytes.size());
  const std::u16string path = ToWide(bytes.substr(0, zero));
  const std::u16string value = ToWide(bytes.substr(std::min(zero + 1, bytes.size())));
  AdvancedRegistryCM(store).CreateKey(path);
  AdvancedRegistryCM(store).SetStringValue(path, u"Value", value);
  (void)AdvancedRegistryCM(store).GetStringValue(path, u"Value");
  (void)AdvancedRegistryCM(store).KeyValueExist(path, u"Value");
  AdvancedRegistryCM(store).DeleteKeyValue(path, u"Value");
  (void)AdvancedRegistryCM(store).KeyExist(path);
  AdvancedRegistryCM(store).DeleteKey(path);
  return 0;
}
