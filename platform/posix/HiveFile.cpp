#include "platform/posix/HiveFile.h"

#include "platform/Registry.h"

#include <sqlite3.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
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

enum class Verdict : std::uint8_t {
  Ready,
  Empty,    // a database without anything in it (opened without creating)
  Damaged,  // a hive of ours that SQLite cannot read or that lacks its tables
  Foreign,  // not a hive of ours: another program's database, text, ...
  Unusable, // cannot be opened or read as things are (access, disk, version)
};

// How a connection is opened.
enum class Connect : std::uint8_t {
  Create,    // read and write, creating the file and the schema when missing
  Existing,  // an existing file, read and write at the file level but
             // refusing every change (query_only): the connection still
             // keeps the write-ahead log tidy, as a writer would
  ReadOnly,  // an existing file, read only (mode=ro)
  Immutable, // an existing file that nobody changes (immutable=1): reads it
             // without the write-ahead log's index and without locks
};

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

// A file URI for SQLite: everything but the plain characters of a path
// percent-encoded, so '?', '#' and '%' in a name stay part of it.
std::string FileUri(const std::string& path, const char* query) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string uri = "file:";
  for (const char c : path) {
    const auto byte = static_cast<unsigned char>(c);
    const bool plain = (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') ||
                       (byte >= '0' && byte <= '9') || c == '/' || c == '-' || c == '_' ||
                       c == '.' || c == '~';
    if (plain) {
      uri += c;
    } else {
      uri += '%';
      uri += kDigits[byte >> 4];
      uri += kDigits[byte & 0xf];
    }
  }
  return uri + '?' + query;
}

// Whether the file's own header names it a hive of ours. Asked only about
// files SQLite cannot use, to tell a damaged hive from somebody else's file.
bool HeaderSaysOurs(const std::string& location) {
  std::array<unsigned char, 100> header{};
  std::FILE* file = std::fopen(location.c_str(), "rb");
  if (file == nullptr) {
    return false;
  }
  const std::size_t got = std::fread(header.data(), 1, header.size(), file);
  std::fclose(file);
  static constexpr char kMagic[] = "SQLite format 3";
  if (got < header.size() || std::memcmp(header.data(), kMagic, sizeof kMagic) != 0) {
    return false;
  }
  const std::int64_t id =
      (std::int64_t{header[68]} << 24) | (header[69] << 16) | (header[70] << 8) | header[71];
  return id == kApplicationId;
}

Attempt Connection(const std::string& location, Connect how) {
  sqlite3* raw = nullptr;
  int rc = SQLITE_OK;
  switch (how) {
  case Connect::Create:
    rc = sqlite3_open_v2(location.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                         nullptr);
    break;
  case Connect::Existing:
    rc = sqlite3_open_v2(location.c_str(), &raw, SQLITE_OPEN_READWRITE, nullptr);
    break;
  case Connect::ReadOnly:
    rc = sqlite3_open_v2(FileUri(location, "mode=ro").c_str(), &raw,
                         SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, nullptr);
    break;
  case Connect::Immutable:
    rc = sqlite3_open_v2(FileUri(location, "immutable=1").c_str(), &raw,
                         SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, nullptr);
    break;
  }
  SqliteHandle db(raw);
  if (rc != SQLITE_OK) {
    return Fail(raw, rc);
  }
  sqlite3_extended_result_codes(raw, 1);
  sqlite3_busy_timeout(raw, kBusyTimeoutMs);
  Exec(raw, "PRAGMA foreign_keys = ON");
  if (how == Connect::Existing) {
    rc = Exec(raw, "PRAGMA query_only = ON");
    if (rc != SQLITE_OK) {
      return Fail(raw, rc);
    }
  }
  return {Verdict::Ready, std::move(db), {}};
}

Attempt TryOpen(const std::string& location, Connect how) {
  Attempt opened = Connection(location, how);
  if (opened.verdict != Verdict::Ready) {
    return opened;
  }
  sqlite3* raw = opened.db.get();
  int rc = SQLITE_OK;

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
  if (appId == 0 && objects == 0 && how != Connect::Create) {
    return {Verdict::Empty, std::move(opened.db), {}};
  }
  if (appId != kApplicationId && !(appId == 0 && objects == 0)) {
    return Refuse(Verdict::Foreign, "another program's database");
  }

  if (how == Connect::Create) {
    // Readers and the one writer of several processes do not block each
    // other.
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
    // With a write-ahead log this still never corrupts the file; a power
    // cut may only cost the last changes, which settings can afford.
    Exec(raw, "PRAGMA synchronous = NORMAL");
    if (appId == 0) {
      rc = CreateSchema(raw);
      if (rc != SQLITE_OK) {
        return Fail(raw, rc);
      }
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
  if (version != kSchemaVersion || !readable("SELECT id, parent, hroot, name, fold FROM reg_key") ||
      !readable("SELECT id, key, name, fold, type, data FROM reg_value") ||
      !ScalarInt(raw, "SELECT count(*) FROM reg_key WHERE parent IS NULL", roots, rc) ||
      roots != static_cast<std::int64_t>(kRoots.size())) {
    return Refuse(Verdict::Damaged, "the hive's tables are incomplete");
  }
  return opened;
}

// TryOpen, and a file that SQLite cannot read counts as damaged only when
// its header says it is a hive of ours.
Attempt Examine(const std::string& location, Connect how) {
  Attempt attempt = TryOpen(location, how);
  if (attempt.verdict == Verdict::Damaged && !HeaderSaysOurs(location)) {
    attempt.verdict = Verdict::Foreign;
  }
  return attempt;
}

bool Exists(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0;
}

// Nothing is there (as opposed to something that cannot be looked at).
bool Missing(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) != 0 && (errno == ENOENT || errno == ENOTDIR);
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

std::string HiveAt(const std::string& location) {
  return "the registry hive " + location;
}

OpenedHive Unusable(const std::string& location, const std::string& reason) {
  return {nullptr, "cannot open " + HiveAt(location) + ": " + reason, {}};
}

std::string LeftAlone(const std::string& location, const Attempt& attempt) {
  return location + " is not a Fegolin registry hive (" + attempt.reason +
         "); it was left as it is";
}

// An empty hive in memory, for a registry that has nothing to read or
// cannot use its file. `readOnly` keeps it as unchangeable as the hive it
// stands in for.
OpenedHive InMemory(bool readOnly, std::string storageProblem) {
  Attempt memory = TryOpen(":memory:", Connect::Create);
  if (memory.verdict != Verdict::Ready) {
    return Unusable(":memory:", memory.reason);
  }
  if (readOnly) {
    Exec(memory.db.get(), "PRAGMA query_only = ON");
  }
  return {std::move(memory.db), {}, std::move(storageProblem)};
}

bool WalIsEmpty(const std::string& location) {
  struct stat st {};
  return ::lstat((location + "-wal").c_str(), &st) != 0 || st.st_size == 0;
}

// Reads an existing file where it cannot be written: on a full disk or in a
// read-only folder the write-ahead log's index cannot be made, which a
// plain read-only connection needs too. Then only an immutable connection
// reads, and only while no log holds changes that are not in the file yet
// (where nothing can be written, nobody else can change the file either).
Attempt OpenForReadingOnly(const std::string& location) {
  Attempt attempt = Examine(location, Connect::ReadOnly);
  if (attempt.verdict == Verdict::Unusable && WalIsEmpty(location)) {
    Attempt immutable = Examine(location, Connect::Immutable);
    if (immutable.verdict != Verdict::Unusable) {
      return immutable;
    }
  }
  return attempt;
}

OpenedHive OpenToRead(const std::string& location) {
  const std::string kept = "the registry is opened for reading only";
  if (Missing(location)) {
    return InMemory(true, kept);
  }
  Attempt attempt = Examine(location, Connect::Existing);
  if (attempt.verdict == Verdict::Unusable) {
    Attempt fallback = OpenForReadingOnly(location);
    if (fallback.verdict != Verdict::Unusable) {
      attempt = std::move(fallback);
    }
  }
  switch (attempt.verdict) {
  case Verdict::Ready:
    return {std::move(attempt.db), {}, kept};
  case Verdict::Empty:
    return InMemory(true, kept);
  case Verdict::Foreign:
    return {nullptr, LeftAlone(location, attempt), {}};
  case Verdict::Damaged:
    return Unusable(location, attempt.reason + "; it was left as it is");
  case Verdict::Unusable:
    break;
  }
  return Unusable(location, attempt.reason);
}

// Opens the hive for writing, creating it when missing and moving a damaged
// hive of ours aside for a fresh one. Anything else comes back as it is.
Attempt OpenToWrite(const std::string& location) {
  Attempt first = Examine(location, Connect::Create);
  if (first.verdict != Verdict::Damaged) {
    return first;
  }
  const auto aside = MoveAside(location);
  if (aside) {
    std::fprintf(stderr,
                 "fegolin: the registry hive %s is damaged (%s); it was moved to %s and a fresh "
                 "hive was started\n",
                 location.c_str(), first.reason.c_str(), aside->c_str());
  } else if (Exists(location)) {
    first.verdict = Verdict::Unusable;
    first.reason += "; it could not be moved aside";
    return first;
  }
  // (A file that vanished was just moved aside by another process.)
  Attempt fresh = Examine(location, Connect::Create);
  if (fresh.verdict == Verdict::Damaged) {
    fresh.verdict = Verdict::Unusable;
  }
  return fresh;
}

bool ReadOnlyFile(const Attempt& attempt) {
  return sqlite3_db_readonly(attempt.db.get(), "main") == 1;
}

OpenedHive OpenForWriting(const std::string& location) {
  Attempt attempt = OpenToWrite(location);
  if (attempt.verdict == Verdict::Foreign) {
    return {nullptr, LeftAlone(location, attempt), {}};
  }
  if (attempt.verdict != Verdict::Ready) {
    return Unusable(location, attempt.reason);
  }
  if (ReadOnlyFile(attempt)) {
    return Unusable(location, "the file is read-only");
  }
  return {std::move(attempt.db), {}, {}};
}

OpenedHive OpenAsFarAsPossible(const std::string& location) {
  Attempt attempt = OpenToWrite(location);
  if (attempt.verdict == Verdict::Ready) {
    std::string readOnly =
        ReadOnlyFile(attempt) ? HiveAt(location) + " is read-only" : std::string();
    return {std::move(attempt.db), {}, std::move(readOnly)};
  }
  if (attempt.verdict == Verdict::Foreign) {
    return InMemory(false, LeftAlone(location, attempt));
  }
  const std::string unwritable = HiveAt(location) + " cannot be written (" + attempt.reason + ")";
  if (Missing(location)) {
    return InMemory(false, unwritable);
  }
  Attempt reader = OpenForReadingOnly(location);
  switch (reader.verdict) {
  case Verdict::Ready:
    return {std::move(reader.db), {}, unwritable};
  case Verdict::Empty:
    return InMemory(true, unwritable);
  case Verdict::Foreign:
    return InMemory(false, LeftAlone(location, reader));
  case Verdict::Damaged:
  case Verdict::Unusable:
    break;
  }
  return InMemory(false, "cannot open " + HiveAt(location) + ": " + attempt.reason);
}

} // namespace

OpenedHive OpenHiveDatabase(const std::string& location, RegAccess access) {
  if (location == ":memory:") {
    return InMemory(access == RegAccess::ReadOnly, {});
  }
  switch (access) {
  case RegAccess::ReadWrite:
    return OpenForWriting(location);
  case RegAccess::ReadOnly:
    return OpenToRead(location);
  case RegAccess::BestEffort:
    break;
  }
  return OpenAsFarAsPossible(location);
}

} // namespace fegolin::platform::posix
