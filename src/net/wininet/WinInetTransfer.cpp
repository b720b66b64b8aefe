#include "net/wininet/WinInetTransfer.h"

#include <algorithm>
#include <charconv>
#include <thread>
#include <utility>

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

void WinInetTransfer::Run(const HttpAddress& address, bool headOnly, std::chrono::seconds timeout) {
  const auto ms = static_cast<DWORD>(std::chrono::milliseconds(timeout).count());
  const InternetTimeouts timeouts{ms, ms};
  InternetHandle session = OpenSession(timeouts);
  InternetHandle connection = session ? ConnectTo(session.get(), address) : InternetHandle();
  InternetHandle request = connection ? OpenRequest(connection.get(), address,
                                                    headOnly ? L"HEAD" : L"GET", timeouts, true)
                                      : InternetHandle();
  if (!request) {
    const DWORD error = GetLastError();
    return Finish(ClassifyWinInet(error), DescribeWinInet(error));
  }
  HINTERNET handle = request.get();
  {
    std::lock_guard lock(mutex_);
    if (cancelled_) return Finish(TransferError::kCancelled);
    request_ = request.release();  // from now on a cancel may close it
  }
  if (Send(handle)) {
    if (headOnly) {
      PublishHead();
      Finish(TransferError::kNone);
    } else {
      ReadBody(handle);
    }
  }
  // Children go before their parents; a request that a cancel took is closed already.
  if (HINTERNET own = TakeRequest()) InternetCloseHandle(own);
}

bool WinInetTransfer::Send(HINTERNET request) {
  if (!SendRequest(request)) {
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
  const std::optional<std::uint64_t> length = AnnouncedLength(head.Headers());
  if (length && *length > maxBody_) {
    Finish(TransferError::kTooLarge);
    return false;
  }
  {
    std::lock_guard lock(mutex_);
    headers_ = head.Headers();
    length_ = length;
  }
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
    if (received > maxBody_) return Finish(TransferError::kTooLarge);
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
