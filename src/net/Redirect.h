#pragma once
// The one redirect rule of the transfer control and of the Linux probe, on every platform: an
// answer with status 301, 302, 303, 307 or 308 and a Location that is not empty leads on to
// that Location, resolved against the address that it answers; every other answer, whatever
// its status, is the final one, and its own head and body are what the caller gets. At most
// kMaxRedirects are followed in a row, each to http or https, and never from https to http, so
// that an https address is never read over plain http. A redirect that breaks a rule ends the
// request like no answer. Each back end follows a redirect by a new request of its own; no
// client library follows one by itself.
#include <string>
#include <string_view>

#include "net/HttpHeaders.h"
#include "net/TransferError.h"

namespace larkspan {

inline constexpr int kMaxRedirects = 10;

// The addresses that one request goes through.
class RedirectChain {
 public:
  // `address`: the absolute http or https address of the first request.
  explicit RedirectChain(std::string address) : address_(std::move(address)) {}

  enum class Hop { kFinal, kFollow, kRefused };
  // What the answer with `status` and `headers` to Address() leads to. On kFollow, Address() is
  // the redirect's target; on kRefused, Refusal() tells why.
  Hop Judge(int status, const HttpHeaders& headers);
  const std::string& Address() const { return address_; }
  TransferError Refusal() const { return refusal_; }

 private:
  std::string address_;
  int followed_ = 0;
  TransferError refusal_ = TransferError::kNone;
};

// `reference`, an absolute address or one relative to the absolute address `base`, as an
// absolute address; the fragment is dropped.
std::string ResolveAddress(std::string_view base, std::string_view reference);

}  // namespace larkspan
