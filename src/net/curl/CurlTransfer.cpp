#include "net/curl/CurlTransfer.h"

#include <algorithm>
#include <exception>

#include "net/Inet.h"
#include "os/CodePage.h"

namespace larkspan {

std::shared_ptr<Transfer> StartTransfer(const std::u16string& url, bool headOnly,
                                        const InetSettings& settings) {
  // Like the control, accept "host/path" as an http address.
  std::optional<std::string> address = NormalizeAddress(ToNarrow(url), true, settings.remotePort);
  if (!address) RaiseTransferFailure(TransferError::kBadAddress, ToUtf8(url));
  return std::make_shared<CurlTransfer>(*address, headOnly,
                                        std::chrono::seconds(settings.requestTimeoutSeconds));
}

CurlTransfer::CurlTransfer(std::string url, bool headOnly, std::chrono::seconds idleTimeout)
    : idleTimeout_(idleTimeout), chain_(std::move(url)), lastActivity_(Clock::now()) {
  worker_ = std::thread([this, headOnly] { Run(headOnly); });
}

CurlTransfer::~CurlTransfer() {
  Cancel();
}

void CurlTransfer::Cancel() {
  {
    std::lock_guard lock(mutex_);
    cancelled_ = true;
    if (wakeTarget_ != nullptr) curl_multi_wakeup(wakeTarget_);
  }
  changed_.notify_all();
  if (worker_.joinable() && worker_.get_id() != std::this_thread::get_id()) worker_.join();
}

void CurlTransfer::RoomMadeLocked() {
  resumeWanted_ = true;
  if (wakeTarget_ != nullptr) curl_multi_wakeup(wakeTarget_);
}

void CurlTransfer::Run(bool headOnly) {
  try {
    CurlMulti multi;
    CurlEasy easy;
    char errorText[CURL_ERROR_SIZE] = "";
    ApplyCommonOptions(easy, static_cast<long>(idleTimeout_.count()));
    CURL* h = easy.get();
    curl_easy_setopt(h, CURLOPT_ERRORBUFFER, errorText);
    curl_easy_setopt(h, CURLOPT_HEADERFUNCTION, &CurlTransfer::OnHeader);
    curl_easy_setopt(h, CURLOPT_HEADERDATA, this);
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &CurlTransfer::OnBody);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, this);
    if (headOnly) curl_easy_setopt(h, CURLOPT_NOBODY, 1L);
    {
      std::lock_guard lock(mutex_);
      wakeTarget_ = multi.get();
    }
    // One request for each hop of the redirect chain, until one answer is final.
    for (;;) {
      if (!AimAt(easy, chain_.Address())) {
        return Finish(TransferError::kBadAddress, chain_.Address());
      }
      *errorText = '\0';
      {
        std::lock_guard lock(mutex_);
        hop_ = RedirectChain::Hop::kRefused;
      }
      const CurlAttachment attachment(multi, easy);
      if (!Drive(multi, easy, errorText)) return;
    }
  } catch (const std::exception& e) {
    Finish(TransferError::kOther, e.what());
  }
}

bool CurlTransfer::Drive(CurlMulti& multi, CurlEasy& easy, const char* errorText) {
  for (;;) {
    int running = 0;
    CURLMcode status = curl_multi_perform(multi.get(), &running);
    if (status != CURLM_OK) {
      Finish(TransferError::kOther, curl_multi_strerror(status));
      return false;
    }
    int queued = 0;
    while (CURLMsg* message = curl_multi_info_read(multi.get(), &queued)) {
      if (message->msg != CURLMSG_DONE) continue;
      CURLcode result = message->data.result;
      {
        std::lock_guard lock(mutex_);
        if (hop_ == RedirectChain::Hop::kFollow) return true;
      }
      std::string detail = *errorText != '\0' ? errorText : curl_easy_strerror(result);
      Finish(ClassifyCurl(result), result == CURLE_OK ? std::string() : detail);
      return false;
    }
    bool resume = false;
    bool idle = false;
    {
      std::lock_guard lock(mutex_);
      if (cancelled_) break;
      if (resumeWanted_) {
        resume = true;
        resumeWanted_ = paused_ = false;
        lastActivity_ = Clock::now();
      } else {
        idle = !paused_ && Clock::now() - lastActivity_ > idleTimeout_;
      }
    }
    if (idle) {
      Finish(TransferError::kTimedOut, "nothing arrived within the time-out");
      return false;
    }
    if (resume) {
      curl_easy_pause(easy.get(), CURLPAUSE_CONT);
      continue;
    }
    // Woken at once by new data on the socket, by a resume or by a cancel; the time-out only
    // bounds how late the idle check runs.
    curl_multi_poll(multi.get(), nullptr, 0, 100, nullptr);
  }
  Finish(TransferError::kCancelled);
  return false;
}

void CurlTransfer::Finish(TransferError error, std::string detail) {
  {
    std::lock_guard lock(mutex_);
    wakeTarget_ = nullptr;
    if (abortReason_ != TransferError::kNone) error = abortReason_;
  }
  Transfer::Finish(error, std::move(detail));
}

void CurlTransfer::Abort(TransferError reason) {
  if (abortReason_ == TransferError::kNone) abortReason_ = reason;
}

std::size_t CurlTransfer::OnHeader(char* data, std::size_t size, std::size_t count, void* self) {
  const bool usable =
      static_cast<CurlTransfer*>(self)->HeaderLine(std::string_view(data, size * count));
  return usable ? size * count : 0;
}

std::size_t CurlTransfer::OnBody(char* data, std::size_t size, std::size_t count, void* self) {
  return static_cast<CurlTransfer*>(self)->Body(data, size * count);
}

bool CurlTransfer::HeaderLine(std::string_view line) {
  std::lock_guard lock(mutex_);
  lastActivity_ = Clock::now();
  // After the final head only the trailers of a chunked body come here: not the head.
  if (headersDone_) return true;
  if (!head_.Feed(line) || head_.Interim()) return true;
  switch (hop_ = chain_.Judge(head_.Status(), head_.Headers())) {
    case RedirectChain::Hop::kFollow:
      return false;  // the next request of the chain goes on from here
    case RedirectChain::Hop::kRefused:
      Abort(chain_.Refusal());
      return false;
    case RedirectChain::Hop::kFinal:
      break;
  }
  if (PublishHeadLocked(head_.Headers())) return true;
  Abort(TransferError::kBroken);
  return false;
}

std::size_t CurlTransfer::Body(const char* data, std::size_t size) {
  std::lock_guard lock(mutex_);
  if (cancelled_) {
    Abort(TransferError::kCancelled);
    return 0;
  }
  if (size > kBufferBytes) {
    Abort(TransferError::kTooLarge);
    return 0;
  }
  if (!PushLocked(reinterpret_cast<const std::uint8_t*>(data), size)) {
    paused_ = true;  // libcurl keeps these bytes and hands them over again on resume
    return CURL_WRITEFUNC_PAUSE;
  }
  lastActivity_ = Clock::now();
  return size;
}

}  // namespace larkspan
