// Any response body as the update information, through the whole check: taken apart, decided
// against an installed release, the result lines and the news made.
#include "FuzzSupport.h"
#include "os/CodePage.h"
#include "update/CheckOutcome.h"

using namespace larkspan;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::InstallQuietRuntime();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const LangTable langText;
  const CheckOutcome outcome =
      DecideCheck(ToWide(fuzz::Bytes(data, size)), {u"Vantrel", u"3.1", u"0101000"}, langText);
  (void)outcome.News();
  return 0;
}
