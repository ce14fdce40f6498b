#include "tests/support/ScopedHive.h"

#include <sqlite3.h>

#include <cstdlib>
#include <optional>
#include <stdexcept>

namespace fegolin::test {

struct ScopedHive::State {
  std::filesystem::path path;
  std::optional<std::string> previous;
};

ScopedHive::ScopedHive() : state_(std::make_unique<State>()) {
  state_->path = tree_.path("registry.db");
  if (const char* before = std::getenv("FEGOLIN_REGISTRY")) {
    state_->previous = before;
  }
  ::setenv("FEGOLIN_REGISTRY", state_->path.c_str(), 1);
  platform::ReopenProcessRegistry();
  if (const std::string problem = registry().Problem(); !problem.empty()) {
    throw std::runtime_error("cannot open the test hive: " + problem);
  }
}

ScopedHive::~ScopedHive() {
  if (state_->previous) {
    ::setenv("FEGOLIN_REGISTRY", state_->previous->c_str(), 1);
  } else {
    ::unsetenv("FEGOLIN_REGISTRY");
  }
  platform::ReopenProcessRegistry();
}

const std::filesystem::path& ScopedHive::path() const {
  return state_->path;
}

platform::Registry& ScopedHive::registry() const {
  return platform::ProcessRegistry();
}

void ScopedHive::ExecuteSql(const std::string& sql) const {
  sqlite3* db = nullptr;
  int rc = sqlite3_open_v2(state_->path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
  char* message = nullptr;
  if (rc == SQLITE_OK) {
    sqlite3_busy_timeout(db, 5000);
    rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &message);
  }
  const std::string error = message != nullptr ? message : sqlite3_errstr(rc);
  sqlite3_free(message);
  sqlite3_close_v2(db);
  if (rc != SQLITE_OK) {
    throw std::runtime_error("SQL on the test hive failed: " + error);
  }
}

void IsolateProcessRegistry() {}

} // namespace fegolin::test
