#include "os/TargetFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>
#include <utility>

#include "base/Failure.h"

namespace larkspan {

namespace {

[[noreturn]] void CannotOpen(const std::filesystem::path& path, int error) {
  const int code = (error == ENOENT || error == ENOTDIR) ? kPathNotFound : kBadFileName;
  throw Failure(code, "cannot open " + path.string() + ": " + std::strerror(error));
}

// A descriptor that closes itself.
class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  Descriptor(Descriptor&& other) noexcept : fd_(other.Release()) {}
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int Get() const { return fd_; }
  int Release() { return std::exchange(fd_, -1); }

 private:
  int fd_;
};

template <class Call>
int RetryOnSignal(Call call) {
  int result;
  do {
    result = call();
  } while (result < 0 && errno == EINTR);
  return result;
}

// Takes the lock that a download holds on its file as long as it writes it; false when
// another holds it. A file system that keeps no locks holds none, and each file there counts
// as free.
bool TakeLock(int fd) {
  return RetryOnSignal([fd] { return ::flock(fd, LOCK_EX | LOCK_NB); }) == 0 ||
         errno != EWOULDBLOCK;
}

// Looks at the entry that the user agreed to replace, if there is one, and returns it held. A
// plain file may go only when no other download holds it, and the lock taken to find that out
// stays with the returned descriptor until the entry has gone; one that this user cannot even
// read is no download's of theirs. A symbolic link may go, and the file it points to stays as it
// was. Anything else (a folder, a FIFO, a device) is refused.
Descriptor HoldReplaced(int folder, const char* name, const std::filesystem::path& path) {
  struct stat info {};
  if (::fstatat(folder, name, &info, AT_SYMLINK_NOFOLLOW) != 0) {
    if (errno == ENOENT) return Descriptor(-1);
    CannotOpen(path, errno);
  }
  if (!S_ISLNK(info.st_mode) && !S_ISREG(info.st_mode)) {
    CannotOpen(path, S_ISDIR(info.st_mode) ? EISDIR : EINVAL);
  }
  const auto look = [&] {
    return ::openat(folder, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  };
  Descriptor held(S_ISREG(info.st_mode) ? RetryOnSignal(look) : -1);
  if (S_ISREG(info.st_mode) && held.Get() < 0 && errno != EACCES) CannotOpen(path, errno);
  if (held.Get() >= 0 && !TakeLock(held.Get())) {
    throw Failure(kBadFileName, path.string() + " is being written by another download");
  }
  return held;
}

// The folder of `path`, open to name its entries, with this download's turn at changing them.
// Every step names the entry inside this one folder, wherever its path may lead meanwhile. A
// folder that this user may write in but not list is only named (O_PATH): downloads into it take
// no turns, and its entries are flushed as the file system does it.
Descriptor FolderTurn(const std::filesystem::path& path) {
  const std::filesystem::path parent = path.parent_path();
  const auto openFolder = [&](int how) {
    return RetryOnSignal([&] {
      return ::open(parent.empty() ? "." : parent.c_str(), how | O_DIRECTORY | O_CLOEXEC);
    });
  };
  int folderFd = openFolder(O_RDONLY);
  if (folderFd < 0 && errno == EACCES) folderFd = openFolder(O_PATH);
  Descriptor folder(folderFd);
  if (folder.Get() < 0) CannotOpen(path, errno);
  // Downloads into one folder take turns at removing and creating its entries, so that none
  // removes a file that another has just created and not yet locked. A turn lasts a moment and
  // ends when the folder is closed; one that some other program keeps longer is not waited for.
  for (int tries = 0; tries < 100 && !TakeLock(folder.Get()); ++tries) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return folder;
}

// The folder's changed entries on the disk; a file system that cannot flush a folder says so
// with EINVAL and keeps its entries with their files.
void SyncFolder(int folder, const std::filesystem::path& path) {
  if (::fsync(folder) != 0 && errno != EINVAL && errno != EBADF) CannotOpen(path, errno);
}

void CheckName(const std::filesystem::path& path) {
  const std::filesystem::path name = path.filename();
  if (name.empty() || name == "." || name == "..") CannotOpen(path, EISDIR);
}

}  // namespace

std::intptr_t TargetFile::OpenHandle(const std::filesystem::path& path) {
  CheckName(path);
  const std::filesystem::path name = path.filename();
  const Descriptor folder = FolderTurn(path);
  {
    const Descriptor replaced = HoldReplaced(folder.Get(), name.c_str(), path);
    if (::unlinkat(folder.Get(), name.c_str(), 0) != 0 && errno != ENOENT) CannotOpen(path, errno);
  }
  // A new file, made here and now: mode 0666 less the user's umask, as any program creates a
  // plain file; close-on-exec, so that a program started through the shell does not inherit it.
  Descriptor file(RetryOnSignal([&] {
    return ::openat(folder.Get(), name.c_str(),
                    O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
  }));
  if (file.Get() < 0) CannotOpen(path, errno);
  if (!TakeLock(file.Get())) CannotOpen(path, EWOULDBLOCK);
  SyncFolder(folder.Get(), path);  // the old entry's removal and the new one
  return file.Release();
}

void TargetFile::CloseRenaming(std::intptr_t handle, const std::filesystem::path& from,
                               const std::filesystem::path& to) {
  const Descriptor file(static_cast<int>(handle));  // and its lock, till the end of the call
  CheckName(to);
  if (from.parent_path() != to.parent_path()) CannotOpen(to, EXDEV);
  const Descriptor folder = FolderTurn(to);
  const Descriptor replaced = HoldReplaced(folder.Get(), to.filename().c_str(), to);
  if (::renameat(folder.Get(), from.filename().c_str(), folder.Get(), to.filename().c_str()) != 0) {
    CannotOpen(to, errno);
  }
  SyncFolder(folder.Get(), to);
}

void TargetFile::WriteAll(std::intptr_t handle, const std::uint8_t* data, std::size_t size) {
  // The loop only continues a write that the kernel took in part.
  while (size > 0) {
    const ssize_t written = ::write(static_cast<int>(handle), data, size);
    if (written < 0) {
      if (errno == EINTR) continue;
      throw Failure(kBadFileName,
                    std::string("cannot write the target file: ") + std::strerror(errno));
    }
    data += written;
    size -= static_cast<std::size_t>(written);
  }
}

void TargetFile::SyncHandle(std::intptr_t handle) {
  if (RetryOnSignal([handle] { return ::fsync(static_cast<int>(handle)); }) != 0) {
    throw Failure(kBadFileName,
                  std::string("cannot flush the target file to the disk: ") + std::strerror(errno));
  }
}

void TargetFile::CloseHandle(std::intptr_t handle) noexcept {
  // A failing close still releases the descriptor and the lock; the data is already written.
  ::close(static_cast<int>(handle));
}

}  // namespace larkspan
