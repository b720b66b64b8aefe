#include "net/Probe.h"

namespace larkspan {

// IsUrlOnline is the platform's: net/curl or net/wininet.
bool IsOnline(const std::vector<std::u16string>& probeAddresses) {
  for (const std::u16string& address : probeAddresses) {
    if (IsUrlOnline(address)) return true;
  }
  return false;
}

}  // namespace larkspan
