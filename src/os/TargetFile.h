#pragma once
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <vector>

namespace larkspan {

// The file a download is written to. Appends are held back in the process up to kHeldBack
// bytes and then written in one go: a download takes its body a kilobyte at a time, and one
// system call per kilobyte cost as much as all the rest of its work. What is held back is
// written by Flush, by Close, and by the end of the program (a program-end hook of the run-time
// seam), so whatever was counted as written is in the file even when the program ends at once
// in the middle of a download.
class TargetFile {
 public:
  static constexpr std::size_t kHeldBack = 16 * 1024;

  TargetFile() = default;
  ~TargetFile() { Close(); }
  TargetFile(const TargetFile&) = delete;
  TargetFile& operator=(const TargetFile&) = delete;

  // Creates the file, or empties it when it exists; writing starts at its first byte.
  // Throws Failure when it cannot be opened for writing. On Linux a symbolic link at the path
  // is replaced by a new file and never followed, and a target that is not a plain file (a
  // folder, a FIFO, a device) is refused at once.
  void Open(const std::filesystem::path& path);
  // Appends the bytes at the end of what was written so far. Throws Failure on a write error,
  // which may be that of bytes appended before and held back.
  void Append(const std::uint8_t* data, std::size_t size);
  // Writes what is held back. Throws Failure on a write error.
  void Flush();
  // Writes what is held back as far as it can and closes the file if it is open; what was
  // written stays. Never throws: it is the end of the stopped path too.
  void Close() noexcept;
  bool IsOpen() const { return handle_ != kClosed; }

 private:
  // The platform's handle of the open file: a descriptor or a Windows HANDLE.
  static constexpr std::intptr_t kClosed = -1;
  // The platform's part (os/posix, os/win32). WriteAll throws Failure on a write error.
  static std::intptr_t OpenHandle(const std::filesystem::path& path);
  static void WriteAll(std::intptr_t handle, const std::uint8_t* data, std::size_t size);
  static void CloseHandle(std::intptr_t handle) noexcept;

  std::intptr_t handle_ = kClosed;
  std::vector<std::uint8_t> held_;
};

}  // namespace larkspan
