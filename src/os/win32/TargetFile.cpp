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

}  // namespace

std::intptr_t TargetFile::OpenHandle(const std::filesystem::path& path) {
  // Others may read the file while it grows; the handle is not inherited by a program that
  // the shell starts.
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    const int code = error == ERROR_PATH_NOT_FOUND ? kPathNotFound : kBadFileName;
    throw Failure(code, "cannot open " + ToUtf8(path.u16string()) + ": " + SystemError(error));
  }
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

void TargetFile::CloseHandle(std::intptr_t handle) noexcept {
  ::CloseHandle(AsHandle(handle));  // what was written stays, whatever the close reports
}

}  // namespace larkspan
