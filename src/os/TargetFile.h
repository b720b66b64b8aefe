#pragma once
#include <cstddef>
#include <cstdint>
#include <filesystem>

namespace larkspan {

// The file a download is written to: a new file, held by that download alone while it is open.
// Each append goes to the file at once, so the file holds every byte that the window counted
// before it, even when the program ends in the middle of a download; Flush then puts the whole
// on the disk before the window may say the download is complete.
class TargetFile {
 public:
  TargetFile() = default;
  ~TargetFile() { Close(); }
  TargetFile(const TargetFile&) = delete;
  TargetFile& operator=(const TargetFile&) = delete;

  // Creates a new file at the path, for this download alone; writing starts at its first
  // byte. An entry that is there already (the user agreed to replace it) goes first and is
  // never written into: a plain file keeps its other names (hard links), its owner and its
  // mode, and the file that a symbolic link points to stays as it was. Throws Failure and
  // leaves the entry as it is when another download holds that file, when the folder forbids
  // removing it, when the path names a folder, a FIFO or a device, or when something else takes
  // the name before the new file does.
  void Open(const std::filesystem::path& path);
  // Appends the bytes at the end of what was written so far. Throws Failure on a write error.
  void Append(const std::uint8_t* data, std::size_t size);
  // Flushes what was written to the disk. Throws Failure when the system cannot.
  void Flush();
  // Closes the file under the name `path` in its own folder, given in one step. What is there
  // goes as Open would make it go (never a folder, a FIFO, a device or a file that another
  // download holds); on Linux the file keeps its lock until the new entry is on the disk. Throws
  // Failure when it cannot, the file closed under its own name.
  void CloseAs(const std::filesystem::path& path);
  // Closes the file if it is open; what was written stays. Never throws: it is the end of the
  // stopped path too.
  void Close() noexcept;
  bool IsOpen() const { return handle_ != kClosed; }

 private:
  // The platform's handle of the open file: a descriptor or a Windows HANDLE.
  static constexpr std::intptr_t kClosed = -1;
  // The platform's part (os/posix, os/win32). All but CloseHandle throw Failure.
  static std::intptr_t OpenHandle(const std::filesystem::path& path);
  static void WriteAll(std::intptr_t handle, const std::uint8_t* data, std::size_t size);
  static void SyncHandle(std::intptr_t handle);
  static void CloseRenaming(std::intptr_t handle, const std::filesystem::path& from,
                            const std::filesystem::path& to);  // closes it whatever happens
  static void CloseHandle(std::intptr_t handle) noexcept;

  std::intptr_t handle_ = kClosed;
  std::filesystem::path path_;  // the name it was opened under
};

}  // namespace larkspan
