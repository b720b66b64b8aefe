#include "net/Transfer.h"

namespace larkspan {

bool TransferCore::StillExecuting(std::chrono::milliseconds wait) {
  std::unique_lock lock(mutex_);
  changed_.wait_for(lock, wait, [this] { return headersDone_ || finished_ || cancelled_; });
  return !headersDone_ && !finished_;
}

std::optional<std::string> TransferCore::Header(std::string_view name) const {
  std::lock_guard lock(mutex_);
  if (!headersDone_) return std::nullopt;
  return FindHeader(headers_, name);
}

TransferError TransferCore::Error() const {
  std::lock_guard lock(mutex_);
  return cancelled_ ? TransferError::kCancelled : error_;
}

Transfer::ReadResult TransferCore::ReadInto(std::vector<std::uint8_t>& out, std::size_t size,
                                            std::chrono::milliseconds wait) {
  std::unique_lock lock(mutex_);
  PullLocked(out, size);
  if (out.size() < size && !finished_ && !cancelled_) {
    changed_.wait_for(lock, wait,
                      [&] { return ring_.Size() >= size - out.size() || finished_ || cancelled_; });
    PullLocked(out, size);
  }
  if (cancelled_) return ReadResult::kCancelled;
  if (out.size() == size) return ReadResult::kComplete;
  return finished_ ? ReadResult::kEnded : ReadResult::kPending;
}

std::string TransferCore::ErrorDetail() const {
  std::lock_guard lock(mutex_);
  return errorDetail_;
}

}  // namespace larkspan
