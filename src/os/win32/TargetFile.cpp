#include "os/TargetFile.h"

#include <windows.h>

#include <algorithm>
#include <string>

#include "base/Failure.h"
#include "os/CodePage.h"

namespace larkspan {
namespace {

HANDLE AsHandle(std::intptr_t handle) {
  return reinterpret_cast<HANDLE>(handle);
}

std::string SystemError(DWORD error) {
  return "system error " + std::to_string(error);
}

[[noreturn]] void CannotOpen(const std::filesystem::path& path, DWORD error) {
  const int code = error == ERROR_PATH_NOT_FOUND ? kPathNotFound : kBadFileName;
  throw Failure(code, "cannot open " + ToUtf8(path.u16string()) + ": " + SystemError(error));
}

}  // namespace

std::intptr_t TargetFile::OpenHandle(const std::filesystem::path& path) {
  // What the user agreed to replace goes first, and only this name of it: a hard link's other
  // names keep their data, and a symbolic link goes without its target. A file that another
  // download holds cannot be deleted (its share mode lets no one), and stays as it is.
  if (!DeleteFileW(path.c_str())) {
    const DWORD error = GetLastError();
    if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND) CannotOpen(path, error);
  }
  // A new file, which fails when anything has taken the name meanwhile. While it is open, others
  // may read it but neither write nor delete it; the handle is not inherited by a program that
  // the shell starts.
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) CannotOpen(path, GetLastError());
  return reinterpret_cast<std::intptr_t>(file);
}

void TargetFile::WriteAll(std::intptr_t handle, const std::uint8_t* data, std::size_t size) {
  // The loop only continues a write that the system took in part.
  while (size > 0) {
    const DWORD ask = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
    DWORD written = 0;
    if (!WriteFile(AsHandle(handle), data, ask, &written, nullptr)) {
      throw Failure(kBadFileName, "cannot write the target file: " + SystemError(GetLastError()));
    }
    data += written;
    size -= written;
  }
}

void TargetFile::SyncHandle(std::intptr_t handle) {
  if (!FlushFileBuffers(AsHandle(handle))) {
    throw Failure(kBadFileName,
                  "cannot flush the target file to the disk: " + SystemError(GetLastError()));
  }
}

void TargetFile::CloseRenaming(std::intptr_t handle, const std::filesystem::path& from,
                               const std::filesystem::path& to) {
  // A handle that could rename the file would have to be opened with the right to delete it,
  // which keeps out every reader that does not share that right: the file is closed first.
  // An entry at the new name is replaced only when it could be deleted: a folder, or a file
  // that another download holds, is not.
  ::CloseHandle(AsHandle(handle));
  if (!MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    CannotOpen(to, GetLastError());
  }
}

void TargetFile::CloseHandle(std::intptr_t handle) noexcept {
  ::CloseHandle(AsHandle(handle));  // what was written stays, whatever the close reports
}

}  // namespace larkspan
