#pragma once
// The program's one doorway to WinINet: an owner for its handles, the address check, the
// options every request of ours shares, and the translation of its failures into ours.
#include <windows.h>
#include <wininet.h>

#include <memory>
#include <optional>
#include <string>

#include "Product.h"
#include "net/TransferError.h"

namespace larkspan {

struct InternetHandleCloser {
  void operator()(HINTERNET handle) const { InternetCloseHandle(handle); }
};
using InternetHandle = std::unique_ptr<void, InternetHandleCloser>;

// An http or https address, split the way WinINet connects to it.
struct HttpAddress {
  bool secure = false;
  std::wstring host, user, password;
  INTERNET_PORT port = 0;
  std::wstring object;  // path and query, as they go out
};

// Nothing when the address is not a usable http or https address. `guessScheme` lets
// "host/path" mean http; `defaultHttpPort` applies to http addresses that name no port.
std::optional<HttpAddress> ParseHttpAddress(const std::u16string& address, bool guessScheme,
                                            int defaultHttpPort = 80);

// How long connecting, and every wait for the server once connected, may take.
struct InternetTimeouts {
  DWORD connectMs;
  DWORD receiveMs;
};

inline constexpr const wchar_t* kUserAgent = kAppTitleIn<wchar_t>.data();

// The address as text, absolute, with its port and credentials: where a redirect chain starts.
std::string AddressText(const HttpAddress& address);

// A session under our agent name with the system's proxy settings.
InternetHandle OpenSession(const InternetTimeouts& timeouts);
InternetHandle ConnectTo(HINTERNET session, const HttpAddress& address);
// A request of the transfer control: no cache answers it and none keeps it, it sends and keeps
// no cookie, nothing is shown to the user, and a redirect comes back as the answer (the control
// follows it by its own rule). A proxy's or a server's challenge is answered as WinINet does
// for every program of the user's: with the credentials of the address, or those that the
// system holds for the proxy, by the zone rules of the user's system. A kept connection may
// serve the next request to the same server.
InternetHandle OpenRequest(HINTERNET connection, const HttpAddress& address, const wchar_t* verb,
                           const InternetTimeouts& timeouts);
// Sends the request with the no-cache headers and waits for the response's head; its status,
// or 0 when no response with a status arrived (GetLastError tells why).
DWORD SendRequest(HINTERNET request);
// The status of the response that the request handle holds; 0 without one. Wine's WinINet now
// and then reports a connection reset before any answer as a response without a status: that
// is no answer.
DWORD ResponseStatus(HINTERNET request);
// The final response's head as it arrived: status line, header lines, CR LF after each.
std::string ResponseHead(HINTERNET request);

TransferError ClassifyWinInet(DWORD error);
std::string DescribeWinInet(DWORD error);

}  // namespace larkspan
