#include "settings/sqlite/SqliteRegistryStore.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <clocale>
#include <cstdlib>
#include <cstring>
#include <cwctype>
#include <new>

#include "os/CodePage.h"
#include "settings/sqlite/SqliteConnection.h"

namespace larkspan {
namespace {

constexpr const char* kRootNames[] = {
    "HKEY_CLASSES_ROOT",     "HKEY_CURRENT_USER",   "HKEY_LOCAL_MACHINE", "HKEY_USERS",
    "HKEY_PERFORMANCE_DATA", "HKEY_CURRENT_CONFIG", "HKEY_DYN_DATA"};
constexpr std::int64_t kRootCount = 7;

// Roots are the rows 1 to 7 with parent 0; a name is unique among its siblings by its
// case-folded form, and keeps the spelling it was created with. Key ids are never reused, so
// a handle to a deleted key cannot reach a key created after it.
constexpr char kSchema[] = R"(
CREATE TABLE IF NOT EXISTS reg_key (
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  parent INTEGER NOT NULL,
  name TEXT NOT NULL,
  fold TEXT NOT NULL,
  UNIQUE (parent, fold));
CREATE TABLE IF NOT EXISTS reg_value (
  key INTEGER NOT NULL,
  name TEXT NOT NULL,
  fold TEXT NOT NULL,
  type INTEGER NOT NULL,
  data BLOB NOT NULL,
  UNIQUE (key, fold));
)";

constexpr std::uint32_t kKeyEnumerateSubKeys = 0x0008;

// Upper-cases one code unit the way key names compare: simple case mapping of the Unicode
// tables, whatever the user's locale, so every process folds a name alike. Surrogates and
// mappings outside the basic plane stay as they are, which keeps the length.
char16_t UpperUnit(char16_t c) {
  if (c < 0x80) return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 32) : c;
  if (c >= 0xD800 && c <= 0xDFFF) return c;
  static const locale_t unicode = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
  if (unicode == static_cast<locale_t>(0)) return c;
  wint_t upper = towupper_l(static_cast<wint_t>(c), unicode);
  return upper <= 0xFFFF ? static_cast<char16_t>(upper) : c;
}

std::string Fold(const std::string& name) {
  std::u16string wide = ToWide(name);
  for (char16_t& c : wide) c = UpperUnit(c);
  return ToUtf8(wide);
}

std::int64_t RootId(RegHandle root) {
  if (root < kHkeyClassesRoot || root >= kHkeyClassesRoot + kRootCount) {
    throw StoreError{kErrorInvalidHandle};
  }
  return static_cast<std::int64_t>(root - kHkeyClassesRoot) + 1;
}

// Runs one store call: failures become its result code.
template <class Call>
std::int32_t Answer(Call&& call) {
  try {
    call();
    return kErrorSuccess;
  } catch (const StoreError& error) {
    return error.code;
  } catch (const std::bad_alloc&) {
    return kErrorOutOfMemory;
  }
}

template <class Visit>
void ForEachComponent(const std::string& subKey, Visit&& visit) {
  std::size_t start = 0;
  while (start <= subKey.size()) {
    std::size_t end = subKey.find('\\', start);
    if (end == std::string::npos) end = subKey.size();
    if (end == start) throw StoreError{kErrorBadPathname};
    visit(subKey.substr(start, end - start));
    start = end + 1;
  }
}

std::int64_t FindChild(SqliteConnection& db, std::int64_t parent, const std::string& name) {
  SqliteStatement find(db, "SELECT id FROM reg_key WHERE parent = ? AND fold = ?");
  find.Bind(1, parent).Bind(2, Fold(name));
  return find.Step() ? find.Int(0) : 0;
}

std::int64_t Resolve(SqliteConnection& db, std::int64_t rootId, const std::string& subKey) {
  std::int64_t id = rootId;
  if (subKey.empty()) return id;
  ForEachComponent(subKey, [&](const std::string& name) {
    id = FindChild(db, id, name);
    if (id == 0) throw StoreError{kErrorFileNotFound};
  });
  return id;
}

std::int64_t ResolveOrCreate(SqliteConnection& db, std::int64_t rootId, const std::string& subKey) {
  std::int64_t id = rootId;
  if (subKey.empty()) return id;
  ForEachComponent(subKey, [&](const std::string& name) {
    std::int64_t child = FindChild(db, id, name);
    if (child == 0) {
      SqliteStatement insert(db, "INSERT INTO reg_key (parent, name, fold) VALUES (?, ?, ?)");
      insert.Bind(1, id).Bind(2, name).Bind(3, Fold(name)).Step();
      child = sqlite3_last_insert_rowid(db.Handle());
    }
    id = child;
  });
  return id;
}

// A key opened earlier may have been deleted since, by this process or another.
void RequireKey(SqliteConnection& db, std::int64_t id) {
  SqliteStatement find(db, "SELECT 1 FROM reg_key WHERE id = ?");
  find.Bind(1, id);
  if (!find.Step()) throw StoreError{kErrorKeyDeleted};
}

bool FileExists(const std::string& path) {
  struct stat info;
  if (stat(path.c_str(), &info) == 0) return true;
  if (errno == ENOENT || errno == ENOTDIR) return false;
  throw StoreError{kErrorAccessDenied};
}

// Creates the missing folders of `path` (private to the user) and the file itself with
// mode 0600, since SQLite would create it with the umask's permissions.
void PrepareFile(const std::string& path) {
  for (std::size_t slash = path.find('/', 1); slash != std::string::npos;
       slash = path.find('/', slash + 1)) {
    std::string folder = path.substr(0, slash);
    if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
      throw StoreError{errno == EACCES ? kErrorAccessDenied : kErrorCantWrite};
    }
  }
  int fd = open(path.c_str(), O_CREAT | O_RDWR | O_CLOEXEC, 0600);
  if (fd < 0) throw StoreError{errno == EACCES ? kErrorAccessDenied : kErrorCantWrite};
  close(fd);
}

bool SchemaExists(SqliteConnection& db) {
  SqliteStatement find(db, "SELECT count(*) FROM sqlite_master WHERE name = 'reg_value'");
  return find.Step() && find.Int(0) > 0;
}

void CreateSchema(SqliteConnection& db) {
  db.Exec("PRAGMA journal_mode = WAL");
  SqliteTransaction transaction(db, true);
  db.Exec(kSchema);
  for (std::int64_t id = 1; id <= kRootCount; ++id) {
    SqliteStatement insert(
        db, "INSERT OR IGNORE INTO reg_key (id, parent, name, fold) VALUES (?, 0, ?, ?)");
    insert.Bind(1, id).Bind(2, kRootNames[id - 1]).Bind(3, kRootNames[id - 1]).Step();
  }
  transaction.Commit();
}

std::string HomeFolder() {
  const char* home = std::getenv("HOME");
  if (home != nullptr && *home != '\0') return home;
  const passwd* user = getpwuid(getuid());
  return user != nullptr && user->pw_dir != nullptr ? user->pw_dir : "";
}

}  // namespace

SqliteRegistryStore::SqliteRegistryStore(std::string databasePath)
    : path_(std::move(databasePath)) {}

SqliteRegistryStore::~SqliteRegistryStore() = default;

std::string SqliteRegistryStore::DefaultPath() {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  // Relative values are to be ignored, as the XDG rules say.
  std::string base =
      config != nullptr && config[0] == '/' ? std::string(config) : HomeFolder() + "/.config";
  return base + "/Quillmere/registry.db";
}

SqliteConnection* SqliteRegistryStore::ForRead() {
  if (!db_) {
    if (!FileExists(path_)) return nullptr;
    db_ = std::make_unique<SqliteConnection>(path_, false);
    hasSchema_ = false;
  }
  if (!hasSchema_) hasSchema_ = SchemaExists(*db_);
  return hasSchema_ ? db_.get() : nullptr;
}

SqliteConnection& SqliteRegistryStore::ForWrite() {
  if (!db_) {
    PrepareFile(path_);
    db_ = std::make_unique<SqliteConnection>(path_, true);
    hasSchema_ = false;
  }
  if (!hasSchema_) {
    CreateSchema(*db_);
    hasSchema_ = true;
  }
  return *db_;
}

const SqliteRegistryStore::OpenKeyEntry& SqliteRegistryStore::Entry(
    RegHandle key, std::uint32_t accessNeeded) const {
  auto found = open_.find(key);
  if (found == open_.end()) throw StoreError{kErrorInvalidHandle};
  if ((found->second.access & accessNeeded) != accessNeeded) throw StoreError{kErrorAccessDenied};
  return found->second;
}

RegHandle SqliteRegistryStore::AddHandle(std::int64_t id, std::uint32_t access) {
  RegHandle handle = nextHandle_++;
  open_[handle] = OpenKeyEntry{id, access};
  return handle;
}

std::int32_t SqliteRegistryStore::OpenKey(RegHandle root, const std::string& subKey,
                                          std::uint32_t access, RegHandle& key) {
  return Answer([&] {
    std::int64_t id = RootId(root);
    if (!subKey.empty()) {
      SqliteConnection* db = ForRead();
      if (db == nullptr) throw StoreError{kErrorFileNotFound};
      SqliteTransaction transaction(*db, false);
      id = Resolve(*db, id, subKey);
    }
    key = AddHandle(id, access);
  });
}

std::int32_t SqliteRegistryStore::CreateKey(RegHandle root, const std::string& subKey,
                                            RegHandle& key) {
  return Answer([&] {
    std::int64_t rootId = RootId(root);
    SqliteConnection& db = ForWrite();
    SqliteTransaction transaction(db, true);
    std::int64_t id = ResolveOrCreate(db, rootId, subKey);
    transaction.Commit();
    key = AddHandle(id, kKeyAllAccess);
  });
}

std::int32_t SqliteRegistryStore::DeleteKey(RegHandle root, const std::string& subKey) {
  return Answer([&] {
    std::int64_t rootId = RootId(root);
    if (subKey.empty()) throw StoreError{kErrorAccessDenied};
    // Nothing to delete without a store; creating the file for that would be a write.
    if (ForRead() == nullptr) throw StoreError{kErrorFileNotFound};
    SqliteConnection& db = ForWrite();
    SqliteTransaction transaction(db, true);
    std::int64_t id = Resolve(db, rootId, subKey);
    SqliteStatement child(db, "SELECT 1 FROM reg_key WHERE parent = ? LIMIT 1");
    if (child.Bind(1, id).Step()) throw StoreError{kErrorAccessDenied};
    SqliteStatement(db, "DELETE FROM reg_value WHERE key = ?").Bind(1, id).Step();
    SqliteStatement(db, "DELETE FROM reg_key WHERE id = ?").Bind(1, id).Step();
    transaction.Commit();
  });
}

std::int32_t SqliteRegistryStore::SetValue(RegHandle key, const std::string& name,
                                           std::uint32_t type, const char* data,
                                           std::uint32_t size) {
  return Answer([&] {
    std::int64_t id = Entry(key, kKeySetValue).id;
    if (data == nullptr && size > 0) throw StoreError{kErrorInvalidParameter};
    SqliteConnection& db = ForWrite();
    SqliteTransaction transaction(db, true);
    RequireKey(db, id);
    // A value written again under another spelling keeps the name it was created with.
    SqliteStatement upsert(db,
                           "INSERT INTO reg_value (key, name, fold, type, data) "
                           "VALUES (?, ?, ?, ?, ?) ON CONFLICT (key, fold) "
                           "DO UPDATE SET type = excluded.type, data = excluded.data");
    upsert.Bind(1, id).Bind(2, name).Bind(3, Fold(name)).Bind(4, std::int64_t{type});
    upsert.BindBlob(5, data, size).Step();
    transaction.Commit();
  });
}

std::int32_t SqliteRegistryStore::QueryValue(RegHandle key, const std::string& name,
                                             std::uint32_t* type, char* data, std::uint32_t* size) {
  return Answer([&] {
    std::int64_t id = Entry(key, kKeyQueryValue).id;
    if (data != nullptr && size == nullptr) throw StoreError{kErrorInvalidParameter};
    SqliteConnection* db = ForRead();
    if (db == nullptr) throw StoreError{kErrorFileNotFound};
    SqliteTransaction transaction(*db, false);
    RequireKey(*db, id);
    SqliteStatement find(*db, "SELECT type, data FROM reg_value WHERE key = ? AND fold = ?");
    if (!find.Bind(1, id).Bind(2, Fold(name)).Step()) throw StoreError{kErrorFileNotFound};
    std::string stored = find.Blob(1);
    if (type != nullptr) *type = static_cast<std::uint32_t>(find.Int(0));
    if (size == nullptr) return;
    std::uint32_t room = *size;
    *size = static_cast<std::uint32_t>(stored.size());
    if (data == nullptr) return;
    if (room < stored.size()) throw StoreError{kErrorMoreData};
    std::memcpy(data, stored.data(), stored.size());
  });
}

std::int32_t SqliteRegistryStore::DeleteValue(RegHandle key, const std::string& name) {
  return Answer([&] {
    std::int64_t id = Entry(key, kKeySetValue).id;
    if (ForRead() == nullptr) throw StoreError{kErrorFileNotFound};
    SqliteConnection& db = ForWrite();
    SqliteTransaction transaction(db, true);
    RequireKey(db, id);
    SqliteStatement erase(db, "DELETE FROM reg_value WHERE key = ? AND fold = ?");
    erase.Bind(1, id).Bind(2, Fold(name)).Step();
    if (db.Changes() == 0) throw StoreError{kErrorFileNotFound};
    transaction.Commit();
  });
}

std::int32_t SqliteRegistryStore::CloseKey(RegHandle key) {
  return open_.erase(key) == 1 ? kErrorSuccess : kErrorInvalidHandle;
}

std::int32_t SqliteRegistryStore::EnumKey(RegHandle key, std::uint32_t index, std::string& name) {
  return Answer([&] {
    std::int64_t id = Entry(key, kKeyEnumerateSubKeys).id;
    SqliteConnection* db = ForRead();
    if (db == nullptr) throw StoreError{kErrorNoMoreItems};
    SqliteStatement list(
        *db, "SELECT name FROM reg_key WHERE parent = ? ORDER BY fold LIMIT 1 OFFSET ?");
    if (!list.Bind(1, id).Bind(2, std::int64_t{index}).Step()) throw StoreError{kErrorNoMoreItems};
    name = list.Text(0);
  });
}

std::int32_t SqliteRegistryStore::EnumValue(RegHandle key, std::uint32_t index, std::string& name,
                                            std::uint32_t& type, std::string& data) {
  return Answer([&] {
    std::int64_t id = Entry(key, kKeyQueryValue).id;
    SqliteConnection* db = ForRead();
    if (db == nullptr) throw StoreError{kErrorNoMoreItems};
    SqliteStatement list(
        *db,
        "SELECT name, type, data FROM reg_value WHERE key = ? ORDER BY rowid LIMIT 1 OFFSET ?");
    if (!list.Bind(1, id).Bind(2, std::int64_t{index}).Step()) throw StoreError{kErrorNoMoreItems};
    name = list.Text(0);
    type = static_cast<std::uint32_t>(list.Int(1));
    data = list.Blob(2);
  });
}

std::unique_ptr<RegistryStore> OpenUserRegistry() {
  return std::make_unique<SqliteRegistryStore>();
}

}  // namespace larkspan
