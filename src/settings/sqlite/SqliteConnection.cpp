#include "settings/sqlite/SqliteConnection.h"

#include "settings/RegistryStore.h"

namespace larkspan {
namespace {

// How long a step waits for another process's lock before it gives up.
constexpr int kBusyTimeoutMs = 5000;

std::int32_t RegistryCode(int rc, bool writing) {
  switch (rc & 0xFF) {
    case SQLITE_NOTADB:
    case SQLITE_CORRUPT:
      return kErrorRegistryCorrupt;
    case SQLITE_CANTOPEN:
      return kErrorCantOpen;
    case SQLITE_PERM:
    case SQLITE_READONLY:
    case SQLITE_AUTH:
      return kErrorAccessDenied;
    case SQLITE_NOMEM:
      return kErrorOutOfMemory;
    default:
      return writing ? kErrorCantWrite : kErrorCantRead;
  }
}

}  // namespace

SqliteConnection::SqliteConnection(const std::string& path, bool create) {
  int flags = SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0);
  int rc = sqlite3_open_v2(path.c_str(), &db_, flags, nullptr);
  if (rc != SQLITE_OK) {
    sqlite3_close(db_);
    db_ = nullptr;
    throw StoreError{RegistryCode(rc, create)};
  }
  sqlite3_busy_timeout(db_, kBusyTimeoutMs);
}

SqliteConnection::~SqliteConnection() {
  sqlite3_close(db_);
}

void SqliteConnection::Exec(const char* sql) {
  int rc = sqlite3_exec(db_, sql, nullptr, nullptr, nullptr);
  if (rc != SQLITE_OK) Fail(rc);
}

void SqliteConnection::Fail(int rc) const {
  throw StoreError{RegistryCode(rc, writing)};
}

SqliteStatement::SqliteStatement(SqliteConnection& db, const char* sql) : db_(db) {
  int rc = sqlite3_prepare_v2(db.Handle(), sql, -1, &stmt_, nullptr);
  if (rc != SQLITE_OK) db.Fail(rc);
}

SqliteStatement::~SqliteStatement() {
  sqlite3_finalize(stmt_);
}

SqliteStatement& SqliteStatement::Bind(int index, std::int64_t value) {
  int rc = sqlite3_bind_int64(stmt_, index, value);
  if (rc != SQLITE_OK) db_.Fail(rc);
  return *this;
}

SqliteStatement& SqliteStatement::Bind(int index, const std::string& text) {
  int rc =
      sqlite3_bind_text(stmt_, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
  if (rc != SQLITE_OK) db_.Fail(rc);
  return *this;
}

SqliteStatement& SqliteStatement::BindBlob(int index, const char* data, std::size_t size) {
  // A zero-length blob still has to be a blob, not NULL: hand SQLite a valid pointer.
  static const char kEmpty = 0;
  int rc = sqlite3_bind_blob64(stmt_, index, size ? data : &kEmpty, size, SQLITE_TRANSIENT);
  if (rc != SQLITE_OK) db_.Fail(rc);
  return *this;
}

bool SqliteStatement::Step() {
  int rc = sqlite3_step(stmt_);
  if (rc == SQLITE_ROW) return true;
  if (rc == SQLITE_DONE) return false;
  db_.Fail(rc);
}

std::int64_t SqliteStatement::Int(int column) const {
  return sqlite3_column_int64(stmt_, column);
}

std::string SqliteStatement::Text(int column) const {
  const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
  return text ? std::string(text, sqlite3_column_bytes(stmt_, column)) : std::string();
}

std::string SqliteStatement::Blob(int column) const {
  const auto* data = static_cast<const char*>(sqlite3_column_blob(stmt_, column));
  return data ? std::string(data, sqlite3_column_bytes(stmt_, column)) : std::string();
}

SqliteTransaction::SqliteTransaction(SqliteConnection& db, bool write) : db_(db) {
  db_.writing = write;
  try {
    db_.Exec(write ? "BEGIN IMMEDIATE" : "BEGIN");
  } catch (const StoreError&) {
    db_.writing = false;
    throw;
  }
}

SqliteTransaction::~SqliteTransaction() {
  if (open_) sqlite3_exec(db_.Handle(), "ROLLBACK", nullptr, nullptr, nullptr);
  db_.writing = false;
}

void SqliteTransaction::Commit() {
  db_.Exec("COMMIT");
  open_ = false;
}

}  // namespace larkspan
