#include "net/Inet.h"

#include <chrono>
#include <utility>

#include "base/Failure.h"
#include "net/Transfer.h"
#include "os/CodePage.h"
#include "text/AsciiText.h"
#include "ui/Ui.h"

namespace larkspan {
namespace {

// How long GetChunk waits for data between two passes of the event pump.
constexpr std::chrono::milliseconds kPumpInterval{5};

}  // namespace

Inet::Inet(InetSettings settings) : settings_(settings) {}

Inet::~Inet() {
  Cancel();
}

void Inet::Execute(const std::u16string& url, const std::u16string& operation) {
  Cancel();
  const bool headOnly = EqualsIgnoringAsciiCase(operation, u"HEAD");
  if (!headOnly && !EqualsIgnoringAsciiCase(operation, u"GET")) {
    throw Failure(kTransferFailed, "unsupported operation " + ToUtf8(operation));
  }
  transfer_ = StartTransfer(url, headOnly, settings_);
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
  std::shared_ptr<Transfer> transfer = transfer_;
  if (!transfer) RaiseTransferFailure(TransferError::kNoRequest);
  if (size < 0) throw Failure(kTransferFailed, "negative chunk size");
  std::vector<std::uint8_t> chunk;
  chunk.reserve(static_cast<std::size_t>(size));
  for (;;) {
    switch (transfer->ReadInto(chunk, static_cast<std::size_t>(size), kPumpInterval)) {
      case Transfer::ReadResult::kComplete:
        return chunk;
      case Transfer::ReadResult::kPending:
        DoEvents();
        if (stopRequested_ && stopRequested_()) {
          Cancel();
          RaiseTransferFailure(TransferError::kCancelled);
        }
        break;
      case Transfer::ReadResult::kCancelled:
        RaiseTransferFailure(TransferError::kCancelled);
      case Transfer::ReadResult::kEnded: {
        const TransferError error = transfer->Error();
        // A body that ended cleanly but short of what was asked for is a broken response too.
        RaiseTransferFailure(error == TransferError::kNone ? TransferError::kBroken : error,
                             transfer->ErrorDetail());
      }
    }
  }
}

void Inet::Cancel() {
  if (!transfer_) return;
  std::shared_ptr<Transfer> transfer = std::move(transfer_);
  transfer->Cancel();
}

}  // namespace larkspan
