#include "net/Inet.h"

#include <algorithm>
#include <chrono>
#include <string_view>
#include <utility>

#include "base/Failure.h"
#include "base/Runtime.h"
#include "net/Transfer.h"
#include "os/CodePage.h"
#include "text/AsciiText.h"

namespace larkspan {
namespace {

// How long GetChunk waits for data between two passes of the event pump.
constexpr std::chrono::milliseconds kPumpInterval{5};
// How long the whole-text fetch waits for data between two looks at its deadline.
constexpr std::chrono::milliseconds kOpenUrlPoll{100};

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

bool Inet::StillExecuting(std::chrono::milliseconds wait) {
  return transfer_ && transfer_->StillExecuting(wait);
}

std::u16string Inet::OpenURL(const std::u16string& url) {
  using Clock = std::chrono::steady_clock;
  // The deadline covers the whole fetch: the transfer's own time-out bounds only silence, and a
  // server that sends a byte now and then would hold the update window for as long as it liked.
  const Clock::time_point deadline =
      Clock::now() + std::chrono::seconds(settings_.requestTimeoutSeconds);
  const std::shared_ptr<Transfer> transfer = StartTransfer(url, false, settings_);
  std::vector<std::uint8_t> body;
  Transfer::ReadResult result = Transfer::ReadResult::kPending;
  while (result == Transfer::ReadResult::kPending && Clock::now() < deadline) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    // One byte more than the limit tells a body that is too large.
    result = transfer->ReadInto(body, kOpenUrlLimit + 1, std::min(left, kOpenUrlPoll));
  }
  const TransferError error = transfer->Error();
  const std::string detail = transfer->ErrorDetail();
  transfer->Cancel();  // done with it: a body beyond the limit, or past the deadline, stops here
  switch (result) {
    case Transfer::ReadResult::kPending:
      RaiseTransferFailure(TransferError::kTimedOut, "the whole text did not arrive in time");
    case Transfer::ReadResult::kComplete:
      RaiseTransferFailure(TransferError::kTooLarge);
    case Transfer::ReadResult::kCancelled:
    case Transfer::ReadResult::kEnded:
      break;
  }
  if (error != TransferError::kNone) RaiseTransferFailure(error, detail);
  return ToWide(std::string_view(reinterpret_cast<const char*>(body.data()), body.size()));
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
