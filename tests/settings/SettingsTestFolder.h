#pragma once
// A fresh folder per test, set as XDG_CONFIG_HOME so that the registry store of the test lives
// there and nothing of the user's own configuration is touched.
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/CodePage.h"
#include "settings/LangM.h"

namespace larkspan::test {

class SettingsTestFolder {
 public:
  SettingsTestFolder() {
    std::string pattern = std::filesystem::temp_directory_path() / "larkspan-settings-XXXXXX";
    root_ = mkdtemp(pattern.data());
    setenv("XDG_CONFIG_HOME", (root_ / "config").c_str(), 1);
  }
  ~SettingsTestFolder() {
    std::error_code ignored;  // a test that failed half-way may leave less behind
    std::filesystem::remove_all(root_, ignored);
  }
  SettingsTestFolder(const SettingsTestFolder&) = delete;
  SettingsTestFolder& operator=(const SettingsTestFolder&) = delete;

  const std::filesystem::path& Root() const { return root_; }
  std::filesystem::path Database() const { return root_ / "config/Quillmere/registry.db"; }

  static void WriteBytes(const std::filesystem::path& path, const std::string& bytes) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
  }

 private:
  std::filesystem::path root_;
};

// The header line that makes a language file valid.
inline std::string LangHeaderLine() {
  return "0000 " + ToUtf8(LangFileHeader) + "\r\n";
}

}  // namespace larkspan::test
