// Any text of the download's length header, read as the file size.
#include "FuzzSupport.h"
#include "base/Failure.h"
#include "os/CodePage.h"
#include "update/DownProgress.h"

using namespace larkspan;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  try {
    (void)ContentLengthValue(ToWide(fuzz::Bytes(data, size)));
  } catch (const Failure&) {
    // A refused length is an answer; anything else escapes and is a finding.
  }
  return 0;
}
