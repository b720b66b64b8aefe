#pragma once
// The program's one doorway to libcurl: owners for its handles and lists, the options that
// every request of ours shares, and the translation of its failures into ours.
#include <curl/curl.h>

#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

#include "Product.h"
#include "net/TransferError.h"

namespace larkspan {

inline constexpr const char* kUserAgent = kAppTitleIn<char>.data();

// One easy handle and the request-header list that it points to.
class CurlEasy {
 public:
  CurlEasy();  // initialises libcurl once per process; throws Failure when no handle is had
  ~CurlEasy();
  CurlEasy(const CurlEasy&) = delete;
  CurlEasy& operator=(const CurlEasy&) = delete;

  CURL* get() const { return handle_; }
  // Replaces the request headers sent with every request of this handle.
  void SetHeaders(std::initializer_list<const char*> lines);

 private:
  CURL* handle_;
  curl_slist* headers_ = nullptr;
};

class CurlMulti {
 public:
  CurlMulti();
  ~CurlMulti();
  CurlMulti(const CurlMulti&) = delete;
  CurlMulti& operator=(const CurlMulti&) = delete;
  CURLM* get() const { return handle_; }

 private:
  CURLM* handle_;
};

// Keeps an easy handle inside a multi handle for the owner's lifetime.
class CurlAttachment {
 public:
  CurlAttachment(CurlMulti& multi, CurlEasy& easy);
  ~CurlAttachment();
  CurlAttachment(const CurlAttachment&) = delete;
  CurlAttachment& operator=(const CurlAttachment&) = delete;

 private:
  CURLM* multi_;
  CURL* easy_;
};

TransferError ClassifyCurl(CURLcode code);

// The address as libcurl should see it, or nothing when it is not a usable http or https
// address. `guessScheme` lets "host/path" mean http. `defaultHttpPort` applies to http
// addresses that name no port.
std::optional<std::string> NormalizeAddress(std::string_view address, bool guessScheme,
                                            int defaultHttpPort = 80);

// Options shared by all our requests: http and https only, no redirect followed by libcurl
// (the requests follow them by the program's own rule, net/Redirect.h), no signals (we run on
// several threads), a connect time-out, our agent name, and headers that keep every cache out
// of the way. Certificate checks and proxy variables stay at libcurl's defaults: verification
// on, *_proxy honoured, credentials in them or in the address used. No cookie is kept or sent:
// the cookie engine stays off.
void ApplyCommonOptions(CurlEasy& easy, long connectTimeoutSeconds);
// Points the handle at `address`, a hop of a redirect chain; false when it is no usable http or
// https address.
bool AimAt(CurlEasy& easy, const std::string& address);

// For tests: every request of the process started after this call checks certificates against
// the authorities in this PEM file instead of libcurl's bundle (its folder of authorities, where
// it was built with one, still counts). An empty path goes back to the system's own checks.
// Returns the path it replaces.
std::string SetTrustedAuthorityFile(std::string path);

}  // namespace larkspan
