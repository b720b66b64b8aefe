#include "net/Inet.h"

#include <chrono>
#include <string_view>

#include "base/Failure.h"
#include "net/TransferError.h"
#include "net/wininet/WinInetTransfer.h"
#include "os/CodePage.h"
#include "text/AsciiText.h"
#include "ui/Ui.h"

namespace larkspan {
namespace {

// How long GetChunk waits for data between two passes of the event pump.
constexpr std::chrono::milliseconds kPumpInterval{5};

HttpAddress UsableAddress(const std::u16string& url, const InetSettings& settings) {
  // Like the control, accept "host/path" as an http address.
  std::optional<HttpAddress> address = ParseHttpAddress(url, true, settings.remotePort);
  if (!address) RaiseTransferFailure(TransferError::kBadAddress, ToUtf8(url));
  return *address;
}

[[noreturn]] void RaiseEnded(const WinInetTransfer& transfer) {
  const TransferError error = transfer.Error();
  // A body that ended cleanly but short of what was asked for is a broken response too.
  RaiseTransferFailure(error == TransferError::kNone ? TransferError::kBroken : error,
                       transfer.ErrorDetail());
}

}  // namespace

struct Inet::Request : WinInetTransfer {
  using WinInetTransfer::WinInetTransfer;
};

Inet::Inet(InetSettings settings) : settings_(settings) {}

Inet::~Inet() {
  Cancel();
}

std::u16string Inet::OpenURL(const std::u16string& url) {
  // The same request as Execute's, waited for here without letting window events run.
  std::shared_ptr<WinInetTransfer> transfer =
      WinInetTransfer::Start(UsableAddress(url, settings_), false,
                             std::chrono::seconds(settings_.requestTimeoutSeconds), kOpenUrlLimit);
  std::vector<std::uint8_t> body;
  WinInetTransfer::ReadResult result;
  do {
    result = transfer->ReadInto(body, kOpenUrlLimit + 1, std::chrono::milliseconds(100));
  } while (result == WinInetTransfer::ReadResult::kPending);
  const TransferError error = transfer->Error();
  const std::string detail = transfer->ErrorDetail();
  transfer->Cancel();  // done with it: a body beyond the limit stops here
  if (result != WinInetTransfer::ReadResult::kEnded) RaiseTransferFailure(TransferError::kTooLarge);
  if (error != TransferError::kNone) RaiseTransferFailure(error, detail);
  return ToWide(std::string_view(reinterpret_cast<const char*>(body.data()), body.size()));
}

void Inet::Execute(const std::u16string& url, const std::u16string& operation) {
  Cancel();
  const bool headOnly = EqualsIgnoringAsciiCase(operation, u"HEAD");
  if (!headOnly && !EqualsIgnoringAsciiCase(operation, u"GET")) {
    throw Failure(kTransferFailed, "unsupported operation " + ToUtf8(operation));
  }
  transfer_ =
      WinInetTransfer::Start<Request>(UsableAddress(url, settings_), headOnly,
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
      case WinInetTransfer::ReadResult::kComplete:
        return chunk;
      case WinInetTransfer::ReadResult::kPending:
        DoEvents();
        if (stopRequested_ && stopRequested_()) {
          Cancel();
          RaiseTransferFailure(TransferError::kCancelled);
        }
        break;
      case WinInetTransfer::ReadResult::kCancelled:
        RaiseTransferFailure(TransferError::kCancelled);
      case WinInetTransfer::ReadResult::kEnded:
        RaiseEnded(*transfer);
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
