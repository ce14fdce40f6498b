#pragma once

#include "tests/support/TempTree.h"

#include "platform/Registry.h"

#include <filesystem>
#include <memory>
#include <string>

namespace fegolin::test {

// Points this process's registry at a fresh, empty hive for as long as it
// lives; afterwards the registry used before comes back. On POSIX that is a
// hive file in a folder of its own (and then CTest's in-memory hive, empty
// again); on Windows every predefined root is redirected into a scratch key
// that goes away with the object.
class ScopedHive {
public:
  ScopedHive();
  ~ScopedHive();
  ScopedHive(const ScopedHive&) = delete;
  ScopedHive& operator=(const ScopedHive&) = delete;

  // The hive file (POSIX; Windows keeps no file of its own: empty there).
  [[nodiscard]] const std::filesystem::path& path() const;
  // A folder of its own, for companion files of a test.
  [[nodiscard]] const TempTree& tree() const { return tree_; }
  // The process registry, now on this hive.
  [[nodiscard]] platform::Registry& registry() const;
  // Runs SQL on the hive file through a connection of its own, the way
  // another process would; for tests that make the real hive refuse a change
  // (a trigger that raises an error) or look beneath the registry interface.
  // POSIX only: throws on Windows.
  void ExecuteSql(const std::string& sql) const;

private:
  struct State;
  TempTree tree_;
  std::unique_ptr<State> state_;
};

// From the call on, the hive refuses every write of a value called `name`
// with `reason`, as a full disk or a read-only hive would; AllowWrites()
// ends that. POSIX only, like ExecuteSql.
inline void RefuseWritesOf(const ScopedHive& hive, const std::string& name,
                           const std::string& reason = "database or disk is full") {
  for (const char* change : {"INSERT", "UPDATE"}) {
    hive.ExecuteSql(std::string("CREATE TRIGGER refuse_") + change + " BEFORE " + change +
                    " ON reg_value WHEN NEW.name = '" + name + "' BEGIN SELECT RAISE(ABORT, '" +
                    reason + "'); END;");
  }
}

inline void AllowWrites(const ScopedHive& hive) {
  hive.ExecuteSql("DROP TRIGGER refuse_INSERT; DROP TRIGGER refuse_UPDATE;");
}

// Points the registry of the whole test process at a scratch hive before
// the first test runs. POSIX: CTest's FEGOLIN_REGISTRY=:memory: does that
// already. Windows: the predefined roots are redirected into a scratch key.
void IsolateProcessRegistry();

} // namespace fegolin::test
