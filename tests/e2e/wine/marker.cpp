// Stands in for the installer in the end-to-end tests of the Windows build: when it runs, it
// leaves a file named after itself with ".ran" added, so that a test sees that Run File really
// started the saved file.
#include <windows.h>

#include <string>

int main() {
  std::wstring path(MAX_PATH, L'\0');
  path.resize(GetModuleFileNameW(nullptr, path.data(), MAX_PATH));
  const HANDLE file = CreateFileW((path + L".ran").c_str(), GENERIC_WRITE, 0, nullptr,
                                  CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 1;
  DWORD written = 0;
  WriteFile(file, "ran\n", 4, &written, nullptr);
  CloseHandle(file);
  return written == 4 ? 0 : 1;
}
