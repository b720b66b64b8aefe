#include "net/Transfer.h"

#include <algorithm>

namespace larkspan {

bool TransferCore::HeadInLocked() const {
  return headersDone_ || (headDue_ && Clock::now() >= *headDue_);
}

bool TransferCore::PublishHeadLocked(HttpHeaders headers, std::optional<Clock::time_point> due) {
  if (!SettleLengths(headers)) return false;
  headers_ = std::move(headers);
  headDue_ = due;
  headersDone_ = !due;
  changed_.notify_all();
  return true;
}

void TransferCore::ConfirmHeadLocked() {
  if (headDue_) headersDone_ = true;
}

void TransferCore::Finish(TransferError error, std::string detail) {
  {
    std::lock_guard lock(mutex_);
    if (headDue_ && !HeadInLocked()) {
      if (error == TransferError::kNone) {
        headersDone_ = true;
      } else {
        headDue_.reset();
      }
    }
    finished_ = true;
    error_ = error;
    errorDetail_ = std::move(detail);
  }
  changed_.notify_all();
}

bool TransferCore::StillExecuting(std::chrono::milliseconds wait) {
  std::unique_lock lock(mutex_);
  const Clock::time_point until = Clock::now() + wait;
  while (!HeadInLocked() && !finished_ && !cancelled_ && Clock::now() < until) {
    changed_.wait_until(lock, headDue_ ? std::min(until, *headDue_) : until);
  }
  return !HeadInLocked() && !finished_;
}

std::optional<std::string> TransferCore::Header(std::string_view name) const {
  std::lock_guard lock(mutex_);
  if (!HeadInLocked()) return std::nullopt;
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
