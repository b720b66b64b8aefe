#pragma once
#include "settings/RegistryStore.h"

namespace larkspan {

// The Windows registry itself, through advapi32's wide calls. Names and text data cross the
// store's narrow interface in the system code page; every answer is the registry's own result
// code. Handles are the registry's own, except the seven roots, which keep their numbers.
class Win32RegistryStore final : public RegistryStore {
 public:
  std::int32_t OpenKey(RegHandle root, const std::string& subKey, std::uint32_t access,
                       RegHandle& key) override;
  std::int32_t CreateKey(RegHandle root, const std::string& subKey, RegHandle& key) override;
  std::int32_t DeleteKey(RegHandle root, const std::string& subKey) override;
  std::int32_t SetValue(RegHandle key, const std::string& name, std::uint32_t type,
                        const char* data, std::uint32_t size) override;
  std::int32_t QueryValue(RegHandle key, const std::string& name, std::uint32_t* type, char* data,
                          std::uint32_t* size) override;
  std::int32_t DeleteValue(RegHandle key, const std::string& name) override;
  std::int32_t CloseKey(RegHandle key) override;
  std::int32_t EnumKey(RegHandle key, std::uint32_t index, std::string& name) override;
  std::int32_t EnumValue(RegHandle key, std::uint32_t index, std::string& name, std::uint32_t& type,
                         std::string& data) override;
};

}  // namespace larkspan
