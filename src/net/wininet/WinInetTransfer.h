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

class WinInetTransfer final : public TransferCore {
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

  static constexpr std::uint64_t kNoLimit = UINT64_MAX;

  explicit WinInetTransfer(std::uint64_t maxBody) : maxBody_(maxBody) {}  // see Start
  WinInetTransfer(const WinInetTransfer&) = delete;
  WinInetTransfer& operator=(const WinInetTransfer&) = delete;

  void Cancel() override;

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
  void PullLocked(std::vector<std::uint8_t>& out, std::size_t size) override;

  const std::uint64_t maxBody_;
  HINTERNET request_ = nullptr;  // taken by whoever closes it: the worker, or a cancel
  bool paused_ = false;          // the worker waits for the reader to make room
  bool workerDone_ = false;
  std::optional<std::uint64_t> length_;  // as the head announces it
};

}  // namespace larkspan
