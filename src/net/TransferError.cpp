#include "net/TransferError.h"

#include "base/Failure.h"

namespace larkspan {

std::string DescribeTransferError(TransferError error) {
  switch (error) {
    case TransferError::kNone:
      return "no error";
    case TransferError::kBadAddress:
      return "the address cannot be used";
    case TransferError::kUnresolved:
      return "the host name cannot be resolved";
    case TransferError::kRefused:
      return "the server cannot be reached";
    case TransferError::kTimedOut:
      return "the request timed out";
    case TransferError::kBroken:
      return "the connection broke or the response ended early";
    case TransferError::kTooLarge:
      return "the response is too large";
    case TransferError::kTooManyRedirects:
      return "too many redirections";
    case TransferError::kRedirectRefused:
      return "a redirection that is not followed";
    case TransferError::kSecurity:
      return "the secure connection failed";
    case TransferError::kCancelled:
      return "the request was cancelled";
    case TransferError::kNoRequest:
      return "no request is running";
    case TransferError::kOther:
      break;
  }
  return "the transfer failed";
}

void RaiseTransferFailure(TransferError error, std::string_view detail) {
  std::string message = DescribeTransferError(error);
  if (!detail.empty()) message.append(" (").append(detail).append(")");
  throw Failure(kTransferFailed, message);
}

}  // namespace larkspan
