#include "platform/Inet.h"

#include <chrono>
#include <optional>
#include <string>

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
  // A server that goes silent for the time-out ends the fetch.
  curl_easy_setopt(h, CURLOPT_LOW_SPEED_LIMIT, 1L);
  curl_easy_setopt(h, CURLOPT_LOW_SPEED_TIME, static_cast<long>(timeout.count()));
  CURLcode result = curl_easy_perform(h);
  if (body.tooLarge) RaiseTransferFailure(TransferError::kTooLarge);
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
