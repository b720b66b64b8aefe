#pragma once
#include <sqlite3.h>

#include <cstdint>
#include <string>

namespace larkspan {

// A failed step of the registry store, carrying the registry result code that the store
// answers with. Thrown only inside the store and turned into a result there.
struct StoreError {
  std::int32_t code;
};

// One connection to the store's database file. Every failure throws StoreError with the
// registry code that fits it (a corrupt file reads as a corrupt registry, and so on).
class SqliteConnection {
 public:
  SqliteConnection(const std::string& path, bool create);
  ~SqliteConnection();
  SqliteConnection(const SqliteConnection&) = delete;
  SqliteConnection& operator=(const SqliteConnection&) = delete;

  sqlite3* Handle() const { return db_; }
  void Exec(const char* sql);
  [[noreturn]] void Fail(int rc) const;
  std::int64_t Changes() const { return sqlite3_changes(db_); }

  bool writing = false;  // inside a write transaction: failures read as "can't write"

 private:
  sqlite3* db_ = nullptr;
};

class SqliteStatement {
 public:
  SqliteStatement(SqliteConnection& db, const char* sql);
  ~SqliteStatement();
  SqliteStatement(const SqliteStatement&) = delete;
  SqliteStatement& operator=(const SqliteStatement&) = delete;

  SqliteStatement& Bind(int index, std::int64_t value);
  SqliteStatement& Bind(int index, const std::string& text);
  SqliteStatement& BindBlob(int index, const char* data, std::size_t size);
  bool Step();  // true while a row is there
  std::int64_t Int(int column) const;
  std::string Text(int column) const;
  std::string Blob(int column) const;

 private:
  SqliteConnection& db_;
  sqlite3_stmt* stmt_ = nullptr;
};

// One transaction; rolled back unless committed. A write transaction takes the write lock at
// once, so two writers queue on the busy timeout instead of failing halfway.
class SqliteTransaction {
 public:
  SqliteTransaction(SqliteConnection& db, bool write);
  ~SqliteTransaction();
  SqliteTransaction(const SqliteTransaction&) = delete;
  SqliteTransaction& operator=(const SqliteTransaction&) = delete;
  void Commit();

 private:
  SqliteConnection& db_;
  bool open_ = true;
};

}  // namespace larkspan
