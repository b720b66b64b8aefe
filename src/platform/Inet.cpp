#include "platform/Inet.h"

#include <cctype>
#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/CodePage.h"
#include "platform/CurlSession.h"
#include "platform/Failure.h"
#include "platform/InetTransfer.h"
#include "platform/Ui.h"

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

bool IsOperation(const std::u16string& operation, std::u16string_view name) {
  if (operation.size() != name.size()) return false;
  for (std::size_t i = 0; i < name.size(); ++i) {
    char16_t c = operation[i];
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
    if (c != name[i]) return false;
  }
  return true;
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

bool IsPlainNumber(std::string_view text) {
  return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

std::string_view TrimmedLine(std::string_view line) {
  const std::size_t begin = line.find_first_not_of(" \t\r\n");
  if (begin == std::string_view::npos) return {};
  return line.substr(begin, line.find_last_not_of(" \t\r\n") - begin + 1);
}

// Watches a blocking fetch: refuses a response whose length is not a plain number or whose
// lengths disagree (libcurl would cut the body at a guess of its own), and ends the fetch when
// nothing has arrived for the time-out. libcurl's own low-speed limit averages over several
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
    if (line.substr(0, 5) == "HTTP/") {
      headers_.clear();
      return true;
    }
    line = TrimmedLine(line);
    if (line.empty()) {
      lengthRefused = LengthsDisagree(headers_);
      for (const auto& [name, value] : headers_) {
        if (name == "content-length" && !IsPlainNumber(value)) lengthRefused = true;
      }
      return !lengthRefused;
    }
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos) return true;
    std::string name(TrimmedLine(line.substr(0, colon)));
    for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    headers_.emplace_back(std::move(name), TrimmedLine(line.substr(colon + 1)));
    return true;
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
  std::vector<std::pair<std::string, std::string>> headers_;
};

}  // namespace

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
  bool headOnly = IsOperation(operation, u"HEAD");
  if (!headOnly && !IsOperation(operation, u"GET")) {
    throw Failure(kTransferFailed, "unsupported operation " + ToUtf8(operation));
  }
  std::string address = UsableAddress(url, settings_);
  transfer_ = std::make_shared<InetTransfer>(address, headOnly,
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
  std::shared_ptr<InetTransfer> transfer = transfer_;
  if (!transfer) RaiseTransferFailure(TransferError::kNoRequest);
  if (size < 0) throw Failure(kTransferFailed, "negative chunk size");
  std::vector<std::uint8_t> chunk;
  chunk.reserve(static_cast<std::size_t>(size));
  for (;;) {
    switch (transfer->ReadInto(chunk, static_cast<std::size_t>(size), kPumpInterval)) {
      case InetTransfer::ReadResult::kComplete:
        return chunk;
      case InetTransfer::ReadResult::kPending:
        DoEvents();
        break;
      case InetTransfer::ReadResult::kCancelled:
        RaiseTransferFailure(TransferError::kCancelled);
      case InetTransfer::ReadResult::kEnded: {
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
  std::shared_ptr<InetTransfer> transfer = std::move(transfer_);
  transfer_.reset();
  transfer->Cancel();
}

}  // namespace larkspan
