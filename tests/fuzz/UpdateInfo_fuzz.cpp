// Any response body as the update information that the check takes apart.
#include "FuzzSupport.h"
#include "os/CodePage.h"
#include "update/UpdateInfo.h"

using namespace larkspan;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::InstallQuietRuntime();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  (void)ReadUpdateInfo(ToWide(fuzz::Bytes(data, size)));
  return 0;
}
