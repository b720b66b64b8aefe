// Stands in for the installer in the end-to-end tests of the Windows build: when it runs, it
// leaves a file named after itself with ".ran" added that holds the folder it was started in
// (UTF-8), so that a test sees that Run File really started the saved file, and where.
#include <windows.h>

#include <string>

int main() {
  std::wstring path(MAX_PATH, L'\0');
  path.resize(GetModuleFileNameW(nullptr, path.data(), MAX_PATH));
  std::wstring folder(MAX_PATH, L'\0');
  folder.resize(GetCurrentDirectoryW(MAX_PATH, folder.data()));
  std::string text(folder.size() * 3, '\0');
  text.resize(WideCharToMultiByte(CP_UTF8, 0, folder.data(), static_cast<int>(folder.size()),
                                  text.data(), static_cast<int>(text.size()), nullptr, nullptr));
  const HANDLE file = CreateFileW((path + L".ran").c_str(), GENERIC_WRITE, 0, nullptr,
                                  CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 1;
  DWORD written = 0;
  WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(file);
  return written == text.size() ? 0 : 1;
}
