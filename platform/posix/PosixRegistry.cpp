#include "platform/posix/PosixRegistry.h"

#include "platform/posix/HiveFile.h"
#include "platform/posix/RegNames.h"
#include "platform/posix/SqliteDb.h"

#include <sqlite3.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <system_error>
#include <utility>
#include <vector>

#include <pwd.h>
#include <unistd.h>

namespace fegolin::platform::posix {
namespace {

// The database connection shared by the registry object, its open keys and
// its transactions, with the transaction nesting state.
class HiveConnection {
public:
  HiveConnection(SqliteHandle db, std::string problem, std::string storageProblem)
      : db_(std::move(db)), problem_(std::move(problem)),
        storageProblem_(std::move(storageProblem)) {}

  [[nodiscard]] sqlite3* db() const { return db_.get(); }
  [[nodiscard]] const std::string& problem() const { return problem_; }
  [[nodiscard]] const std::string& lastFailure() const {
    return lastFailure_.empty() ? problem_ : lastFailure_;
  }
  [[nodiscard]] const std::string& storageProblem() const {
    return problem_.empty() ? storageProblem_ : problem_;
  }

  void Begin() {
    if (depth_++ == 0) {
      // IMMEDIATE takes the write lock at once: a transaction that starts as
      // a reader and later needs to write could be refused half-way.
      active_ = db() != nullptr && Exec(db(), "BEGIN IMMEDIATE") == SQLITE_OK;
      doomed_ = !active_;
      if (doomed_) {
        NoteFailure();
      }
    }
  }

  // A read transaction: with the write-ahead log it sees the state of its
  // first read until it ends, whatever other connections commit meanwhile,
  // and it blocks none of them.
  void BeginSnapshot() {
    if (depth_++ == 0) {
      active_ = db() != nullptr && Exec(db(), "BEGIN DEFERRED") == SQLITE_OK;
      doomed_ = !active_;
      reading_ = active_;
    }
  }

  // Ends one level; only the outermost commits. True when the changes are
  // kept (for an inner level: when nothing has failed so far).
  bool End(bool commit) {
    --depth_;
    if (!commit) {
      doomed_ = true;
    }
    if (depth_ > 0) {
      return !doomed_;
    }
    bool kept = active_ && !doomed_ && Exec(db(), "COMMIT") == SQLITE_OK;
    if (active_ && !doomed_ && !kept) {
      NoteFailure();
    }
    // SQLite may already have rolled back by itself after some errors.
    if (!kept && db() != nullptr && sqlite3_get_autocommit(db()) == 0) {
      Exec(db(), "ROLLBACK");
    }
    active_ = false;
    doomed_ = false;
    reading_ = false;
    return kept;
  }

  // Runs one change in the open transaction, or in one of its own. A failed
  // change dooms the open transaction; after that nothing more is tried.
  template <class Change> RegStatus Apply(Change&& change) {
    // A snapshot does not turn into a writer: the write could only be
    // refused once another connection has committed since its first read.
    if (db() == nullptr || (depth_ > 0 && (doomed_ || reading_))) {
      return RegStatus::Failed;
    }
    Begin();
    const RegStatus status = doomed_ ? RegStatus::Failed : change();
    if (status == RegStatus::Failed && !doomed_) {
      NoteFailure();
    }
    const bool kept = End(status != RegStatus::Failed);
    return kept ? status : RegStatus::Failed;
  }

private:
  // Taken at once: a rollback afterwards replaces the connection's message.
  // A change refused for the hive's own reasons (a key that still has
  // subkeys) leaves no message on the connection.
  void NoteFailure() {
    const int code = db() != nullptr ? sqlite3_errcode(db()) : SQLITE_OK;
    if (db() == nullptr) {
      lastFailure_ = problem_;
    } else if (code != SQLITE_OK && code != SQLITE_ROW && code != SQLITE_DONE) {
      lastFailure_ = sqlite3_errmsg(db());
    } else {
      lastFailure_ = "the registry refused the change";
    }
  }

  SqliteHandle db_;
  std::string problem_;
  std::string lastFailure_;
  std::string storageProblem_;
  int depth_ = 0;
  bool active_ = false;
  bool doomed_ = false;
  bool reading_ = false;
};

struct PathPart {
  std::string name;
  std::string fold;
};

// The key names of a path; nothing when one of them is not allowed.
std::optional<std::vector<PathPart>> SplitPath(std::string_view path) {
  if (!path.empty() && path.back() == '\\') {
    path.remove_suffix(1);
  }
  std::vector<PathPart> parts;
  std::size_t start = 0;
  while (!path.empty()) {
    const std::size_t end = path.find('\\', start);
    const std::string_view name =
        path.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
    auto fold = FoldKeyName(name);
    if (!fold || parts.size() == static_cast<std::size_t>(kMaxKeyDepth)) {
      return std::nullopt;
    }
    parts.push_back({std::string(name), std::move(*fold)});
    if (end == std::string_view::npos) {
      break;
    }
    start = end + 1;
  }
  return parts;
}

RegStatus StepStatus(int rc) {
  if (rc == SQLITE_ROW) {
    return RegStatus::Ok;
  }
  return rc == SQLITE_DONE ? RegStatus::NotFound : RegStatus::Failed;
}

class HiveKey final : public RegKey {
public:
  HiveKey(std::shared_ptr<HiveConnection> connection, std::int64_t id)
      : conn_(std::move(connection)), id_(id) {}

  std::unique_ptr<RegKey> OpenKey(std::string_view path, RegOpenMode mode) override {
    const auto parts = SplitPath(path);
    if (!parts || !Alive(id_)) {
      return nullptr;
    }
    // Most opens find every key in place and need no write lock.
    if (auto id = Walk(*parts)) {
      return std::make_unique<HiveKey>(conn_, *id);
    }
    if (mode == RegOpenMode::Open) {
      return nullptr;
    }
    std::int64_t created = 0;
    const RegStatus status = conn_->Apply([&] { return Create(*parts, created); });
    if (status != RegStatus::Ok) {
      return nullptr;
    }
    return std::make_unique<HiveKey>(conn_, created);
  }

  RegStatus QueryValue(std::string_view name, RegValue& value) override {
    const auto fold = FoldValueName(name);
    if (!fold) {
      return RegStatus::Failed;
    }
    Statement query(db(), "SELECT type, data FROM reg_value WHERE key = ?1 AND fold = ?2");
    query.Bind(1, id_).Bind(2, *fold);
    const RegStatus status = StepStatus(query.Step());
    if (status == RegStatus::Ok) {
      value.type = static_cast<RegType>(query.Int(0));
      value.data = query.Blob(1);
    }
    return status;
  }

  RegStatus SetValue(std::string_view name, RegType type,
                     std::span<const std::uint8_t> data) override {
    const auto fold = FoldValueName(name);
    if (!fold) {
      return RegStatus::Failed;
    }
    return conn_->Apply([&] {
      // An update keeps the value's place and its first spelling.
      Statement upsert(
          db(), "INSERT INTO reg_value(key, name, fold, type, data) VALUES (?1, ?2, ?3, ?4, ?5) "
                "ON CONFLICT(key, fold) DO UPDATE SET type = excluded.type, "
                "data = excluded.data");
      upsert.Bind(1, id_)
          .Bind(2, name)
          .Bind(3, *fold)
          .Bind(4, std::int64_t{type})
          .BindBlob(5, data);
      return upsert.Run() == SQLITE_OK ? RegStatus::Ok : RegStatus::Failed;
    });
  }

  RegStatus DeleteValue(std::string_view name) override {
    const auto fold = FoldValueName(name);
    if (!fold) {
      return RegStatus::Failed;
    }
    return conn_->Apply([&] {
      Statement erase(db(), "DELETE FROM reg_value WHERE key = ?1 AND fold = ?2");
      erase.Bind(1, id_).Bind(2, *fold);
      if (erase.Run() != SQLITE_OK) {
        return RegStatus::Failed;
      }
      return sqlite3_changes(db()) > 0 ? RegStatus::Ok : RegStatus::NotFound;
    });
  }

  RegStatus EnumKey(std::uint32_t index, std::string& name) override {
    Statement query(db(),
                    "SELECT name FROM reg_key WHERE parent = ?1 ORDER BY fold LIMIT 1 OFFSET ?2");
    query.Bind(1, id_).Bind(2, std::int64_t{index});
    const RegStatus status = StepStatus(query.Step());
    if (status == RegStatus::Ok) {
      name = query.Text(0);
    }
    return status;
  }

  RegStatus EnumValue(std::uint32_t index, std::string& name, RegValue& value) override {
    Statement query(db(), "SELECT name, type, data FROM reg_value WHERE key = ?1 "
                          "ORDER BY id LIMIT 1 OFFSET ?2");
    query.Bind(1, id_).Bind(2, std::int64_t{index});
    const RegStatus status = StepStatus(query.Step());
    if (status == RegStatus::Ok) {
      name = query.Text(0);
      value.type = static_cast<RegType>(query.Int(1));
      value.data = query.Blob(2);
    }
    return status;
  }

  RegStatus DeleteKey(std::string_view path) override {
    const auto parts = SplitPath(path);
    if (!parts || parts->empty()) {
      return RegStatus::Failed;
    }
    const auto target = Walk(*parts);
    if (!target) {
      return RegStatus::NotFound;
    }
    return conn_->Apply([&] {
      Statement children(db(), "SELECT count(*) FROM reg_key WHERE parent = ?1");
      children.Bind(1, *target);
      if (children.Step() != SQLITE_ROW || children.Int(0) != 0) {
        return RegStatus::Failed;
      }
      // The values go with the key (ON DELETE CASCADE).
      Statement erase(db(), "DELETE FROM reg_key WHERE id = ?1");
      erase.Bind(1, *target);
      if (erase.Run() != SQLITE_OK) {
        return RegStatus::Failed;
      }
      return sqlite3_changes(db()) > 0 ? RegStatus::Ok : RegStatus::NotFound;
    });
  }

private:
  [[nodiscard]] sqlite3* db() const { return conn_->db(); }

  [[nodiscard]] bool Alive(std::int64_t id) const {
    Statement query(db(), "SELECT 1 FROM reg_key WHERE id = ?1");
    query.Bind(1, id);
    return query.Step() == SQLITE_ROW;
  }

  [[nodiscard]] std::optional<std::int64_t> Child(std::int64_t parent,
                                                  const std::string& fold) const {
    Statement query(db(), "SELECT id FROM reg_key WHERE parent = ?1 AND fold = ?2");
    query.Bind(1, parent).Bind(2, fold);
    if (query.Step() != SQLITE_ROW) {
      return std::nullopt;
    }
    return query.Int(0);
  }

  [[nodiscard]] std::optional<std::int64_t> Walk(const std::vector<PathPart>& parts) const {
    std::int64_t id = id_;
    for (const auto& part : parts) {
      const auto child = Child(id, part.fold);
      if (!child) {
        return std::nullopt;
      }
      id = *child;
    }
    return id;
  }

  // Levels between the key and its root (0 for a root).
  [[nodiscard]] std::int64_t Depth() const {
    Statement query(db(),
                    "WITH RECURSIVE up(id, parent) AS ("
                    " SELECT id, parent FROM reg_key WHERE id = ?1"
                    " UNION ALL SELECT k.id, k.parent FROM reg_key k JOIN up ON k.id = up.parent)"
                    " SELECT count(*) - 1 FROM up");
    query.Bind(1, id_);
    return query.Step() == SQLITE_ROW ? query.Int(0) : kMaxKeyDepth;
  }

  // Inside the write transaction: walk again (another process may have
  // changed the tree since the first look) and add what is missing.
  RegStatus Create(const std::vector<PathPart>& parts, std::int64_t& created) {
    if (!Alive(id_) || Depth() + static_cast<std::int64_t>(parts.size()) > kMaxKeyDepth) {
      return RegStatus::Failed;
    }
    std::int64_t id = id_;
    for (const auto& part : parts) {
      if (const auto child = Child(id, part.fold)) {
        id = *child;
        continue;
      }
      Statement insert(db(), "INSERT INTO reg_key(parent, name, fold) VALUES (?1, ?2, ?3)");
      insert.Bind(1, id).Bind(2, part.name).Bind(3, part.fold);
      if (insert.Run() != SQLITE_OK) {
        return RegStatus::Failed;
      }
      id = sqlite3_last_insert_rowid(db());
    }
    created = id;
    return RegStatus::Ok;
  }

  std::shared_ptr<HiveConnection> conn_;
  std::int64_t id_;
};

enum class Purpose : std::uint8_t { Change, Read };

class HiveTransaction final : public RegTransaction {
public:
  HiveTransaction(std::shared_ptr<HiveConnection> connection, Purpose purpose)
      : conn_(std::move(connection)) {
    if (purpose == Purpose::Read) {
      conn_->BeginSnapshot();
    } else {
      conn_->Begin();
    }
  }
  ~HiveTransaction() override {
    if (!ended_) {
      conn_->End(false);
    }
  }
  HiveTransaction(const HiveTransaction&) = delete;
  HiveTransaction& operator=(const HiveTransaction&) = delete;

  bool Commit() override {
    if (ended_) {
      return false;
    }
    ended_ = true;
    return conn_->End(true);
  }

private:
  std::shared_ptr<HiveConnection> conn_;
  bool ended_ = false;
};

class HiveRegistry final : public Registry {
public:
  explicit HiveRegistry(std::shared_ptr<HiveConnection> connection)
      : conn_(std::move(connection)) {}

  std::unique_ptr<RegKey> OpenRoot(RegRoot root) override {
    if (conn_->db() == nullptr) {
      return nullptr;
    }
    Statement query(conn_->db(), "SELECT id FROM reg_key WHERE parent IS NULL AND hroot = ?1");
    query.Bind(1, std::int64_t{root});
    if (query.Step() != SQLITE_ROW) {
      return nullptr;
    }
    return std::make_unique<HiveKey>(conn_, query.Int(0));
  }

  std::unique_ptr<RegTransaction> BeginTransaction() override {
    return std::make_unique<HiveTransaction>(conn_, Purpose::Change);
  }

  std::unique_ptr<RegTransaction> BeginSnapshot() override {
    return std::make_unique<HiveTransaction>(conn_, Purpose::Read);
  }

  [[nodiscard]] std::string Problem() const override { return conn_->problem(); }
  [[nodiscard]] std::string LastFailure() const override { return conn_->lastFailure(); }

  [[nodiscard]] std::string StorageProblem() const override { return conn_->storageProblem(); }

private:
  std::shared_ptr<HiveConnection> conn_;
};

std::unique_ptr<Registry>& ProcessSlot() {
  static std::unique_ptr<Registry> slot;
  return slot;
}

RegAccess& ProcessAccess() {
  static RegAccess access = RegAccess::ReadWrite;
  return access;
}

std::string HomeFolder() {
  if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
    return home;
  }
  if (const passwd* entry = ::getpwuid(::getuid()); entry != nullptr && entry->pw_dir != nullptr) {
    return entry->pw_dir;
  }
  return {};
}

} // namespace

std::unique_ptr<Registry> OpenHive(const std::string& location, RegAccess access) {
  OpenedHive opened;
  if (location.empty()) {
    const std::string noHome =
        "there is no home folder for the registry hive; set FEGOLIN_REGISTRY";
    if (access == RegAccess::BestEffort) {
      opened = OpenHiveDatabase(":memory:", access);
      opened.storageProblem = noHome;
    } else {
      opened.problem = noHome;
    }
  } else {
    opened = OpenHiveDatabase(location, access);
  }
  return std::make_unique<HiveRegistry>(std::make_shared<HiveConnection>(
      std::move(opened.db), std::move(opened.problem), std::move(opened.storageProblem)));
}

std::string HiveLocation(HiveFolder folder) {
  if (const char* explicitPath = std::getenv("FEGOLIN_REGISTRY");
      explicitPath != nullptr && *explicitPath != '\0') {
    return explicitPath;
  }
  std::filesystem::path config;
  // Relative values are to be ignored, says the base directory convention.
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME");
      xdg != nullptr && *xdg != '\0' && std::filesystem::path(xdg).is_absolute()) {
    config = xdg;
  } else {
    const std::string home = HomeFolder();
    if (home.empty()) {
      return {};
    }
    config = std::filesystem::path(home) / ".config";
  }
  const auto own = config / "fegolin";
  if (folder == HiveFolder::Create) {
    std::error_code ec;
    std::filesystem::create_directories(own, ec);
  }
  return (own / "registry.db").string();
}

} // namespace fegolin::platform::posix

namespace fegolin::platform {

Registry& ProcessRegistry() {
  auto& slot = posix::ProcessSlot();
  if (!slot) {
    const RegAccess access = posix::ProcessAccess();
    // Only a registry that may write makes the folder its hive will be in.
    const auto folder =
        access == RegAccess::ReadOnly ? posix::HiveFolder::Keep : posix::HiveFolder::Create;
    slot = posix::OpenHive(posix::HiveLocation(folder), access);
  }
  return *slot;
}

RegAccess SetProcessRegistryAccess(RegAccess access) {
  const RegAccess before = std::exchange(posix::ProcessAccess(), access);
  if (before != access) {
    posix::ProcessSlot().reset();
  }
  return before;
}

void ReopenProcessRegistry() {
  posix::ProcessSlot().reset();
}

} // namespace fegolin::platform
