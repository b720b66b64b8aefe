#pragma once
// The program's one doorway to WinINet: an owner for its handles, the address check, the
// options every request of ours shares, and the translation of its failures into ours.
#include <windows.h>
#include <wininet.h>

#include <memory>
#include <optional>
#include <string>

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

// A session under our agent name with the system's proxy settings.
InternetHandle OpenSession(const InternetTimeouts& timeouts);
InternetHandle ConnectTo(HINTERNET session, const HttpAddress& address);
// A request that no cache answers and none keeps; nothing is shown to the user. A kept
// connection may serve the next request to the same server.
InternetHandle OpenRequest(HINTERNET connection, const HttpAddress& address, const wchar_t* verb,
                           const InternetTimeouts& timeouts, bool keepConnection);
// Sends the request with the no-cache headers and waits for the response's head; false when
// no response with a status arrived (GetLastError tells why).
bool SendRequest(HINTERNET request);
// The final response's head as it arrived: status line, header lines, CR LF after each.
std::string ResponseHead(HINTERNET request);

TransferError ClassifyWinInet(DWORD error);
std::string DescribeWinInet(DWORD error);

}  // namespace larkspan
