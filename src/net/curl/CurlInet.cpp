#include "net/Inet.h"

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/Failure.h"
#include "net/HttpHeaders.h"
#include "net/curl/CurlSession.h"
#include "net/curl/CurlTransfer.h"
#include "os/CodePage.h"
#include "text/AsciiText.h"
#include "ui/Ui.h"

namespace larkspan {
namespace {

std::string UsableAddress(const std::u16string& url, const InetSettings& settings) {
  // Like the control, accept "host/path" as an http address.
  std::optional<std::string> address = NormalizeAddress(ToNarrow(url), true, settings.remotePort);
  if (!address) RaiseTransferFailure(TransferError::kBadAddress, ToUtf8(url));
  return *address;
}

struct BoundedBody {
  std::string text;
  bool tooLarge = false;
  static std::size_t Append(char* data, std::size_t size, std::size_t count, void* self) {
    auto* body = static_cast<BoundedBody*>(self);
    if (body->text.size() + size * count > Inet::kOpenUrlLimit) {
      body->tooLarge = true;
      return 0;
    }
    body->text.append(data, size * count);
    return size * count;
  }
};

// Watches a blocking fetch: refuses a head whose lengths cannot be trusted, and ends the fetch
// when nothing has arrived for the time-out. libcurl's own low-speed limit averages over several
// seconds, so a server that sends a little and then falls silent would be waited for several
// times the time-out.
class FetchWatch {
 public:
  explicit FetchWatch(std::chrono::seconds timeout) : timeout_(timeout) {}

  static std::size_t OnHeader(char* data, std::size_t size, std::size_t count, void* self) {
    return static_cast<FetchWatch*>(self)->Header(std::string_view(data, size * count))
               ? size * count
               : 0;
  }
  static int OnProgress(void* self, curl_off_t, curl_off_t received, curl_off_t, curl_off_t) {
    return static_cast<FetchWatch*>(self)->Idle(received) ? 1 : 0;
  }

  bool lengthRefused = false;
  bool timedOut = false;

 private:
  bool Header(std::string_view line) {
    lastActivity_ = Clock::now();
    if (!head_.Feed(line)) return true;
    lengthRefused = !LengthsUsable(head_.Headers());
    return !lengthRefused;
  }

  bool Idle(curl_off_t received) {
    const Clock::time_point now = Clock::now();
    if (received != received_) {
      received_ = received;
      lastActivity_ = now;
    }
    timedOut = now - lastActivity_ > timeout_;
    return timedOut;
  }

  using Clock = std::chrono::steady_clock;
  const std::chrono::seconds timeout_;
  Clock::time_point lastActivity_ = Clock::now();
  curl_off_t received_ = 0;
  HttpHeadReader head_;
};

}  // namespace

std::shared_ptr<Transfer> StartTransfer(const std::u16string& url, bool headOnly,
                                        const InetSettings& settings) {
  return std::make_shared<CurlTransfer>(UsableAddress(url, settings), headOnly,
                                        std::chrono::seconds(settings.requestTimeoutSeconds));
}

std::u16string Inet::OpenURL(const std::u16string& url) {
  std::string address = UsableAddress(url, settings_);
  CurlEasy easy;
  std::chrono::seconds timeout(settings_.requestTimeoutSeconds);
  ApplyControlOptions(easy, address, timeout);
  CURL* h = easy.get();
  BoundedBody body;
  char errorText[CURL_ERROR_SIZE] = "";
  curl_easy_setopt(h, CURLOPT_ERRORBUFFER, errorText);
  curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &BoundedBody::Append);
  curl_easy_setopt(h, CURLOPT_WRITEDATA, &body);
  curl_easy_setopt(h, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(kOpenUrlLimit));
  FetchWatch watch(timeout);
  curl_easy_setopt(h, CURLOPT_HEADERFUNCTION, &FetchWatch::OnHeader);
  curl_easy_setopt(h, CURLOPT_HEADERDATA, &watch);
  curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, &FetchWatch::OnProgress);
  curl_easy_setopt(h, CURLOPT_XFERINFODATA, &watch);
  curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);
  CURLcode result = curl_easy_perform(h);
  if (body.tooLarge) RaiseTransferFailure(TransferError::kTooLarge);
  if (watch.lengthRefused) RaiseTransferFailure(TransferError::kBroken, "unusable Content-Length");
  if (watch.timedOut) RaiseTransferFailure(TransferError::kTimedOut);
  if (result != CURLE_OK) {
    RaiseTransferFailure(ClassifyCurl(result),
                         *errorText != '\0' ? errorText : curl_easy_strerror(result));
  }
  return ToWide(body.text);
}

}  // namespace larkspan
