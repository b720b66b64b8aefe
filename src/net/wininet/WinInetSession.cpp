#include "net/wininet/WinInetSession.h"

#include <algorithm>
#include <string_view>
#include <utility>

#include "os/CodePage.h"

namespace larkspan {
namespace {

constexpr wchar_t kNoCacheHeaders[] = L"Cache-Control: no-cache\r\nPragma: no-cache\r\n";

// Whether the address names its port: a ":" after the user's name and password and after
// the brackets of an IPv6 host.
bool NamesPort(std::wstring_view url) {
  const std::size_t begin = url.find(L"://") + 3;
  std::wstring_view host = url.substr(begin, url.find_first_of(L"/?#", begin) - begin);
  // Without an "@" or a "]", npos + 1 wraps to 0 and nothing is removed.
  host.remove_prefix(std::min(host.size(), host.rfind(L'@') + 1));
  host.remove_prefix(std::min(host.size(), host.rfind(L']') + 1));
  return host.find(L':') != std::wstring_view::npos;
}

bool UsableHost(std::wstring_view host) {
  if (host.empty()) return false;
  for (wchar_t c : host) {
    if (c <= L' ' || c == 0x7F ||
        std::wstring_view(L"\\\"<>^`{|}").find(c) != std::wstring_view::npos) {
      return false;
    }
  }
  return true;
}

// The path and query as they go out. Addresses in the update information may carry blanks as
// they stand ("/My Setup.exe"): they go out encoded. The fragment is the client's own.
std::wstring RequestTarget(std::wstring target) {
  target = target.substr(0, target.find(L'#'));
  if (target.empty() || target.front() != L'/') target.insert(0, L"/");
  for (std::size_t blank; (blank = target.find(L' ')) != std::wstring::npos;) {
    target.replace(blank, 1, L"%20");
  }
  return target;
}

// Every level gets the time-outs: Windows passes them down from the session, Wine reads the
// receive time-out only from the request itself.
void SetTimeouts(HINTERNET handle, const InternetTimeouts& timeouts) {
  const std::pair<DWORD, DWORD> options[] = {
      {INTERNET_OPTION_CONNECT_TIMEOUT, timeouts.connectMs},
      {INTERNET_OPTION_RECEIVE_TIMEOUT, timeouts.receiveMs},
      {INTERNET_OPTION_SEND_TIMEOUT, timeouts.receiveMs},
  };
  for (auto [option, ms] : options) InternetSetOptionW(handle, option, &ms, sizeof ms);
}

}  // namespace

std::optional<HttpAddress> ParseHttpAddress(const std::u16string& address, bool guessScheme,
                                            int defaultHttpPort) {
  std::wstring url(address.begin(), address.end());
  if (guessScheme && url.find(L"://") == std::wstring::npos) url.insert(0, L"http://");
  URL_COMPONENTSW parts{};
  parts.dwStructSize = sizeof parts;
  // Non-zero lengths without buffers: the parts come back as pointers into `url`.
  parts.dwSchemeLength = parts.dwHostNameLength = parts.dwUserNameLength = parts.dwPasswordLength =
      parts.dwUrlPathLength = parts.dwExtraInfoLength = 1;
  if (url.empty() || !InternetCrackUrlW(url.c_str(), 0, 0, &parts)) return std::nullopt;
  if (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS) {
    return std::nullopt;
  }
  HttpAddress result;
  result.host.assign(parts.lpszHostName ? parts.lpszHostName : L"", parts.dwHostNameLength);
  if (!UsableHost(result.host)) return std::nullopt;
  result.secure = parts.nScheme == INTERNET_SCHEME_HTTPS;
  result.port = parts.nPort;
  if (!result.secure && !NamesPort(url)) result.port = static_cast<INTERNET_PORT>(defaultHttpPort);
  if (parts.lpszUserName) result.user.assign(parts.lpszUserName, parts.dwUserNameLength);
  if (parts.lpszPassword) result.password.assign(parts.lpszPassword, parts.dwPasswordLength);
  std::wstring target;
  if (parts.lpszUrlPath) target.assign(parts.lpszUrlPath, parts.dwUrlPathLength);
  if (parts.lpszExtraInfo) target.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);
  result.object = RequestTarget(std::move(target));
  return result;
}

std::string AddressText(const HttpAddress& address) {
  const bool ipv6 = address.host.find(L':') != std::wstring::npos;
  std::wstring url = address.secure ? L"https://" : L"http://";
  if (!address.user.empty() || !address.password.empty()) {
    url += address.user + L":" + address.password + L"@";
  }
  url += (ipv6 ? L"[" + address.host + L"]" : address.host) + L":" + std::to_wstring(address.port) +
         address.object;
  return ToNarrow(std::u16string(url.begin(), url.end()));
}

InternetHandle OpenSession(const InternetTimeouts& timeouts) {
  InternetHandle session(
      InternetOpenW(kUserAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
  if (session) SetTimeouts(session.get(), timeouts);
  return session;
}

InternetHandle ConnectTo(HINTERNET session, const HttpAddress& address) {
  auto optional = [](const std::wstring& text) { return text.empty() ? nullptr : text.c_str(); };
  return InternetHandle(InternetConnectW(session, address.host.c_str(), address.port,
                                         optional(address.user), optional(address.password),
                                         INTERNET_SERVICE_HTTP, 0, 0));
}

InternetHandle OpenRequest(HINTERNET connection, const HttpAddress& address, const wchar_t* verb,
                           const InternetTimeouts& timeouts) {
  DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_NO_UI |
                INTERNET_FLAG_KEEP_CONNECTION | INTERNET_FLAG_NO_COOKIES |
                INTERNET_FLAG_NO_AUTO_REDIRECT;
  if (address.secure) flags |= INTERNET_FLAG_SECURE;
  InternetHandle request(HttpOpenRequestW(connection, verb, address.object.c_str(), nullptr,
                                          nullptr, nullptr, flags, 0));
  if (request) SetTimeouts(request.get(), timeouts);
  return request;
}

DWORD SendRequest(HINTERNET request) {
  if (!HttpSendRequestW(request, kNoCacheHeaders, static_cast<DWORD>(-1), nullptr, 0)) return 0;
  const DWORD status = ResponseStatus(request);
  if (status == 0) SetLastError(ERROR_INTERNET_CONNECTION_RESET);
  return status;
}

DWORD ResponseStatus(HINTERNET request) {
  DWORD status = 0;
  DWORD size = sizeof status;
  if (!HttpQueryInfoW(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size,
                      nullptr) ||
      status < 100 || status > 599) {
    return 0;
  }
  return status;
}

std::string ResponseHead(HINTERNET request) {
  DWORD bytes = 0;
  HttpQueryInfoW(request, HTTP_QUERY_RAW_HEADERS_CRLF, nullptr, &bytes, nullptr);
  std::u16string head(bytes / sizeof(wchar_t), u'\0');
  if (head.empty() ||
      !HttpQueryInfoW(request, HTTP_QUERY_RAW_HEADERS_CRLF, head.data(), &bytes, nullptr)) {
    return {};
  }
  head.resize(bytes / sizeof(wchar_t));
  return ToNarrow(head);
}

TransferError ClassifyWinInet(DWORD error) {
  switch (error) {
    case ERROR_SUCCESS:
      return TransferError::kNone;
    case ERROR_INTERNET_INVALID_URL:
    case ERROR_INTERNET_UNRECOGNIZED_SCHEME:
      return TransferError::kBadAddress;
    case ERROR_INTERNET_NAME_NOT_RESOLVED:
      return TransferError::kUnresolved;
    case ERROR_INTERNET_CANNOT_CONNECT:
      return TransferError::kRefused;
    case ERROR_INTERNET_TIMEOUT:
    case WSAETIMEDOUT:  // Wine passes the socket's own error on
      return TransferError::kTimedOut;
    case ERROR_INTERNET_CONNECTION_ABORTED:
    case ERROR_INTERNET_CONNECTION_RESET:
    case WSAECONNABORTED:
    case WSAECONNRESET:
    case ERROR_HTTP_INVALID_SERVER_RESPONSE:
      return TransferError::kBroken;
    case ERROR_HTTP_REDIRECT_FAILED:
      return TransferError::kTooManyRedirects;
    case ERROR_INTERNET_SEC_CERT_DATE_INVALID:
    case ERROR_INTERNET_SEC_CERT_CN_INVALID:
    case ERROR_INTERNET_INVALID_CA:
    case ERROR_INTERNET_SEC_CERT_ERRORS:
    case ERROR_INTERNET_SEC_CERT_NO_REV:
    case ERROR_INTERNET_SEC_CERT_REV_FAILED:
    case ERROR_INTERNET_SEC_CERT_REVOKED:
    case ERROR_INTERNET_SEC_INVALID_CERT:
    case ERROR_INTERNET_SECURITY_CHANNEL_ERROR:
      return TransferError::kSecurity;
    case ERROR_INTERNET_OPERATION_CANCELLED:
      return TransferError::kCancelled;
    default:
      return TransferError::kOther;
  }
}

std::string DescribeWinInet(DWORD error) {
  return "WinINet error " + std::to_string(error);
}

}  // namespace larkspan
