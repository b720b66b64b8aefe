#pragma once
// One asynchronous request of the transfer control: a worker thread drives libcurl and
// pushes what it receives into the transfer, from which the user-interface thread reads.
#include <chrono>
#include <cstddef>
#include <string>
#include <string_view>
#include <thread>

#include "net/HttpHeaders.h"
#include "net/Redirect.h"
#include "net/Transfer.h"
#include "net/curl/CurlSession.h"

namespace larkspan {

class CurlTransfer final : public Transfer {
 public:
  // Starts the request at once on a worker thread. `idleTimeout` ends it when nothing arrives
  // for that long (time spent paused because the reader lags does not count).
  CurlTransfer(std::string url, bool headOnly, std::chrono::seconds idleTimeout);
  ~CurlTransfer() override;  // cancels
  CurlTransfer(const CurlTransfer&) = delete;
  CurlTransfer& operator=(const CurlTransfer&) = delete;

  // Ends the request, closes its connection and joins the worker. Idempotent.
  void Cancel() override;

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
  void RoomMadeLocked() override;    // resumes the paused connection

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
};

}  // namespace larkspan
