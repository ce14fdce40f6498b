#include "platform/posix/SqliteDb.h"

#include <sqlite3.h>

namespace fegolin::platform::posix {

void SqliteCloser::operator()(sqlite3* db) const {
  sqlite3_close_v2(db);
}

int PrimaryCode(int rc) {
  return rc & 0xff;
}

int Exec(sqlite3* db, const char* sql) {
  return sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
}

Statement::Statement(sqlite3* db, std::string_view sql) {
  const int rc = sqlite3_prepare_v2(db, sql.data(), static_cast<int>(sql.size()), &stmt_, nullptr);
  Keep(rc);
  if (stmt_ == nullptr && error_ == 0) {
    error_ = SQLITE_MISUSE;
  }
}

Statement::~Statement() {
  sqlite3_finalize(stmt_);
}

void Statement::Keep(int rc) {
  if (rc != SQLITE_OK && error_ == 0) {
    error_ = rc;
  }
}

Statement& Statement::Bind(int index, std::int64_t value) {
  if (stmt_ != nullptr) {
    Keep(sqlite3_bind_int64(stmt_, index, value));
  }
  return *this;
}

Statement& Statement::Bind(int index, std::string_view text) {
  if (stmt_ != nullptr) {
    // A null pointer would bind SQL NULL, not the empty text.
    const char* data = text.empty() ? "" : text.data();
    Keep(sqlite3_bind_text64(stmt_, index, data, text.size(), SQLITE_TRANSIENT, SQLITE_UTF8));
  }
  return *this;
}

Statement& Statement::BindBlob(int index, std::span<const std::uint8_t> data) {
  if (stmt_ != nullptr) {
    // Same trap as with text: an empty value must stay an empty blob.
    if (data.empty()) {
      Keep(sqlite3_bind_zeroblob(stmt_, index, 0));
    } else {
      Keep(sqlite3_bind_blob64(stmt_, index, data.data(), data.size(), SQLITE_TRANSIENT));
    }
  }
  return *this;
}

Statement& Statement::BindNull(int index) {
  if (stmt_ != nullptr) {
    Keep(sqlite3_bind_null(stmt_, index));
  }
  return *this;
}

int Statement::Step() {
  if (error_ != 0) {
    return error_;
  }
  const int rc = sqlite3_step(stmt_);
  if (rc != SQLITE_ROW && rc != SQLITE_DONE) {
    error_ = rc;
  }
  return rc;
}

int Statement::Run() {
  int rc = Step();
  while (rc == SQLITE_ROW) {
    rc = Step();
  }
  return rc == SQLITE_DONE ? SQLITE_OK : rc;
}

void Statement::Reset() {
  if (stmt_ != nullptr) {
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
    error_ = 0;
  }
}

std::int64_t Statement::Int(int column) const {
  return sqlite3_column_int64(stmt_, column);
}

std::string Statement::Text(int column) const {
  const auto* text = sqlite3_column_text(stmt_, column);
  const int size = sqlite3_column_bytes(stmt_, column);
  if (text == nullptr) {
    return {};
  }
  return {reinterpret_cast<const char*>(text), static_cast<std::size_t>(size)};
}

std::vector<std::uint8_t> Statement::Blob(int column) const {
  const auto* data = static_cast<const std::uint8_t*>(sqlite3_column_blob(stmt_, column));
  const int size = sqlite3_column_bytes(stmt_, column);
  if (data == nullptr) {
    return {};
  }
  return {data, data + size};
}

} // namespace fegolin::platform::posix
