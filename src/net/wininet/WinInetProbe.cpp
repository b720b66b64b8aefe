#include "net/Probe.h"

#include "net/wininet/WinInetSession.h"

namespace larkspan {
namespace {

// A dead address must not hold the window for long: 10 s to connect and 10 s for the answer.
// The probes run on the user-interface thread, which they block.
constexpr InternetTimeouts kProbeTimeouts{10000, 10000};

}  // namespace

// Answered as soon as a response's head is in. Its body is never read, so the connection
// cannot serve another request and is not kept.
bool IsUrlOnline(const std::u16string& address) {
  std::optional<HttpAddress> url = ParseHttpAddress(address, false);
  if (!url) return false;
  InternetHandle session = OpenSession(kProbeTimeouts);
  InternetHandle connection = session ? ConnectTo(session.get(), *url) : InternetHandle();
  InternetHandle request = connection
                               ? OpenRequest(connection.get(), *url, L"GET", kProbeTimeouts, false)
                               : InternetHandle();
  return request && SendRequest(request.get());
}

}  // namespace larkspan
