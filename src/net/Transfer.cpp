#include "net/Transfer.h"

#include <algorithm>

namespace larkspan {
namespace {

// A waiting reader is woken once this much is there, not for every piece that arrives: short
// of that it looks by itself when its wait ends, which bounds how late it sees the bytes.
constexpr std::size_t kWakeBytes = 64u << 10;

}  // namespace

bool Transfer::HeadInLocked() const {
  return headersDone_ || (headDue_ && Clock::now() >= *headDue_);
}

bool Transfer::StillExecuting(std::chrono::milliseconds wait) {
  std::unique_lock lock(mutex_);
  const Clock::time_point until = Clock::now() + wait;
  while (!HeadInLocked() && !finished_ && !cancelled_ && Clock::now() < until) {
    changed_.wait_until(lock, headDue_ ? std::min(until, *headDue_) : until);
  }
  return !HeadInLocked() && !finished_;
}

std::optional<std::string> Transfer::Header(std::string_view name) const {
  std::lock_guard lock(mutex_);
  if (!HeadInLocked()) return std::nullopt;
  return FindHeader(headers_, name);
}

Transfer::ReadResult Transfer::ReadInto(std::span<std::uint8_t> out, std::size_t& filled,
                                        std::chrono::milliseconds wait) {
  std::unique_lock lock(mutex_);
  const auto pull = [&] {
    if (cancelled_) return;
    filled += ring_.Read(out.data() + filled, out.size() - filled);
    // The worker goes on only once half the buffer is free, so that it is not stopped and
    // started again for every chunk taken.
    if (roomWanted_ && ring_.Free() >= ring_.Capacity() / 2) {
      roomWanted_ = false;
      RoomMadeLocked();
      changed_.notify_all();
    }
  };
  pull();
  if (filled < out.size() && !finished_ && !cancelled_) {
    readerWants_ = out.size() - filled;
    changed_.wait_for(lock, wait, [&] {
      return ring_.Size() >= std::min(readerWants_, kWakeBytes) || finished_ || cancelled_;
    });
    readerWants_ = 0;
    pull();
  }
  if (cancelled_) return ReadResult::kCancelled;
  if (filled == out.size()) return ReadResult::kComplete;
  return finished_ ? ReadResult::kEnded : ReadResult::kPending;
}

TransferError Transfer::Error() const {
  std::lock_guard lock(mutex_);
  return cancelled_ ? TransferError::kCancelled : error_;
}

std::string Transfer::ErrorDetail() const {
  std::lock_guard lock(mutex_);
  return errorDetail_;
}

bool Transfer::PublishHeadLocked(HttpHeaders headers, std::optional<Clock::time_point> due) {
  if (!SettleLengths(headers)) return false;
  headers_ = std::move(headers);
  headDue_ = due;
  headersDone_ = !due;
  changed_.notify_all();
  return true;
}

void Transfer::ConfirmHeadLocked() {
  if (headDue_) headersDone_ = true;
}

bool Transfer::PushLocked(const std::uint8_t* data, std::size_t size) {
  if (ring_.Free() < size) {
    roomWanted_ = true;
    return false;
  }
  ring_.Write(data, size);
  if (readerWants_ > 0 && ring_.Size() >= kWakeBytes) changed_.notify_all();
  return true;
}

bool Transfer::WaitForRoom(std::size_t size) {
  std::unique_lock lock(mutex_);
  if (ring_.Free() < size) roomWanted_ = true;
  changed_.wait(lock, [this] { return !roomWanted_ || cancelled_; });
  return !cancelled_;
}

void Transfer::Finish(TransferError error, std::string detail) {
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

}  // namespace larkspan
