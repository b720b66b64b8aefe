#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "settings/RegistryStore.h"

namespace larkspan {

// Reads and writes the registry through full textual key paths: a root name such as
// "HKEY_CURRENT_USER", "\", then the subkey path. Create an instance, call one operation,
// drop it. Registry failures show no message; they come back as the results (false, or
// "Error" from GetStringValue). A path of the wrong form is refused with a message.
class AdvancedRegistryCM {
 public:
  // Works on this user's registry.
  AdvancedRegistryCM();
  // Works on the given store, which must outlive the instance.
  explicit AdvancedRegistryCM(RegistryStore& store);
  ~AdvancedRegistryCM();
  AdvancedRegistryCM(const AdvancedRegistryCM&) = delete;
  AdvancedRegistryCM& operator=(const AdvancedRegistryCM&) = delete;

  // Stored only: registry failures are reported through the results whatever it holds.
  void SetDisplayErrorMsg(bool vNewValue);
  bool SetStringValue(std::u16string SKey, std::u16string sKeyName, std::u16string KeyValue);
  // The value's text; "Error" when the key or the value is missing or does not fit into 254
  // characters; no value at all for a path that names no root.
  std::optional<std::u16string> GetStringValue(std::u16string SKey, std::u16string sKeyName);
  bool CreateKey(std::u16string SKey);
  bool DeleteKey(std::u16string KeyName);
  bool DeleteKeyValue(std::u16string sKeyName, std::u16string sValueName);
  bool KeyExist(std::u16string SKey);
  bool KeyValueExist(std::u16string SKey, std::u16string sKeyName);

 protected:
  // Protected rather than private so that tests can reach them through a derived probe.

  // Checks the form of `path` (shows "Incorrect Format: " when it is wrong), then splits it
  // at its first "\": returns the root's handle (0 for none) and leaves the subkey in `path`.
  RegHandle ParseKeyPath(std::u16string& path);
  static RegHandle GetRootKeyHandle(const std::u16string& rootName);
  static std::u16string GetErrorMsg(std::int32_t code);

 private:
  enum class KeyOpening { kNoRoot, kRefused, kOpen };
  // Parses `path` and opens its key with `access` into hKey; kNoRoot when the path has the
  // wrong form or names no root, kRefused when the registry refuses the key.
  KeyOpening OpenKeyPath(std::u16string path, std::uint32_t access);
  void CloseOpenKey();
  bool ParseRoot(std::u16string& path);

  std::unique_ptr<RegistryStore> ownStore_;
  RegistryStore& store_;

  std::int16_t bDisplayErrorMsg = -1;
  RegHandle hKey = 0;
  RegHandle hRootKey = 0;
  std::int32_t lResult = 0;
  std::int32_t lBufferSize = 0;
  std::u16string sBuffer;
};

}  // namespace larkspan
