// Any response body as the update information, through the whole check: taken apart, decided
// against an installed release, the result lines and the news made; then once more as a build
// with a release key reads it, the release record taken apart and verified.
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
  // The worked example's key (docs/publishing.md), whose text corpus/UpdateInfo/signed holds.
  static constexpr char kKey[] =
      "MFkwEwYHKoZIzj0CAQYIKoZIzj0DAQcDQgAEusaqx5CRBSChkCXeEDth/S9ucFBCZCnEAJdyXGfo4q8sTHnZtHZKj980"
      "xxGyo9v/wasru8BNITlCSpfm2xjOrw==";
  const std::u16string text = ToWide(fuzz::Bytes(data, size));
  for (const char* key : {"", kKey}) {
    const CheckOutcome outcome = DecideCheck(text, {u"Vantrel", u"3.1", u"0101000"}, langText, key);
    (void)outcome.News();
  }
  return 0;
}
