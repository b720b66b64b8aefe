#include "net/wininet/WinInetTransfer.h"

#include <algorithm>
#include <charconv>
#include <thread>
#include <utility>

#include "net/Inet.h"
#include "os/CodePage.h"

namespace larkspan {
namespace {

// Read from WinINet in blocks of at most this size; the buffer must have room for one first.
constexpr std::size_t kReadBlock = 64u << 10;
// A read returns only once it has all it asked for. While the server trickles, only what has
// arrived is asked for, so that every byte reaches the reader at once. When this much is
// waiting, WinINet's own buffer is full and the body is streaming: a whole block then costs
// one call instead of eight.
constexpr DWORD kStreamingHint = 8u << 10;
// How long a cancel waits for the worker to leave WinINet.
constexpr std::chrono::milliseconds kWorkerGrace{200};

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

void WinInetTransfer::PullLocked(std::vector<std::uint8_t>& out, std::size_t size) {
  if (cancelled_) return;
  ring_.ReadAppend(out, size - out.size());
  // Wake a waiting worker only once half the buffer is free, so that it is not paused and
  // woken again for every chunk taken.
  if (paused_ && ring_.Free() >= ring_.Capacity() / 2) {
    paused_ = false;
    changed_.notify_all();
  }
}

void WinInetTransfer::Run(HttpAddress address, bool headOnly, std::chrono::seconds timeout) {
  const auto ms = static_cast<DWORD>(std::chrono::milliseconds(timeout).count());
  const InternetTimeouts timeouts{ms, ms};
  InternetHandle session = OpenSession(timeouts);
  // WinINet follows redirects by rules of its own, which Wine does not share: the transfer
  // follows them itself, by the control's rules.
  for (int redirects = 0;; ++redirects) {
    InternetHandle connection = session ? ConnectTo(session.get(), address) : InternetHandle();
    if (!connection) {
      const DWORD error = GetLastError();
      return Finish(ClassifyWinInet(error), DescribeWinInet(error));
    }
    std::optional<HttpAddress> next = Request(connection.get(), address, headOnly, timeouts);
    if (!next) return;
    if (redirects == kMaxRedirects) return Finish(TransferError::kTooManyRedirects);
    address = std::move(*next);
  }
}

std::optional<HttpAddress> WinInetTransfer::Request(HINTERNET connection,
                                                    const HttpAddress& address, bool headOnly,
                                                    const InternetTimeouts& timeouts) {
  InternetHandle request = OpenRequest(connection, address, headOnly ? L"HEAD" : L"GET", timeouts);
  if (!request) {
    const DWORD error = GetLastError();
    Finish(ClassifyWinInet(error), DescribeWinInet(error));
    return std::nullopt;
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
    return std::nullopt;
  }
  const std::optional<HttpAddress> next = Answer(handle, address, headOnly);
  // Children go before their parents; a request that a cancel took is closed already.
  if (HINTERNET own = TakeRequest()) InternetCloseHandle(own);
  return next;
}

std::optional<HttpAddress> WinInetTransfer::Answer(HINTERNET request, const HttpAddress& address,
                                                   bool headOnly) {
  std::optional<std::string> location;
  if (!Send(request, location)) return std::nullopt;
  if (!location) {
    if (headOnly) {
      PublishHead();
      Finish(TransferError::kNone);
    } else {
      ReadBody(request);
    }
    return std::nullopt;
  }
  std::optional<HttpAddress> next;
  if (!RedirectAllowed(address.secure ? "https" : "http", *location)) {
    Finish(TransferError::kRedirectRefused, *location);
  } else if (!(next = RedirectAddress(address, ToWide(*location)))) {
    Finish(TransferError::kBadAddress, *location);
  }
  return next;
}

bool WinInetTransfer::Send(HINTERNET request, std::optional<std::string>& location) {
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
  if (!LengthsUsable(head.Headers())) {
    Finish(TransferError::kBroken, "unusable Content-Length");
    return false;
  }
  if (IsFollowedRedirect(status, head.Headers())) {
    location = FindHeader(head.Headers(), "Location");
    return true;
  }
  std::lock_guard lock(mutex_);
  headers_ = head.Headers();
  length_ = AnnouncedLength(head.Headers());
  return true;
}

void WinInetTransfer::PublishHead() {
  {
    std::lock_guard lock(mutex_);
    headersDone_ = true;
  }
  changed_.notify_all();
}

void WinInetTransfer::ReadBody(HINTERNET request) {
  std::vector<std::uint8_t> block(kReadBlock);
  std::uint64_t received = 0;
  // WinINet takes a head that a broken connection cut short for a whole one: it drops the
  // unfinished line and reports the rest. The head counts as in only once the body has begun
  // or ended as announced, so that a connection that breaks before then fails the request
  // itself, as it does wherever the head's end is seen.
  bool published = false;
  while (WaitForRoom()) {
    DWORD available = 0;
    DWORD got = 0;
    if (!InternetQueryDataAvailable(request, &available, 0, 0) ||
        (available > 0 &&
         !InternetReadFile(request, block.data(),
                           available >= kStreamingHint ? static_cast<DWORD>(kReadBlock) : available,
                           &got))) {
      const DWORD error = GetLastError();
      return Finish(ClassifyWinInet(error), DescribeWinInet(error));
    }
    // WinINet ends a body quietly when the connection closes; the length tells a short one.
    if (got == 0) {
      const bool shortBody = length_ && received < *length_;
      if (!shortBody && !published) PublishHead();
      return Finish(shortBody ? TransferError::kBroken : TransferError::kNone,
                    shortBody ? "the body ended early" : "");
    }
    if (!published) {
      PublishHead();
      published = true;
    }
    received += got;
    {
      std::lock_guard lock(mutex_);
      ring_.Write(block.data(), got);
    }
    changed_.notify_all();
  }
  Finish(TransferError::kCancelled);
}

bool WinInetTransfer::WaitForRoom() {
  std::unique_lock lock(mutex_);
  if (ring_.Free() < kReadBlock) paused_ = true;
  changed_.wait(lock, [this] { return !paused_ || cancelled_; });
  return !cancelled_;
}

HINTERNET WinInetTransfer::TakeRequest() {
  std::lock_guard lock(mutex_);
  return std::exchange(request_, nullptr);
}

void WinInetTransfer::Finish(TransferError error, std::string detail) {
  {
    std::lock_guard lock(mutex_);
    finished_ = true;
    error_ = error;
    errorDetail_ = std::move(detail);
  }
  changed_.notify_all();
}

}  // namespace larkspan
