#include "net/Inet.h"

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "os/CodePage.h"
#include "net/HttpHeaders.h"
#include "net/curl/CurlSession.h"
#include "base/Failure.h"
#include "net/curl/CurlTransfer.h"
#include "text/AsciiText.h"
#include "ui/Ui.h"

namespace larkspan {
namespace {

// How long GetChunk waits for data between two passes of the event pump.
constexpr std::chrono::milliseconds kPumpInterval{5};

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

struct Inet::Request : CurlTransfer {
  using CurlTransfer::CurlTransfer;
};

Inet::Inet(InetSettings settings) : settings_(settings) {}

Inet::~Inet() {
  Cancel();
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

void Inet::Execute(const std::u16string& url, const std::u16string& operation) {
  Cancel();
  bool headOnly = EqualsIgnoringAsciiCase(operation, u"HEAD");
  if (!headOnly && !EqualsIgnoringAsciiCase(operation, u"GET")) {
    throw Failure(kTransferFailed, "unsupported operation " + ToUtf8(operation));
  }
  std::string address = UsableAddress(url, settings_);
  transfer_ = std::make_shared<Request>(address, headOnly,
                                             std::chrono::seconds(settings_.requestTimeoutSeconds));
}

bool Inet::StillExecuting() {
  return transfer_ && transfer_->StillExecuting();
}

std::u16string Inet::GetHeader(const std::u16string& name) {
  if (!transfer_) return {};
  std::optional<std::string> value = transfer_->Header(ToNarrow(name));
  return value ? ToWide(*value) : std::u16string();
}

std::vector<std::uint8_t> Inet::GetChunk(std::int32_t size) {
  // Hold the request ourselves: a handler run by DoEvents may cancel and drop it.
  std::shared_ptr<Request> transfer = transfer_;
  if (!transfer) RaiseTransferFailure(TransferError::kNoRequest);
  if (size < 0) throw Failure(kTransferFailed, "negative chunk size");
  std::vector<std::uint8_t> chunk;
  chunk.reserve(static_cast<std::size_t>(size));
  for (;;) {
    switch (transfer->ReadInto(chunk, static_cast<std::size_t>(size), kPumpInterval)) {
      case CurlTransfer::ReadResult::kComplete:
        return chunk;
      case CurlTransfer::ReadResult::kPending:
        DoEvents();
        if (stopRequested_ && stopRequested_()) {
          Cancel();
          RaiseTransferFailure(TransferError::kCancelled);
        }
        break;
      case CurlTransfer::ReadResult::kCancelled:
        RaiseTransferFailure(TransferError::kCancelled);
      case CurlTransfer::ReadResult::kEnded: {
        TransferError error = transfer->Error();
        // A body that ended cleanly but short of what was asked for is a broken response too.
        RaiseTransferFailure(error == TransferError::kNone ? TransferError::kBroken : error,
                             transfer->ErrorDetail());
      }
    }
  }
}

void Inet::Cancel() {
  if (!transfer_) return;
  std::shared_ptr<Request> transfer = std::move(transfer_);
  transfer_.reset();
  transfer->Cancel();
}

}  // namespace larkspan
