#include "os/TargetFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "base/Failure.h"

namespace larkspan {

std::intptr_t TargetFile::OpenHandle(const std::filesystem::path& path) {
  // Mode 0666 less the user's umask, as any program creates a plain file; close-on-exec so
  // that a program started through the shell does not inherit it.
  int fd;
  do {
    fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) {
    const int error = errno;
    const int code = (error == ENOENT || error == ENOTDIR) ? kPathNotFound : kBadFileName;
    throw Failure(code, "cannot open " + path.string() + ": " + std::strerror(error));
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
