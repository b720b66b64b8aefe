#pragma once
// One asynchronous request of the transfer control: a worker thread drives libcurl and fills
// a bounded buffer; the user-interface thread reads the headers and takes the body from it.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "net/ByteRing.h"
#include "net/HttpHeaders.h"
#include "net/Redirect.h"
#include "net/Transfer.h"
#include "net/curl/CurlSession.h"

namespace larkspan {

class CurlTransfer final : public TransferCore {
 public:
  // The reader takes up to this much from the buffer under one lock and serves its requests
  // from it.
  static constexpr std::size_t kBatchBytes = 64u << 10;

  // Starts the request at once on a worker thread. `idleTimeout` ends it when nothing arrives
  // for that long (time spent paused because the reader lags does not count).
  CurlTransfer(std::string url, bool headOnly, std::chrono::seconds idleTimeout);
  ~CurlTransfer() override;  // cancels
  CurlTransfer(const CurlTransfer&) = delete;
  CurlTransfer& operator=(const CurlTransfer&) = delete;

  // Ends the request, closes its connection and joins the worker. Idempotent.
  void Cancel() override;
  ReadResult ReadInto(std::vector<std::uint8_t>& out, std::size_t size,
                      std::chrono::milliseconds wait) override;

 private:
  static std::size_t OnHeader(char* data, std::size_t size, std::size_t count, void* self);
  static std::size_t OnBody(char* data, std::size_t size, std::size_t count, void* self);
  void Run(bool headOnly);
  // Runs one request of the chain; true when it ended in a redirect to follow, else it has
  // finished the transfer.
  bool Drive(CurlMulti& multi, CurlEasy& easy, const char* errorText);
  bool HeaderLine(std::string_view line);  // false refuses the response
  std::size_t Body(const char* data, std::size_t size);
  void Finish(TransferError error, std::string detail = {});
  void Abort(TransferError reason);  // from a callback, with the lock held
  void PullLocked(std::vector<std::uint8_t>& out, std::size_t size) override;
  void TakeFromBatch(std::vector<std::uint8_t>& out, std::size_t size);

  const std::chrono::seconds idleTimeout_;
  CURLM* wakeTarget_ = nullptr;  // the worker's multi handle while it may be woken
  bool paused_ = false;
  bool resumeWanted_ = false;
  TransferError abortReason_ = TransferError::kNone;       // why a callback stopped the transfer
  HttpHeadReader head_;                                    // the answer being received
  RedirectChain chain_;                                    // the worker's
  RedirectChain::Hop hop_ = RedirectChain::Hop::kRefused;  // what the last head led to
  Clock::time_point lastActivity_;
  std::thread worker_;
  // The reader's batch: taken from the ring in one go, handed out in the reader's sizes without
  // the lock. Touched by the reader only; a cancel stops it too.
  std::vector<std::uint8_t> batch_;
  std::size_t batchTaken_ = 0;
  std::atomic<bool> cancelRequested_{false};
};

}  // namespace larkspan
