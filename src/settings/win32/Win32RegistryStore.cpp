#include "settings/win32/Win32RegistryStore.h"

#include <windows.h>

#include <cstring>
#include <memory>
#include <vector>

#include "os/CodePage.h"

namespace larkspan {
namespace {

// The store numbers the roots 0x80000000 to 0x80000006, as 32-bit Windows does; a 64-bit HKEY
// holds the same numbers sign-extended.
bool IsRoot(std::uintptr_t value) {
  return value >= kHkeyClassesRoot && value <= kHkeyDynData;
}

HKEY ToHkey(RegHandle handle) {
  if (IsRoot(handle)) {
    return reinterpret_cast<HKEY>(static_cast<std::intptr_t>(static_cast<std::int32_t>(handle)));
  }
  return reinterpret_cast<HKEY>(handle);
}

RegHandle FromHkey(HKEY key) {
  const auto value = static_cast<std::uintptr_t>(reinterpret_cast<std::intptr_t>(key));
  const RegHandle low = static_cast<std::uint32_t>(value);
  return IsRoot(low) && ToHkey(low) == key ? low : value;
}

std::wstring Wide(const std::string& narrow) {
  const std::u16string wide = ToWide(narrow);
  return std::wstring(wide.begin(), wide.end());
}

std::string Narrow(const wchar_t* wide, std::size_t length) {
  return ToNarrow(std::u16string_view(reinterpret_cast<const char16_t*>(wide), length));
}

bool IsText(DWORD type) {
  return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

// Text data as the narrow calls hand it over: code-page bytes, their terminating zeros kept.
std::string NarrowData(DWORD type, const std::vector<BYTE>& bytes) {
  if (!IsText(type)) return std::string(bytes.begin(), bytes.end());
  return Narrow(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t));
}

// The value's type and raw data, read whole however large it is.
LSTATUS ReadValue(HKEY key, const std::wstring& name, DWORD& type, std::vector<BYTE>& bytes) {
  for (;;) {
    DWORD size = static_cast<DWORD>(bytes.size());
    LSTATUS result = RegQueryValueExW(key, name.c_str(), nullptr, &type,
                                      bytes.empty() ? nullptr : bytes.data(), &size);
    if (result == ERROR_MORE_DATA || (result == ERROR_SUCCESS && bytes.size() < size)) {
      bytes.resize(size);
      continue;
    }
    bytes.resize(result == ERROR_SUCCESS ? size : 0);
    return result;
  }
}

}  // namespace

std::unique_ptr<RegistryStore> OpenUserRegistry() {
  return std::make_unique<Win32RegistryStore>();
}

std::int32_t Win32RegistryStore::OpenKey(RegHandle root, const std::string& subKey,
                                         std::uint32_t access, RegHandle& key) {
  HKEY opened = nullptr;
  const LSTATUS result = RegOpenKeyExW(ToHkey(root), Wide(subKey).c_str(), 0, access, &opened);
  key = result == ERROR_SUCCESS ? FromHkey(opened) : 0;
  return result;
}

std::int32_t Win32RegistryStore::CreateKey(RegHandle root, const std::string& subKey,
                                           RegHandle& key) {
  HKEY created = nullptr;
  const LSTATUS result = RegCreateKeyExW(ToHkey(root), Wide(subKey).c_str(), 0, nullptr, 0,
                                         MAXIMUM_ALLOWED, nullptr, &created, nullptr);
  key = result == ERROR_SUCCESS ? FromHkey(created) : 0;
  return result;
}

std::int32_t Win32RegistryStore::DeleteKey(RegHandle root, const std::string& subKey) {
  if (subKey.empty()) return ERROR_ACCESS_DENIED;  // a root is never deleted
  return RegDeleteKeyW(ToHkey(root), Wide(subKey).c_str());
}

std::int32_t Win32RegistryStore::SetValue(RegHandle key, const std::string& name,
                                          std::uint32_t type, const char* data,
                                          std::uint32_t size) {
  if (!IsText(type)) {
    return RegSetValueExW(ToHkey(key), Wide(name).c_str(), 0, type,
                          reinterpret_cast<const BYTE*>(data), size);
  }
  const std::wstring text = Wide(std::string(data, size));
  return RegSetValueExW(ToHkey(key), Wide(name).c_str(), 0, type,
                        reinterpret_cast<const BYTE*>(text.data()),
                        static_cast<DWORD>(text.size() * sizeof(wchar_t)));
}

std::int32_t Win32RegistryStore::QueryValue(RegHandle key, const std::string& name,
                                            std::uint32_t* type, char* data, std::uint32_t* size) {
  DWORD valueType = 0;
  std::vector<BYTE> bytes;
  const LSTATUS result = ReadValue(ToHkey(key), Wide(name), valueType, bytes);
  if (result != ERROR_SUCCESS) return result;
  const std::string narrow = NarrowData(valueType, bytes);
  if (type != nullptr) *type = valueType;
  if (size == nullptr) return data == nullptr ? ERROR_SUCCESS : ERROR_INVALID_PARAMETER;
  const std::uint32_t room = *size;
  *size = static_cast<std::uint32_t>(narrow.size());
  if (data == nullptr) return ERROR_SUCCESS;
  if (room < narrow.size()) return ERROR_MORE_DATA;
  std::memcpy(data, narrow.data(), narrow.size());
  return ERROR_SUCCESS;
}

std::int32_t Win32RegistryStore::DeleteValue(RegHandle key, const std::string& name) {
  return RegDeleteValueW(ToHkey(key), Wide(name).c_str());
}

std::int32_t Win32RegistryStore::CloseKey(RegHandle key) {
  return RegCloseKey(ToHkey(key));
}

std::int32_t Win32RegistryStore::EnumKey(RegHandle key, std::uint32_t index, std::string& name) {
  wchar_t buffer[256];  // a key name holds at most 255 characters
  DWORD length = 256;
  const LSTATUS result =
      RegEnumKeyExW(ToHkey(key), index, buffer, &length, nullptr, nullptr, nullptr, nullptr);
  name = result == ERROR_SUCCESS ? Narrow(buffer, length) : std::string();
  return result;
}

std::int32_t Win32RegistryStore::EnumValue(RegHandle key, std::uint32_t index, std::string& name,
                                           std::uint32_t& type, std::string& data) {
  std::vector<wchar_t> buffer(16384);  // a value name holds at most 16383 characters
  DWORD length = static_cast<DWORD>(buffer.size());
  DWORD valueType = 0;
  LSTATUS result = RegEnumValueW(ToHkey(key), index, buffer.data(), &length, nullptr, &valueType,
                                 nullptr, nullptr);
  if (result != ERROR_SUCCESS) return result;
  std::vector<BYTE> bytes;
  const std::wstring wideName(buffer.data(), length);
  result = ReadValue(ToHkey(key), wideName, valueType, bytes);
  if (result != ERROR_SUCCESS) return result;
  name = Narrow(wideName.data(), wideName.size());
  type = valueType;
  data = NarrowData(valueType, bytes);
  return ERROR_SUCCESS;
}

}  // namespace larkspan
