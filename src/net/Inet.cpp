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
// The whole-text fetch's buffer starts at this size and then doubles as the body comes.
constexpr std::size_t kOpenUrlStep = 64u << 10;

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
  std::size_t filled = 0;
  Transfer::ReadResult result = Transfer::ReadResult::kPending;
  while (result == Transfer::ReadResult::kPending && Clock::now() < deadline) {
    // The buffer grows as the body comes; one byte more than the limit tells a body that is
    // too large.
    if (filled == body.size())
      body.resize(std::min(2 * body.size() + kOpenUrlStep, kOpenUrlLimit + 1));
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    result = transfer->ReadInto(body, filled, std::min(left, kOpenUrlPoll));
    if (result == Transfer::ReadResult::kComplete && body.size() <= kOpenUrlLimit) {
      result = Transfer::ReadResult::kPending;
    }
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
  return ToWide(std::string_view(reinterpret_cast<const char*>(body.data()), filled));
}

std::u16string Inet::GetHeader(const std::u16string& name) {
  if (!transfer_) return {};
  std::optional<std::string> value = transfer_->Header(ToNarrow(name));
  return value ? ToWide(*value) : std::u16string();
}

void Inet::GetChunk(std::vector<std::uint8_t>& chunk, std::int32_t size) {
  // Hold the request ourselves: a handler run by DoEvents may cancel and drop it.
  std::shared_ptr<Transfer> transfer = transfer_;
  if (!transfer) RaiseTransferFailure(TransferError::kNoRequest);
  if (size < 0) throw Failure(kTransferFailed, "negative chunk size");
  chunk.resize(static_cast<std::size_t>(size));
  for (std::size_t filled = 0;;) {
    switch (transfer->ReadInto(chunk, filled, kPumpInterval)) {
      case Transfer::ReadResult::kComplete:
        return;
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
