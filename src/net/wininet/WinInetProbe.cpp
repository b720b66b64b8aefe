#include "net/Probe.h"

#include "net/wininet/WinInetSession.h"

namespace larkspan {
namespace {

// Fetched from the server, never from the cache, and not stored in it; the connection may be
// kept. No time-outs of the probe's own: WinINet's defaults decide how long a dead address
// holds the window.
constexpr DWORD kProbeFlags =
    INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_KEEP_CONNECTION;
static_assert(kProbeFlags == 0x84400000);

}  // namespace

// Answered once WinINet hands back a request handle that holds a response, whatever its
// status. Its body is never read.
bool IsUrlOnline(const std::u16string& address) {
  InternetHandle session(
      InternetOpenW(kUserAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
  if (!session) return false;
  const std::wstring url(address.begin(), address.end());
  InternetHandle request(InternetOpenUrlW(session.get(), url.c_str(), nullptr, 0, kProbeFlags, 0));
  return request && ResponseStatus(request.get()) != 0;
}

}  // namespace larkspan
