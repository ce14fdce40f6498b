#pragma once

// A thin RAII layer over the SQLite C interface: enough for the hive, no more.

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace fegolin::platform::posix {

struct SqliteCloser {
  void operator()(sqlite3* db) const;
};
using SqliteHandle = std::unique_ptr<sqlite3, SqliteCloser>;

// The primary result code (SQLITE_BUSY, SQLITE_CORRUPT, ...) of an extended one.
int PrimaryCode(int rc);

// Runs SQL without results; the SQLite result code.
int Exec(sqlite3* db, const char* sql);

// One prepared statement. Binding errors are kept and returned by Step, so a
// caller can bind everything and check once.
class Statement {
public:
  Statement(sqlite3* db, std::string_view sql);
  ~Statement();
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  Statement& Bind(int index, std::int64_t value);
  Statement& Bind(int index, std::string_view text);
  Statement& BindBlob(int index, std::span<const std::uint8_t> data);
  Statement& BindNull(int index);

  // SQLITE_ROW, SQLITE_DONE or an error code.
  int Step();
  // Steps until done; SQLITE_OK when the statement ran without error.
  int Run();
  // Rewinds for another run with new bindings.
  void Reset();

  [[nodiscard]] std::int64_t Int(int column) const;
  [[nodiscard]] std::string Text(int column) const;
  [[nodiscard]] std::vector<std::uint8_t> Blob(int column) const;

private:
  void Keep(int rc);

  sqlite3_stmt* stmt_ = nullptr;
  int error_ = 0;
};

} // namespace fegolin::platform::posix
