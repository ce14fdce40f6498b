#pragma once

#include "tests/support/TempTree.h"

#include "platform/Registry.h"

#include <filesystem>
#include <optional>
#include <string>

namespace fegolin::test {

// Points this process's registry at a fresh hive file in a folder of its
// own for as long as it lives; afterwards the registry named before (the
// in-memory hive CTest sets up) comes back, empty again.
class ScopedHive {
public:
  ScopedHive();
  ~ScopedHive();
  ScopedHive(const ScopedHive&) = delete;
  ScopedHive& operator=(const ScopedHive&) = delete;

  // The hive file.
  [[nodiscard]] const std::filesystem::path& path() const { return path_; }
  // The folder it lives in, for companion files of a test.
  [[nodiscard]] const TempTree& tree() const { return tree_; }
  // The process registry, now on this hive.
  [[nodiscard]] platform::Registry& registry() const;
  // Runs SQL on the hive file through a connection of its own, the way
  // another process would; for tests that make the real hive refuse a change
  // (a trigger that raises an error) or look beneath the registry interface.
  void ExecuteSql(const std::string& sql) const;

private:
  TempTree tree_;
  std::filesystem::path path_;
  std::optional<std::string> previous_;
};

} // namespace fegolin::test
