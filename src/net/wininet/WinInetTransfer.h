#pragma once
// One request of the transfer control on WinINet: a worker thread sends it and reads the body
// into a bounded buffer; the user-interface thread reads the headers and takes the body from
// it. WinINet blocks the worker; closing the request's handle from another thread ends the
// blocking call, which is how a cancel reaches it.
#include <windows.h>
#include <wininet.h>

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
#include "net/Transfer.h"
#include "net/TransferError.h"
#include "net/wininet/WinInetSession.h"

namespace larkspan {

class WinInetTransfer final : public Transfer {
 public:
  // Starts the request at once on a worker thread, which holds the transfer until it is done.
  // `timeout` bounds connecting and every silence of the server; a body beyond `maxBody` bytes
  // ends the request as too large.
  static std::shared_ptr<WinInetTransfer> Start(HttpAddress address, bool headOnly,
                                                std::chrono::seconds timeout,
                                                std::uint64_t maxBody = kNoLimit) {
    auto transfer = std::make_shared<WinInetTransfer>(maxBody);
    transfer->StartWorker(transfer, std::move(address), headOnly, timeout);
    return transfer;
  }

  // The body is held at most this far ahead of the reader; reading pauses beyond it.
  static constexpr std::size_t kBufferBytes = 4u << 20;
  static constexpr std::uint64_t kNoLimit = UINT64_MAX;

  explicit WinInetTransfer(std::uint64_t maxBody) : maxBody_(maxBody) {}  // see Start
  WinInetTransfer(const WinInetTransfer&) = delete;
  WinInetTransfer& operator=(const WinInetTransfer&) = delete;

  // Ends the request at once, whatever it was doing, and closes its connection. Idempotent.
  void Cancel() override;
  // True until the final response's headers are in or the request has ended.
  bool StillExecuting() const override;
  // The first value of the header in the final response (name without case), or nothing.
  std::optional<std::string> Header(std::string_view name) const override;
  // Moves body bytes into `out` until it holds `size`, waiting at most `wait` for more.
  ReadResult ReadInto(std::vector<std::uint8_t>& out, std::size_t size,
                      std::chrono::milliseconds wait) override;
  // Why the request ended (kNone while it runs or after a complete body; kCancelled once
  // cancelled before it ended).
  TransferError Error() const override;
  std::string ErrorDetail() const override;

 private:
  void StartWorker(std::shared_ptr<WinInetTransfer> self, HttpAddress address, bool headOnly,
                   std::chrono::seconds timeout);
  void Run(const HttpAddress& address, bool headOnly, std::chrono::seconds timeout);
  // Sends the request on the worker and reads its head; false (with the request finished)
  // when it failed.
  bool Send(HINTERNET request);
  // Lets the reader see the head: StillExecuting turns false.
  void PublishHead();
  void ReadBody(HINTERNET request);
  bool WaitForRoom();  // false once cancelled
  HINTERNET TakeRequest();
  void Finish(TransferError error, std::string detail = {});
  void PullLocked(std::vector<std::uint8_t>& out, std::size_t size);

  const std::uint64_t maxBody_;
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  ByteRing ring_{kBufferBytes};
  HINTERNET request_ = nullptr;  // taken by whoever closes it: the worker, or a cancel
  bool paused_ = false;          // the worker waits for the reader to make room
  bool cancelled_ = false;
  bool headersDone_ = false;
  bool finished_ = false;
  bool workerDone_ = false;
  TransferError error_ = TransferError::kNone;
  std::string errorDetail_;
  HttpHeaders headers_;
  std::optional<std::uint64_t> length_;  // as the head announces it
};

}  // namespace larkspan
