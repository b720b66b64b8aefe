#include "net/curl/CurlSession.h"

#include <mutex>

#include "base/Failure.h"

namespace larkspan {
namespace {

void EnsureCurlReady() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct CurlUrl {
  CURLU* handle = curl_url();
  ~CurlUrl() { curl_url_cleanup(handle); }
  std::optional<std::string> Get(CURLUPart part) const {
    char* value = nullptr;
    if (curl_url_get(handle, part, &value, 0) != CURLUE_OK) return std::nullopt;
    std::string text(value);
    curl_free(value);
    return text;
  }
};

// Addresses in the update information may carry blanks as they stand ("http://host/My
// Setup.exe"): in the path and query they go out encoded, as the Windows build sends them;
// libcurl would refuse the address. A blank in the host name stays and is refused.
std::string EncodeBlanks(std::string_view address) {
  const std::size_t authority = address.find("://");
  const std::size_t path =
      address.find_first_of("/?#", authority == std::string_view::npos ? 0 : authority + 3);
  std::string encoded(address.substr(0, path));
  if (path == std::string_view::npos) return encoded;
  for (const char c : address.substr(path)) {
    if (c == ' ') {
      encoded += "%20";
    } else {
      encoded += c;
    }
  }
  return encoded;
}

std::mutex authorityMutex;
std::string trustedAuthorityFile;  // guarded by authorityMutex: transfers start on any thread

}  // namespace

CurlEasy::CurlEasy() {
  EnsureCurlReady();
  handle_ = curl_easy_init();
  if (handle_ == nullptr) RaiseTransferFailure(TransferError::kOther, "no transfer handle");
}

CurlEasy::~CurlEasy() {
  curl_easy_cleanup(handle_);
  curl_slist_free_all(headers_);
}

void CurlEasy::SetHeaders(std::initializer_list<const char*> lines) {
  curl_slist* list = nullptr;
  for (const char* line : lines) list = curl_slist_append(list, line);
  curl_easy_setopt(handle_, CURLOPT_HTTPHEADER, list);
  curl_slist_free_all(headers_);
  headers_ = list;
}

CurlMulti::CurlMulti() {
  EnsureCurlReady();
  handle_ = curl_multi_init();
  if (handle_ == nullptr) RaiseTransferFailure(TransferError::kOther, "no transfer handle");
}

CurlMulti::~CurlMulti() {
  curl_multi_cleanup(handle_);
}

CurlAttachment::CurlAttachment(CurlMulti& multi, CurlEasy& easy)
    : multi_(multi.get()), easy_(easy.get()) {
  if (curl_multi_add_handle(multi_, easy_) != CURLM_OK) {
    RaiseTransferFailure(TransferError::kOther, "cannot start the transfer");
  }
}

CurlAttachment::~CurlAttachment() {
  curl_multi_remove_handle(multi_, easy_);
}

TransferError ClassifyCurl(CURLcode code) {
  switch (code) {
    case CURLE_OK:
      return TransferError::kNone;
    case CURLE_URL_MALFORMAT:
    case CURLE_UNSUPPORTED_PROTOCOL:
      return TransferError::kBadAddress;
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
      return TransferError::kUnresolved;
    case CURLE_COULDNT_CONNECT:
      return TransferError::kRefused;
    case CURLE_OPERATION_TIMEDOUT:
      return TransferError::kTimedOut;
    case CURLE_PARTIAL_FILE:
    case CURLE_RECV_ERROR:
    case CURLE_SEND_ERROR:
    case CURLE_GOT_NOTHING:
    case CURLE_WEIRD_SERVER_REPLY:
    case CURLE_HTTP2:
    case CURLE_HTTP2_STREAM:
    case CURLE_BAD_CONTENT_ENCODING:
      return TransferError::kBroken;
    case CURLE_FILESIZE_EXCEEDED:
      return TransferError::kTooLarge;
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
      return TransferError::kSecurity;
    case CURLE_ABORTED_BY_CALLBACK:
      return TransferError::kCancelled;
    default:
      return TransferError::kOther;
  }
}

std::optional<std::string> NormalizeAddress(std::string_view address, bool guessScheme,
                                            int defaultHttpPort) {
  if (address.empty()) return std::nullopt;
  CurlUrl url;
  if (url.handle == nullptr) return std::nullopt;
  const std::string text = EncodeBlanks(address);
  unsigned flags = guessScheme ? CURLU_GUESS_SCHEME : 0u;
  if (curl_url_set(url.handle, CURLUPART_URL, text.c_str(), flags) != CURLUE_OK) {
    return std::nullopt;
  }
  std::optional<std::string> scheme = url.Get(CURLUPART_SCHEME);
  if (!scheme || (*scheme != "http" && *scheme != "https")) return std::nullopt;
  if (*scheme == "http" && defaultHttpPort != 80 && !url.Get(CURLUPART_PORT)) {
    curl_url_set(url.handle, CURLUPART_PORT, std::to_string(defaultHttpPort).c_str(), 0);
  }
  return url.Get(CURLUPART_URL);
}

void ApplyCommonOptions(CurlEasy& easy, long connectTimeoutSeconds) {
  CURL* h = easy.get();
  curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 0L);
  // A proxy's answer to CONNECT is not the server's response.
  curl_easy_setopt(h, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
  curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT, connectTimeoutSeconds);
  curl_easy_setopt(h, CURLOPT_USERAGENT, kUserAgent);
  // One request per connection: nothing lingers once a request has ended.
  curl_easy_setopt(h, CURLOPT_FORBID_REUSE, 1L);
  easy.SetHeaders({"Cache-Control: no-cache", "Pragma: no-cache"});
  std::lock_guard lock(authorityMutex);
  if (!trustedAuthorityFile.empty()) {
    curl_easy_setopt(h, CURLOPT_CAINFO, trustedAuthorityFile.c_str());  // libcurl copies it
  }
}

bool AimAt(CurlEasy& easy, const std::string& address) {
  const std::optional<std::string> url = NormalizeAddress(address, false);
  return url && curl_easy_setopt(easy.get(), CURLOPT_URL, url->c_str()) == CURLE_OK;
}

std::string SetTrustedAuthorityFile(std::string path) {
  std::lock_guard lock(authorityMutex);
  trustedAuthorityFile.swap(path);
  return path;
}

}  // namespace larkspan
