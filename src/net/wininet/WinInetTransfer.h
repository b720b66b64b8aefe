#pragma once
// One request of the transfer control on WinINet: a worker thread sends it and pushes what it
// reads into the transfer, from which the user-interface thread reads. WinINet blocks the
// worker; closing the request's handle from another thread ends the blocking call, which is
// how a cancel reaches it.
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

#include "net/HttpHeaders.h"
#include "net/Redirect.h"
#include "net/Transfer.h"
#include "net/TransferError.h"
#include "net/wininet/WinInetSession.h"

namespace larkspan {

class WinInetTransfer final : public Transfer {
 public:
  // Starts the request at once on a worker thread, which holds the transfer until it is done.
  // `timeout` bounds connecting and every silence of the server.
  static std::shared_ptr<WinInetTransfer> Start(HttpAddress address, bool headOnly,
                                                std::chrono::seconds timeout) {
    auto transfer = std::make_shared<WinInetTransfer>();
    transfer->StartWorker(transfer, std::move(address), headOnly, timeout);
    return transfer;
  }

  WinInetTransfer() = default;  // see Start
  WinInetTransfer(const WinInetTransfer&) = delete;
  WinInetTransfer& operator=(const WinInetTransfer&) = delete;

  void Cancel() override;

 private:
  void StartWorker(std::shared_ptr<WinInetTransfer> self, HttpAddress address, bool headOnly,
                   std::chrono::seconds timeout);
  void Run(HttpAddress address, bool headOnly, std::chrono::seconds timeout);
  // One request of the chain that redirects make: sends it, and either ends the transfer with
  // it or returns true for a redirect to follow (to the chain's address).
  bool Request(HINTERNET connection, const HttpAddress& address, RedirectChain& chain,
               bool headOnly, const InternetTimeouts& timeouts);
  // What the answer to the request leads to; the same as Request's result.
  bool Answer(HINTERNET request, RedirectChain& chain, bool headOnly);
  void ReadBody(HINTERNET request);
  HINTERNET TakeRequest();

  HINTERNET request_ = nullptr;  // taken by whoever closes it: the worker, or a cancel
  bool workerDone_ = false;
  std::optional<std::uint64_t> length_;  // as the head announces it
};

}  // namespace larkspan
