#include "os/Paths.h"

#include <windows.h>

#include <cstdint>

#include "os/win32/WideText.h"

namespace larkspan {

std::filesystem::path ProgramFolder() {
  // The module path may be longer than MAX_PATH; a full buffer means it was cut, so grow.
  std::wstring path(MAX_PATH, L'\0');
  DWORD length;
  while ((length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()))) ==
         path.size()) {
    path.resize(path.size() * 2);
  }
  path.resize(length);
  return std::filesystem::path(path).parent_path();
}

std::u16string UserDesktopFolder() {
  std::wstring profile(GetEnvironmentVariableW(L"USERPROFILE", nullptr, 0), L'\0');
  profile.resize(
      GetEnvironmentVariableW(L"USERPROFILE", profile.data(), static_cast<DWORD>(profile.size())));
  return FromWideChars(profile) + u"\\Desktop\\";
}

bool IsNormalFile(const std::filesystem::path& path) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) return false;
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES &&
         (attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) == 0;
}

bool CheckPathExist(const std::u16string& path) {
  return !path.empty() && GetFileAttributesW(WideChars(path)) != INVALID_FILE_ATTRIBUTES;
}

std::size_t FileNameMaxBytes() {
  return SIZE_MAX;
}

}  // namespace larkspan
