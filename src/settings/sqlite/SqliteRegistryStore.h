#pragma once
#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "settings/RegistryStore.h"

namespace larkspan {

class SqliteConnection;

// The registry kept in one SQLite file, for systems without a Windows registry. The seven
// root keys always exist. Every write is one transaction; the file runs in WAL mode with a
// busy timeout, so a second process can write while this one reads. Reading never creates
// the file: without it the store holds only the empty roots. A file that cannot be read
// answers with a result code, never with a crash.
class SqliteRegistryStore final : public RegistryStore {
 public:
  explicit SqliteRegistryStore(std::string databasePath = DefaultPath());
  ~SqliteRegistryStore() override;

  // $XDG_CONFIG_HOME/Quillmere/registry.db, or ~/.config/Quillmere/registry.db.
  static std::string DefaultPath();
  const std::string& Path() const { return path_; }

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

 private:
  struct OpenKeyEntry {
    std::int64_t id;
    std::uint32_t access;
  };

  // The connection for a read, or null when there is no store yet (no file, or a file
  // without our tables): then only the empty roots exist.
  SqliteConnection* ForRead();
  // The connection for a write; creates the folder, the file and the tables when needed.
  SqliteConnection& ForWrite();
  const OpenKeyEntry& Entry(RegHandle key, std::uint32_t accessNeeded) const;
  RegHandle AddHandle(std::int64_t id, std::uint32_t access);

  std::string path_;
  std::unique_ptr<SqliteConnection> db_;
  bool hasSchema_ = false;
  std::map<RegHandle, OpenKeyEntry> open_;
  RegHandle nextHandle_ = 1;
};

}  // namespace larkspan
