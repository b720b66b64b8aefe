#pragma once
#include <string>
#include <string_view>

namespace larkspan {

// Why a transfer failed, in the program's terms, whatever client library stands behind it.
enum class TransferError {
  kNone,
  kBadAddress,
  kUnresolved,
  kRefused,
  kTimedOut,
  kBroken,  // the connection broke, the body ended early, or the head cannot be trusted
  kTooLarge,
  kTooManyRedirects,
  kRedirectRefused,  // to a scheme other than http or https, or from https to http
  kSecurity,         // certificate or TLS handshake
  kCancelled,
  kNoRequest,
  kOther,
};

std::string DescribeTransferError(TransferError error);
// Throws Failure(kTransferFailed) with a message naming the error (and the detail, if any).
[[noreturn]] void RaiseTransferFailure(TransferError error, std::string_view detail = {});

}  // namespace larkspan
