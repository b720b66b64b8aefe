#include "os/TargetFile.h"

#include <utility>

#include "base/Failure.h"

namespace larkspan {

void TargetFile::Open(const std::filesystem::path& path) {
  Close();
  handle_ = OpenHandle(path);
  path_ = path;
}

void TargetFile::Append(const std::uint8_t* data, std::size_t size) {
  if (handle_ == kClosed) throw Failure(kBadFileName, "no target file open");
  WriteAll(handle_, data, size);
}

void TargetFile::Flush() {
  if (handle_ != kClosed) SyncHandle(handle_);
}

void TargetFile::CloseAs(const std::filesystem::path& path) {
  if (handle_ == kClosed) throw Failure(kBadFileName, "no target file open");
  CloseRenaming(std::exchange(handle_, kClosed), path_, path);
}

void TargetFile::Close() noexcept {
  if (handle_ == kClosed) return;
  CloseHandle(handle_);
  handle_ = kClosed;
}

}  // namespace larkspan
