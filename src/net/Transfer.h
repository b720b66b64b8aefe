#pragma once
// One request of the transfer control, run by the platform's client library on a worker
// thread (net/curl on Linux, net/wininet on Windows). The worker only pushes what it receives:
// the final answer's head, the body's bytes, how the request ended. The control (net/Inet),
// the same on every platform, reads them from here: this is the one buffer and the one read
// path between the two, under one lock.
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "net/ByteRing.h"
#include "net/HttpHeaders.h"
#include "net/TransferError.h"

namespace larkspan {

struct InetSettings;

class Transfer {
 public:
  using Clock = std::chrono::steady_clock;
  enum class ReadResult { kComplete, kPending, kEnded, kCancelled };
  // The body is held at most this far ahead of the reader; the worker waits beyond it.
  static constexpr std::size_t kBufferBytes = 4u << 20;

  virtual ~Transfer() = default;
  // Ends the request at once, whatever it was doing, and closes its connection. Idempotent.
  virtual void Cancel() = 0;
  // True until the final answer's head is in or the request has ended; first waits up to
  // `wait` for that.
  bool StillExecuting(std::chrono::milliseconds wait);
  // The first value of the header in the final answer (name without case), or nothing.
  std::optional<std::string> Header(std::string_view name) const;
  // Copies body bytes into `out` from `filled` on, until it is full, waiting at most `wait`
  // for more; `filled` counts what `out` holds. One reader at a time.
  ReadResult ReadInto(std::span<std::uint8_t> out, std::size_t& filled,
                      std::chrono::milliseconds wait);
  // Why the request ended (kNone while it runs or after a complete body); kCancelled once
  // cancelled, whatever the worker saw.
  TransferError Error() const;
  std::string ErrorDetail() const;

 protected:
  // For the worker. Makes `headers`, the final answer's head, the one that the reader sees: at
  // once, or, with `due`, from then on unless the request fails first. False, with nothing
  // published, when its lengths cannot be trusted (see SettleLengths).
  bool PublishHeadLocked(HttpHeaders headers, std::optional<Clock::time_point> due = {});
  // The head that PublishHeadLocked made due counts as in now, whatever the time.
  void ConfirmHeadLocked();
  // Takes the body's next bytes; false, with nothing taken, when the buffer lacks room for
  // them: RoomMadeLocked tells when the reader has freed half of it.
  bool PushLocked(const std::uint8_t* data, std::size_t size);
  // Waits until the buffer has room for `size` bytes; false once cancelled. For a worker that
  // may block: the other kind pauses its connection when a push finds no room.
  bool WaitForRoom(std::size_t size);
  // Ends the request: a head not yet due is withdrawn when `error` is one. Takes the lock.
  void Finish(TransferError error, std::string detail = {});
  virtual void RoomMadeLocked() {}

  mutable std::mutex mutex_;
  std::condition_variable changed_;
  bool cancelled_ = false;
  bool headersDone_ = false;
  HttpHeaders headers_;  // of the final answer; seen by the reader once the head is in

 private:
  bool HeadInLocked() const;

  std::optional<Clock::time_point> headDue_;  // see PublishHeadLocked
  bool finished_ = false;
  TransferError error_ = TransferError::kNone;
  std::string errorDetail_;
  ByteRing ring_{kBufferBytes};  // the body between the worker and the reader
  bool roomWanted_ = false;      // the worker waits, or its connection pauses, for room
  std::size_t readerWants_ = 0;  // bytes that the reader waits for; 0 while it does not wait
};

// Starts a GET (or, with `headOnly`, a HEAD) of `url` on the platform's client library; raises
// a failure for an address that it cannot use.
std::shared_ptr<Transfer> StartTransfer(const std::u16string& url, bool headOnly,
                                        const InetSettings& settings);

}  // namespace larkspan
