#pragma once
// The internet transfer control that the windows hold (Inet1 on the update window, DownInet on
// the download window): a blocking fetch of a whole text, and a request whose body is taken in
// chunks while the window stays responsive.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace larkspan {

class Transfer;

// The control's design-time settings.
struct InetSettings {
  int remotePort = 80;  // for http addresses that name no port
  // Connecting, and any silence of the server once connected; the whole-text fetch, however
  // the server trickles, in all.
  int requestTimeoutSeconds = 60;
};

class Inet {
 public:
  explicit Inet(InetSettings settings = {});
  ~Inet();  // cancels whatever runs
  Inet(const Inet&) = delete;
  Inet& operator=(const Inet&) = delete;

  // Blocks (no window events run) until the whole body has arrived and returns it as text:
  // the same request as Execute's, with its redirect rules. Any failure raises
  // Failure(kTransferFailed): among them a body beyond kOpenUrlLimit, a response whose
  // Content-Length is not a plain number or disagrees with itself, and a body that is not
  // complete within the time-out of the settings.
  std::u16string OpenURL(const std::u16string& url);
  // Starts the request and returns at once; an address that cannot be used raises.
  // The operation is "GET" (or "HEAD"); a running request is cancelled first.
  void Execute(const std::u16string& url, const std::u16string& operation);
  // True until the final response's headers have arrived or the request has ended. Waits up to
  // `wait` for that first (no window events run meanwhile), so that a caller that polls it
  // between passes of the event pump does not spin.
  bool StillExecuting(std::chrono::milliseconds wait = {});
  // The header's value as the server sent it; empty without a usable response or header.
  std::u16string GetHeader(const std::u16string& name);
  // Fills `chunk`, the caller's buffer, with exactly the next `size` bytes of the body. Lets
  // window events run while it waits; raises when the body ends or breaks first, nothing
  // arrives within the time-out, or the request is cancelled (also by a handler that runs while
  // it waits). A buffer kept from chunk to chunk is not allocated again.
  void GetChunk(std::vector<std::uint8_t>& chunk, std::int32_t size);
  // Ends the current request at once, in any state.
  void Cancel();
  // Asked after every pass of the event pump while GetChunk waits: once it answers true, the
  // request is cancelled and GetChunk raises, so that a Stop given while the server is silent
  // takes effect at once instead of after the time-out.
  void SetStopCheck(std::function<bool()> stopRequested) {
    stopRequested_ = std::move(stopRequested);
  }

  static constexpr std::size_t kOpenUrlLimit = 16u << 20;

 private:
  InetSettings settings_;
  std::function<bool()> stopRequested_;
  std::shared_ptr<Transfer> transfer_;  // the current request, in the platform's library
};

}  // namespace larkspan
