#pragma once
// One request of the transfer control, run by the platform's client library on a worker
// thread (net/curl on Linux, net/wininet on Windows): its head, its body through a bounded
// buffer, and how it ended. The control itself (net/Inet) is the same on every platform.
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "net/ByteRing.h"
#include "net/HttpHeaders.h"
#include "net/TransferError.h"

namespace larkspan {

struct InetSettings;

class Transfer {
 public:
  enum class ReadResult { kComplete, kPending, kEnded, kCancelled };

  virtual ~Transfer() = default;
  // Ends the request at once, whatever it was doing, and closes its connection. Idempotent.
  virtual void Cancel() = 0;
  // True until the final response's headers are in or the request has ended; first waits up
  // to `wait` for that.
  virtual bool StillExecuting(std::chrono::milliseconds wait) = 0;
  // The first value of the header in the final response (name without case), or nothing.
  virtual std::optional<std::string> Header(std::string_view name) const = 0;
  // Moves body bytes into `out` until it holds `size`, waiting at most `wait` for more. One
  // reader at a time.
  virtual ReadResult ReadInto(std::vector<std::uint8_t>& out, std::size_t size,
                              std::chrono::milliseconds wait) = 0;
  // Why the request ended (kNone while it runs or after a complete body).
  virtual TransferError Error() const = 0;
  virtual std::string ErrorDetail() const = 0;
};

// What the requests of both client libraries keep under one lock, written by their worker and
// read by the control: the final response's head once it is in, how the request ended, and
// whether it was cancelled.
class TransferCore : public Transfer {
 public:
  using Clock = std::chrono::steady_clock;
  // The body is held at most this far ahead of the reader; the worker waits beyond it.
  static constexpr std::size_t kBufferBytes = 4u << 20;

  ReadResult ReadInto(std::vector<std::uint8_t>& out, std::size_t size,
                      std::chrono::milliseconds wait) override;
  bool StillExecuting(std::chrono::milliseconds wait) final;
  std::optional<std::string> Header(std::string_view name) const final;
  // kCancelled once cancelled, whatever the worker saw.
  TransferError Error() const final;
  std::string ErrorDetail() const final;

 protected:
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  bool cancelled_ = false;
  bool headersDone_ = false;
  std::optional<Clock::time_point> headDue_;  // see PublishHeadLocked
  bool finished_ = false;
  TransferError error_ = TransferError::kNone;
  std::string errorDetail_;
  HttpHeaders headers_;          // of the final response; seen by the reader once headersDone_
  ByteRing ring_{kBufferBytes};  // the body between the worker and the reader

  // Moves what the buffer holds into `out`, up to `size`, and lets the worker go on when the
  // buffer has room again. Called with the lock held.
  virtual void PullLocked(std::vector<std::uint8_t>& out, std::size_t size) = 0;
  // Makes `headers`, the final answer's head, the one that the reader sees: at once, or, with
  // `due`, from then on unless the request fails first. False, with nothing published, when its
  // lengths cannot be trusted (see SettleLengths). Called with the lock held.
  bool PublishHeadLocked(HttpHeaders headers, std::optional<Clock::time_point> due = {});
  // The head that PublishHeadLocked made due counts as in now, whatever the time.
  void ConfirmHeadLocked();
  // Ends the request: a head not yet due is withdrawn when `error` is one. Takes the lock.
  void Finish(TransferError error, std::string detail = {});

 private:
  bool HeadInLocked() const;
};

// Starts a GET (or, with `headOnly`, a HEAD) of `url` on the platform's client library; raises
// a failure for an address that it cannot use.
std::shared_ptr<Transfer> StartTransfer(const std::u16string& url, bool headOnly,
                                        const InetSettings& settings);

}  // namespace larkspan
