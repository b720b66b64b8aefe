#include "net/wininet/WinInetTransfer.h"

#include <algorithm>
#include <charconv>
#include <thread>
#include <utility>

#include "net/Inet.h"
#include "net/Redirect.h"
#include "os/CodePage.h"

namespace larkspan {
namespace {

// Read from WinINet in blocks of at most this size; the transfer must have room for one first.
constexpr std::size_t kReadBlock = 64u << 10;
// How long a cancel waits for the worker to leave WinINet.
constexpr std::chrono::milliseconds kWorkerGrace{200};
// Wine's WinINet takes a head that a broken connection cut short for a whole one: it drops the
// unfinished line and reports the rest, and the body then ends at once. The head counts as in
// when the body begins or ends as announced, or once this long has passed without a break, so
// that a head cut short fails the request itself, as it does wherever the head's end is seen,
// and a server that pauses after a whole head still shows it almost at once.
constexpr std::chrono::milliseconds kCutHeadWait{200};

// The body's length when the head names one that fits 64 bits (its form is checked already).
std::optional<std::uint64_t> AnnouncedLength(const HttpHeaders& headers) {
  const std::optional<std::string> text = FindHeader(headers, "Content-Length");
  std::uint64_t length = 0;
  if (!text ||
      std::from_chars(text->data(), text->data() + text->size(), length).ec != std::errc()) {
    return std::nullopt;
  }
  return length;
}

}  // namespace

std::shared_ptr<Transfer> StartTransfer(const std::u16string& url, bool headOnly,
                                        const InetSettings& settings) {
  // Like the control, accept "host/path" as an http address.
  std::optional<HttpAddress> address = ParseHttpAddress(url, true, settings.remotePort);
  if (!address) RaiseTransferFailure(TransferError::kBadAddress, ToUtf8(url));
  return WinInetTransfer::Start(std::move(*address), headOnly,
                                std::chrono::seconds(settings.requestTimeoutSeconds));
}

void WinInetTransfer::StartWorker(std::shared_ptr<WinInetTransfer> self, HttpAddress address,
                                  bool headOnly, std::chrono::seconds timeout) {
  std::thread([self = std::move(self), address = std::move(address), headOnly, timeout] {
    self->Run(address, headOnly, timeout);
    {
      std::lock_guard lock(self->mutex_);
      self->workerDone_ = true;
    }
    self->changed_.notify_all();
  }).detach();
}

void WinInetTransfer::Cancel() {
  HINTERNET request;
  {
    std::lock_guard lock(mutex_);
    cancelled_ = true;
    request = std::exchange(request_, nullptr);
  }
  changed_.notify_all();
  if (request != nullptr) InternetCloseHandle(request);
  // On Windows the close ends the worker's blocking call at once. Wine ends it only when data
  // arrives or the time-out passes, so a Stop would wait for the silent server it stops: give
  // the worker a moment, and leave it to finish on its own after that (it holds the transfer).
  std::unique_lock lock(mutex_);
  changed_.wait_for(lock, kWorkerGrace, [this] { return workerDone_; });
}

void WinInetTransfer::Run(HttpAddress address, bool headOnly, std::chrono::seconds timeout) {
  const auto ms = static_cast<DWORD>(std::chrono::milliseconds(timeout).count());
  const InternetTimeouts timeouts{ms, ms};
  InternetHandle session = OpenSession(timeouts);
  // One request for each hop of the redirect chain, until one answer is final.
  for (RedirectChain chain(AddressText(address));;) {
    InternetHandle connection = session ? ConnectTo(session.get(), address) : InternetHandle();
    if (!connection) {
      const DWORD error = GetLastError();
      return Finish(ClassifyWinInet(error), DescribeWinInet(error));
    }
    if (!Request(connection.get(), address, chain, headOnly, timeouts)) return;
    std::optional<HttpAddress> next = ParseHttpAddress(ToWide(chain.Address()), false);
    if (!next) return Finish(TransferError::kBadAddress, chain.Address());
    address = std::move(*next);
  }
}

bool WinInetTransfer::Request(HINTERNET connection, const HttpAddress& address,
                              RedirectChain& chain, bool headOnly,
                              const InternetTimeouts& timeouts) {
  InternetHandle request = OpenRequest(connection, address, headOnly ? L"HEAD" : L"GET", timeouts);
  if (!request) {
    const DWORD error = GetLastError();
    Finish(ClassifyWinInet(error), DescribeWinInet(error));
    return false;
  }
  HINTERNET handle = request.get();
  bool cancelled;
  {
    std::lock_guard lock(mutex_);
    cancelled = cancelled_;
    if (!cancelled) request_ = request.release();  // from now on a cancel may close it
  }
  if (cancelled) {
    Finish(TransferError::kCancelled);
    return false;
  }
  const bool follow = Answer(handle, chain, headOnly);
  // Children go before their parents; a request that a cancel took is closed already.
  if (HINTERNET own = TakeRequest()) InternetCloseHandle(own);
  return follow;
}

bool WinInetTransfer::Answer(HINTERNET request, RedirectChain& chain, bool headOnly) {
  const DWORD status = SendRequest(request);
  if (status == 0) {
    const DWORD error = GetLastError();
    Finish(ClassifyWinInet(error), DescribeWinInet(error));
    return false;
  }
  HttpHeadReader head;
  const std::string text = ResponseHead(request);
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t end = std::min(text.find('\n', at), text.size());
    head.Feed(std::string_view(text).substr(at, end - at));
    at = end + 1;
  }
  switch (chain.Judge(static_cast<int>(status), head.Headers())) {
    case RedirectChain::Hop::kFollow:
      return true;
    case RedirectChain::Hop::kRefused:
      Finish(chain.Refusal());
      return false;
    case RedirectChain::Hop::kFinal:
      break;
  }
  bool usable;
  {
    std::lock_guard lock(mutex_);
    const auto due = headOnly ? std::nullopt : std::optional(Clock::now() + kCutHeadWait);
    usable = PublishHeadLocked(head.Headers(), due);
    if (usable) length_ = AnnouncedLength(headers_);
  }
  if (!usable) {
    Finish(TransferError::kBroken, "unusable Content-Length");
  } else if (headOnly) {
    Finish(TransferError::kNone);
  } else {
    ReadBody(request);
  }
  return false;
}

void WinInetTransfer::ReadBody(HINTERNET request) {
  std::vector<std::uint8_t> block(kReadBlock);
  std::uint64_t received = 0;
  while (WaitForRoom(kReadBlock)) {
    // Beyond the announced length nothing is read: Wine's WinINet reads a body whose length it
    // cannot parse up to the close.
    if (length_ && received == *length_) return Finish(TransferError::kNone);
    // A read returns only once it has all that it asked for: only what has arrived is asked
    // for, so that every byte reaches the reader at once.
    DWORD available = 0;
    DWORD got = 0;
    const bool queried = InternetQueryDataAvailable(request, &available, 0, 0);
    std::uint64_t ask = std::min<std::uint64_t>(available, kReadBlock);
    if (length_) ask = std::min(ask, *length_ - received);
    if (!queried ||
        (ask > 0 && !InternetReadFile(request, block.data(), static_cast<DWORD>(ask), &got))) {
      const DWORD error = GetLastError();
      return Finish(ClassifyWinInet(error), DescribeWinInet(error));
    }
    // WinINet ends a body quietly when the connection closes; the length tells a short one.
    if (got == 0) {
      const bool shortBody = length_ && received < *length_;
      return Finish(shortBody ? TransferError::kBroken : TransferError::kNone,
                    shortBody ? "the body ended early" : "");
    }
    received += got;
    std::lock_guard lock(mutex_);
    ConfirmHeadLocked();
    PushLocked(block.data(), got);  // there is room: WaitForRoom saw to it
  }
  Finish(TransferError::kCancelled);
}

HINTERNET WinInetTransfer::TakeRequest() {
  std::lock_guard lock(mutex_);
  return std::exchange(request_, nullptr);
}

}  // namespace larkspan
