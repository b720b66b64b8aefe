#include "net/Inet.h"

#include <chrono>
#include <string_view>

#include "base/Failure.h"
#include "net/TransferError.h"
#include "net/wininet/WinInetTransfer.h"
#include "os/CodePage.h"
#include "text/AsciiText.h"
#include "ui/Ui.h"

namespace larkspan {
namespace {

HttpAddress UsableAddress(const std::u16string& url, const InetSettings& settings) {
  // Like the control, accept "host/path" as an http address.
  std::optional<HttpAddress> address = ParseHttpAddress(url, true, settings.remotePort);
  if (!address) RaiseTransferFailure(TransferError::kBadAddress, ToUtf8(url));
  return *address;
}

}  // namespace

std::shared_ptr<Transfer> StartTransfer(const std::u16string& url, bool headOnly,
                                        const InetSettings& settings) {
  return WinInetTransfer::Start(UsableAddress(url, settings), headOnly,
                                std::chrono::seconds(settings.requestTimeoutSeconds));
}

std::u16string Inet::OpenURL(const std::u16string& url) {
  // The same request as Execute's, waited for here without letting window events run.
  std::shared_ptr<WinInetTransfer> transfer =
      WinInetTransfer::Start(UsableAddress(url, settings_), false,
                             std::chrono::seconds(settings_.requestTimeoutSeconds), kOpenUrlLimit);
  std::vector<std::uint8_t> body;
  WinInetTransfer::ReadResult result;
  do {
    result = transfer->ReadInto(body, kOpenUrlLimit + 1, std::chrono::milliseconds(100));
  } while (result == WinInetTransfer::ReadResult::kPending);
  const TransferError error = transfer->Error();
  const std::string detail = transfer->ErrorDetail();
  transfer->Cancel();  // done with it: a body beyond the limit stops here
  if (result != WinInetTransfer::ReadResult::kEnded) RaiseTransferFailure(TransferError::kTooLarge);
  if (error != TransferError::kNone) RaiseTransferFailure(error, detail);
  return ToWide(std::string_view(reinterpret_cast<const char*>(body.data()), body.size()));
}

}  // namespace larkspan
