#include "platform/posix/HiveFile.h"

#include "platform/Registry.h"

#include <sqlite3.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <optional>

#include <sys/stat.h>
#include <unistd.h>

namespace fegolin::platform::posix {
namespace {

// Marks the file as ours, so a stranger's database is never taken for a hive.
constexpr std::int64_t kApplicationId = 0x46675267; // "FgRg"
constexpr std::int64_t kSchemaVersion = 1;
// Other fegolin processes (a second start, an export) may hold the write
// lock for a moment; wait for them rather than fail.
constexpr int kBusyTimeoutMs = 5000;

// Keys form a tree: the five predefined roots are rows without a parent,
// every other key points at its parent. `fold` is the upper-cased name under
// which names are compared; `name` keeps the spelling first written. Key ids
// are never reused, so a handle to a deleted key cannot reach a newer one.
// Values keep their registry type and exact bytes; their id gives the order
// in which they were created.
constexpr const char* kSchema = R"sql(
CREATE TABLE reg_key (
  id     INTEGER PRIMARY KEY AUTOINCREMENT,
  parent INTEGER REFERENCES reg_key(id) ON DELETE CASCADE,
  hroot  INTEGER,
  name   TEXT NOT NULL,
  fold   TEXT NOT NULL,
  CHECK ((parent IS NULL) = (hroot IS NOT NULL))
);
CREATE UNIQUE INDEX reg_key_child ON reg_key(parent, fold);
CREATE UNIQUE INDEX reg_key_root ON reg_key(hroot) WHERE parent IS NULL;
CREATE TABLE reg_value (
  id   INTEGER PRIMARY KEY,
  key  INTEGER NOT NULL REFERENCES reg_key(id) ON DELETE CASCADE,
  name TEXT NOT NULL,
  fold TEXT NOT NULL,
  type INTEGER NOT NULL,
  data BLOB NOT NULL,
  UNIQUE (key, fold)
);
)sql";

struct RootRow {
  RegRoot handle;
  const char* name;
};
constexpr std::array<RootRow, 5> kRoots{{
    {kRegClassesRoot, "HKEY_CLASSES_ROOT"},
    {kRegCurrentUser, "HKEY_CURRENT_USER"},
    {kRegLocalMachine, "HKEY_LOCAL_MACHINE"},
    {kRegUsers, "HKEY_USERS"},
    {kRegCurrentConfig, "HKEY_CURRENT_CONFIG"},
}};

enum class Verdict : std::uint8_t { Ready, Damaged, Unusable };

struct Attempt {
  Verdict verdict = Verdict::Unusable;
  SqliteHandle db;
  std::string reason;
};

Attempt Fail(sqlite3* db, int rc) {
  const int code = PrimaryCode(rc);
  const bool damaged = code == SQLITE_NOTADB || code == SQLITE_CORRUPT;
  std::string reason = db != nullptr ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
  return {damaged ? Verdict::Damaged : Verdict::Unusable, nullptr, std::move(reason)};
}

Attempt Refuse(Verdict verdict, std::string reason) {
  return {verdict, nullptr, std::move(reason)};
}

bool ScalarInt(sqlite3* db, const char* sql, std::int64_t& value, int& rc) {
  Statement stmt(db, sql);
  rc = stmt.Step();
  if (rc != SQLITE_ROW) {
    return false;
  }
  value = stmt.Int(0);
  return true;
}

// Creates tables and roots in a file that holds nothing yet. Another process
// may be doing the same: whoever gets the write lock first wins, the other
// finds the schema in place.
int CreateSchema(sqlite3* db) {
  int rc = Exec(db, "BEGIN IMMEDIATE");
  if (rc != SQLITE_OK) {
    return rc;
  }
  std::int64_t objects = 0;
  if (!ScalarInt(db, "SELECT count(*) FROM sqlite_schema", objects, rc)) {
    Exec(db, "ROLLBACK");
    return rc;
  }
  if (objects == 0) {
    rc = Exec(db, kSchema);
    Statement root(db, "INSERT INTO reg_key(hroot, name, fold) VALUES (?1, ?2, ?2)");
    for (const auto& row : kRoots) {
      if (rc != SQLITE_OK) {
        break;
      }
      root.Reset();
      root.Bind(1, std::int64_t{row.handle}).Bind(2, std::string_view(row.name));
      rc = root.Run();
    }
    if (rc == SQLITE_OK) {
      const std::string pragmas = "PRAGMA application_id = " + std::to_string(kApplicationId) +
                                  "; PRAGMA user_version = " + std::to_string(kSchemaVersion);
      rc = Exec(db, pragmas.c_str());
    }
    if (rc != SQLITE_OK) {
      Exec(db, "ROLLBACK");
      return rc;
    }
  }
  return Exec(db, "COMMIT");
}

Attempt TryOpen(const std::string& location) {
  sqlite3* raw = nullptr;
  int rc = sqlite3_open_v2(location.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                           nullptr);
  SqliteHandle db(raw);
  if (rc != SQLITE_OK) {
    return Fail(raw, rc);
  }
  sqlite3_extended_result_codes(raw, 1);
  sqlite3_busy_timeout(raw, kBusyTimeoutMs);
  Exec(raw, "PRAGMA foreign_keys = ON");

  // Garbage in the file shows up here, on the first read of its header.
  // Nothing is written before the file has proven to be ours (or empty).
  std::int64_t appId = 0;
  if (!ScalarInt(raw, "PRAGMA application_id", appId, rc)) {
    return Fail(raw, rc);
  }
  {
    Statement check(raw, "PRAGMA quick_check");
    rc = check.Step();
    if (rc != SQLITE_ROW) {
      return Fail(raw, rc);
    }
    if (check.Text(0) != "ok") {
      return Refuse(Verdict::Damaged, "integrity check failed: " + check.Text(0));
    }
  }
  std::int64_t objects = 0;
  if (!ScalarInt(raw, "SELECT count(*) FROM sqlite_schema", objects, rc)) {
    return Fail(raw, rc);
  }
  if (appId != kApplicationId && !(appId == 0 && objects == 0)) {
    return Refuse(Verdict::Damaged, "not a Fegolin registry hive");
  }

  // Readers and the one writer of several processes do not block each other.
  std::string journal;
  {
    Statement mode(raw, "PRAGMA journal_mode");
    if (mode.Step() == SQLITE_ROW) {
      journal = mode.Text(0);
    }
  }
  if (journal != "wal" && journal != "memory") {
    Statement wal(raw, "PRAGMA journal_mode = WAL");
    rc = wal.Step();
    if (rc != SQLITE_ROW) {
      return Fail(raw, rc);
    }
  }
  // With a write-ahead log this still never corrupts the file; a power cut
  // may only cost the last changes, which settings can afford.
  Exec(raw, "PRAGMA synchronous = NORMAL");
  if (appId == 0) {
    rc = CreateSchema(raw);
    if (rc != SQLITE_OK) {
      return Fail(raw, rc);
    }
  }

  std::int64_t version = 0;
  if (!ScalarInt(raw, "PRAGMA user_version", version, rc)) {
    return Fail(raw, rc);
  }
  if (version > kSchemaVersion) {
    return Refuse(Verdict::Unusable, "the hive was written by a newer version of Fegolin");
  }
  std::int64_t roots = 0;
  const auto readable = [raw](const char* sql) {
    const int step = Statement(raw, sql).Step();
    return step == SQLITE_ROW || step == SQLITE_DONE;
  };
  if (version != kSchemaVersion ||
      !readable("SELECT id, parent, hroot, name, fold FROM reg_key") ||
      !readable("SELECT id, key, name, fold, type, data FROM reg_value") ||
      !ScalarInt(raw, "SELECT count(*) FROM reg_key WHERE parent IS NULL", roots, rc) ||
      roots != static_cast<std::int64_t>(kRoots.size())) {
    return Refuse(Verdict::Damaged, "the hive's tables are incomplete");
  }
  return {Verdict::Ready, std::move(db), {}};
}

bool Exists(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0;
}

enum class Move : std::uint8_t { Done, TargetTaken, Failed };

// Moves `from` to `to` unless `to` exists: link() refuses an existing name,
// where rename() would silently replace it.
Move MoveWithoutReplacing(const std::string& from, const std::string& to) {
  if (::link(from.c_str(), to.c_str()) == 0) {
    return ::unlink(from.c_str()) == 0 ? Move::Done : Move::Failed;
  }
  if (errno == EEXIST || Exists(to)) {
    return Move::TargetTaken;
  }
  // File systems without hard links: the name was free a moment ago.
  return ::rename(from.c_str(), to.c_str()) == 0 ? Move::Done : Move::Failed;
}

std::string Timestamp() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  ::localtime_r(&now, &local);
  std::array<char, 32> text{};
  std::strftime(text.data(), text.size(), "%Y%m%d-%H%M%S", &local);
  return text.data();
}

// Moves the damaged file and its journal files to one free name with a
// timestamp. The journal files go too: a stale write-ahead log next to a
// fresh database would be replayed into it.
std::optional<std::string> MoveAside(const std::string& location) {
  const std::string base = location + ".damaged-" + Timestamp();
  for (int attempt = 1; attempt < 100; ++attempt) {
    const std::string target = attempt == 1 ? base : base + "-" + std::to_string(attempt);
    if (Exists(target + "-wal") || Exists(target + "-shm")) {
      continue;
    }
    const Move moved = MoveWithoutReplacing(location, target);
    if (moved == Move::TargetTaken) {
      continue;
    }
    if (moved == Move::Failed) {
      return std::nullopt;
    }
    for (const char* suffix : {"-wal", "-shm"}) {
      const std::string companion = location + suffix;
      if (Exists(companion) && MoveWithoutReplacing(companion, target + suffix) != Move::Done) {
        return std::nullopt;
      }
    }
    return target;
  }
  return std::nullopt;
}

OpenedHive Unusable(const std::string& location, const std::string& reason) {
  return {nullptr, "cannot open the registry hive " + location + ": " + reason};
}

} // namespace

OpenedHive OpenHiveDatabase(const std::string& location) {
  Attempt first = TryOpen(location);
  if (first.verdict == Verdict::Ready) {
    return {std::move(first.db), {}};
  }
  if (first.verdict == Verdict::Unusable || location == ":memory:") {
    return Unusable(location, first.reason);
  }
  const auto aside = MoveAside(location);
  if (aside) {
    std::fprintf(stderr,
                 "fegolin: the registry hive %s is damaged (%s); it was moved to %s and a fresh "
                 "hive was started\n",
                 location.c_str(), first.reason.c_str(), aside->c_str());
  } else if (Exists(location)) {
    return Unusable(location, first.reason + "; it could not be moved aside");
  }
  // (A file that vanished was just moved aside by another process.)
  Attempt fresh = TryOpen(location);
  if (fresh.verdict != Verdict::Ready) {
    return Unusable(location, fresh.reason);
  }
  return {std::move(fresh.db), {}};
}

} // namespace fegolin::platform::posix
