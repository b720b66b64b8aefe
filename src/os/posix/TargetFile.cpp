#include "os/TargetFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "base/Failure.h"

namespace larkspan {

namespace {

[[noreturn]] void CannotOpen(const std::filesystem::path& path, int error) {
  const int code = (error == ENOENT || error == ENOTDIR) ? kPathNotFound : kBadFileName;
  throw Failure(code, "cannot open " + path.string() + ": " + std::strerror(error));
}

}  // namespace

std::intptr_t TargetFile::OpenHandle(const std::filesystem::path& path) {
  // A symbolic link at the chosen path is what the user agreed to replace: the link goes and a
  // new file takes its place, and the file that it pointed to stays as it was. Anything else
  // that is not a plain file (a folder, a FIFO, a device) is refused before it is opened.
  struct stat info {};
  if (::lstat(path.c_str(), &info) == 0) {
    if (S_ISLNK(info.st_mode)) {
      if (::unlink(path.c_str()) != 0 && errno != ENOENT) CannotOpen(path, errno);
    } else if (!S_ISREG(info.st_mode)) {
      CannotOpen(path, S_ISDIR(info.st_mode) ? EISDIR : EINVAL);
    }
  }
  // Mode 0666 less the user's umask, as any program creates a plain file; close-on-exec so
  // that a program started through the shell does not inherit it. Should something put a link
  // or a FIFO there in the meantime, the open neither follows the one nor waits for a reader
  // of the other, and what it opened is looked at again.
  int fd;
  do {
    fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK,
                0666);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) CannotOpen(path, errno);
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    CannotOpen(path, EINVAL);
  }
  return fd;
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

void TargetFile::CloseHandle(std::intptr_t handle) noexcept {
  // A failing close still releases the descriptor; the data is already written.
  ::close(static_cast<int>(handle));
}

}  // namespace larkspan
