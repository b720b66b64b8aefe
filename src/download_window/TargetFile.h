#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

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
  void Open(const std::u16string& path);
  // Appends the bytes at the end of what was written so far. Throws Failure on a write error.
  void Append(const std::uint8_t* data, std::size_t size);
  // Closes the file if it is open; what was written stays.
  void Close();
  bool IsOpen() const { return fd_ >= 0; }

 private:
  int fd_ = -1;
};

}  // namespace larkspan
