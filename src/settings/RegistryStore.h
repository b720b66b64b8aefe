#pragma once
#include <cstdint>
#include <memory>
#include <string>

namespace larkspan {

// A handle to a key: one of the predefined roots below, or a key opened through the store.
using RegHandle = std::uintptr_t;

// The predefined root keys, numbered as the Windows registry numbers them.
inline constexpr RegHandle kHkeyClassesRoot = 0x80000000;
inline constexpr RegHandle kHkeyCurrentUser = 0x80000001;
inline constexpr RegHandle kHkeyLocalMachine = 0x80000002;
inline constexpr RegHandle kHkeyUsers = 0x80000003;
inline constexpr RegHandle kHkeyPerformanceData = 0x80000004;
inline constexpr RegHandle kHkeyCurrentConfig = 0x80000005;
inline constexpr RegHandle kHkeyDynData = 0x80000006;

// Access rights asked for when a key is opened.
inline constexpr std::uint32_t kKeyQueryValue = 0x0001;
inline constexpr std::uint32_t kKeySetValue = 0x0002;
inline constexpr std::uint32_t kKeyRead = 0x20019;
inline constexpr std::uint32_t kKeyWrite = 0x20006;
inline constexpr std::uint32_t kKeyAllAccess = 0xF003F;

// Value types.
inline constexpr std::uint32_t kRegSz = 1;

// Result codes, the registry's own.
enum RegResult : std::int32_t {
  kErrorSuccess = 0,
  kErrorFileNotFound = 2,
  kErrorAccessDenied = 5,
  kErrorInvalidHandle = 6,
  kErrorOutOfMemory = 14,
  kErrorInvalidParameter = 87,
  kErrorBadPathname = 161,
  kErrorMoreData = 234,
  kErrorNoMoreItems = 259,
  kErrorBadDb = 1009,
  kErrorCantOpen = 1011,
  kErrorCantRead = 1012,
  kErrorCantWrite = 1013,
  kErrorRegistryCorrupt = 1015,
  kErrorKeyDeleted = 1018,
};

// The registry as the program talks to it: the narrow calls of the Windows registry, with
// texts in the system code page and data as raw bytes. Subkey paths are relative to a root
// and separated by "\"; an empty path is the root itself. Key and value names compare without
// regard to case and keep the case they were created with. Every call answers with a result
// code and never throws.
class RegistryStore {
 public:
  virtual ~RegistryStore() = default;

  virtual std::int32_t OpenKey(RegHandle root, const std::string& subKey, std::uint32_t access,
                               RegHandle& key) = 0;
  // Creates every missing key along the path, or opens the key when it exists.
  virtual std::int32_t CreateKey(RegHandle root, const std::string& subKey, RegHandle& key) = 0;
  // Refuses (access denied) a root and a key that still has subkeys.
  virtual std::int32_t DeleteKey(RegHandle root, const std::string& subKey) = 0;
  virtual std::int32_t SetValue(RegHandle key, const std::string& name, std::uint32_t type,
                                const char* data, std::uint32_t size) = 0;
  // `data` may be null: only whether the value is there and its size are reported. A buffer
  // too small gives kErrorMoreData with the size needed in `size`.
  virtual std::int32_t QueryValue(RegHandle key, const std::string& name, std::uint32_t* type,
                                  char* data, std::uint32_t* size) = 0;
  virtual std::int32_t DeleteValue(RegHandle key, const std::string& name) = 0;
  virtual std::int32_t CloseKey(RegHandle key) = 0;
  // Listing, by index from 0; kErrorNoMoreItems past the end.
  virtual std::int32_t EnumKey(RegHandle key, std::uint32_t index, std::string& name) = 0;
  virtual std::int32_t EnumValue(RegHandle key, std::uint32_t index, std::string& name,
                                 std::uint32_t& type, std::string& data) = 0;
};

// This user's registry: the Windows registry itself, or the SQLite store elsewhere.
std::unique_ptr<RegistryStore> OpenUserRegistry();

}  // namespace larkspan
