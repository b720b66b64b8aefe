#pragma once
#include <cstddef>
#include <cstdint>
#include <filesystem>

namespace larkspan {

// The file a download is written to. Every append goes straight to the kernel (no buffering
// in the process), so whatever has been counted as written is in the file even when the
// program ends at once in the middle of a download.
class TargetFile {
 public:
  TargetFile() = default;
  ~TargetFile() { Close(); }
  TargetFile(const TargetFile&) = delete;
  TargetFile& operator=(const TargetFile&) = delete;

  // Creates the file, or empties it when it exists; writing starts at its first byte.
  // Throws Failure when it cannot be opened for writing.
  void Open(const std::filesystem::path& path);
  // Appends the bytes at the end of what was written so far. Throws Failure on a write error.
  void Append(const std::uint8_t* data, std::size_t size);
  // Closes the file if it is open; what was written stays.
  void Close();
  bool IsOpen() const { return handle_ != kClosed; }

 private:
  // The platform's handle of the open file: a descriptor or a Windows HANDLE.
  static constexpr std::intptr_t kClosed = -1;
  std::intptr_t handle_ = kClosed;
};

}  // namespace larkspan
