#include "os/TargetFile.h"

#include <vector>

#include "base/Failure.h"
#include "base/Runtime.h"

namespace larkspan {
namespace {

std::vector<TargetFile*>& OpenFiles();

// Writes what every open target file holds back, as far as it can: the program-end hook.
void WriteOutOpenFiles() noexcept {
  for (TargetFile* file : OpenFiles()) {
    try {
      file->Flush();
    } catch (const Failure&) {
      // The program is ending; there is no one left to tell.
    }
  }
}

// The open target files, for the end of the program. All on the user-interface thread. The
// first file that opens adds their write-out to the program-end hooks.
std::vector<TargetFile*>& OpenFiles() {
  static std::vector<TargetFile*> files = [] {
    AtProgramEnd(&WriteOutOpenFiles);
    return std::vector<TargetFile*>{};
  }();
  return files;
}

}  // namespace

void TargetFile::Open(const std::filesystem::path& path) {
  Close();
  handle_ = OpenHandle(path);
  held_.reserve(kHeldBack);
  OpenFiles().push_back(this);
}

void TargetFile::Append(const std::uint8_t* data, std::size_t size) {
  if (handle_ == kClosed) throw Failure(kBadFileName, "no target file open");
  if (held_.size() + size > kHeldBack) Flush();
  if (size >= kHeldBack) {
    WriteAll(handle_, data, size);
  } else {
    held_.insert(held_.end(), data, data + size);
  }
}

void TargetFile::Flush() {
  if (handle_ == kClosed || held_.empty()) return;
  try {
    WriteAll(handle_, held_.data(), held_.size());
  } catch (const Failure&) {
    held_.clear();  // bytes that could not be written are not tried again
    throw;
  }
  held_.clear();
}

void TargetFile::Close() noexcept {
  if (handle_ == kClosed) return;
  try {
    Flush();
  } catch (const Failure&) {
    // What could be written is in the file; the download has already ended as stopped or
    // is about to.
  }
  held_.clear();
  CloseHandle(handle_);
  handle_ = kClosed;
  std::erase(OpenFiles(), this);
}

}  // namespace larkspan
