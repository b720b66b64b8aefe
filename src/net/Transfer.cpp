#include "net/Transfer.h"

namespace larkspan {

bool TransferCore::StillExecuting() const {
  std::lock_guard lock(mutex_);
  return !headersDone_ && !finished_;
}

std::optional<std::string> TransferCore::Header(std::string_view name) const {
  std::lock_guard lock(mutex_);
  if (!headersDone_) return std::nullopt;
  return FindHeader(headers_, name);
}

TransferError TransferCore::Error() const {
  std::lock_guard lock(mutex_);
  return cancelled_ ? TransferError::kCancelled : error_;
}

std::string TransferCore::ErrorDetail() const {
  std::lock_guard lock(mutex_);
  return errorDetail_;
}

}  // namespace larkspan
