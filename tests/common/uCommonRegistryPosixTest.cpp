// The registry routines on the POSIX hive: a hive that cannot be opened and
// a hive that refuses a change half-way through a transaction.

#include "common/uCommon.h"

#include "platform/Registry.h"
#include "tests/support/ScopedHive.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace fegolin {
namespace {

using test::ScopedHive;

constexpr RegRoot kRoot = kCurrentUserRoot;
constexpr std::string_view kKey = "\\Software\\Norvalt\\Fegolin";

TEST(uCommonRegistryPosixTest, AnUnusableHiveGivesTheFallbacksWithoutThrowing) {
  ScopedHive hive;
  ::setenv("FEGOLIN_REGISTRY", hive.tree().path("no-such-folder/registry.db").c_str(), 1);
  platform::ReopenProcessRegistry();
  ASSERT_NE(platform::ProcessRegistry().Problem(), "");

  EXPECT_FALSE(KeyExists(kRoot, kKey));
  EXPECT_FALSE(WriteRegValue(kRoot, kKey, "v", 1, TFieldType::ftInteger));
  EXPECT_EQ(ReadRegValueDef(kRoot, kKey, "v", 3, TFieldType::ftInteger), RegVariant(3));
  EXPECT_EQ(ReadRegValue(kRoot, kKey, "v", TFieldType::ftInteger), RegVariant(std::string()));
  DeleteRegKey(kRoot, kKey);
  DeleteRegValue(kRoot, kKey, "v");
  RegTransaction transaction;
  EXPECT_FALSE(transaction.Commit());
}

constexpr std::string_view kPaths = "\\Software\\Norvalt\\Fegolin\\Paths";

// The folder list as the settings store saves it: the old key goes, the new
// entries are written.
void SaveList(const std::vector<std::string>& names) {
  DeleteRegKey(kRoot, kPaths);
  for (std::size_t i = 0; i < names.size(); ++i) {
    const std::string n = std::to_string(i);
    WriteRegValue(kRoot, kPaths, "Display Name " + n, names[i], TFieldType::ftString);
    WriteRegValue(kRoot, kPaths, "Directory " + n, "/tmp/" + names[i], TFieldType::ftString);
    WriteRegValue(kRoot, kPaths, "State " + n, true, TFieldType::ftBoolean);
  }
}

std::vector<std::string> LoadedNames() {
  std::vector<std::string> names;
  for (int i = 0;; ++i) {
    const auto name = ReadRegValue(kRoot, kPaths, "Display Name " + std::to_string(i),
                                   TFieldType::ftString);
    if (std::get<std::string>(name).empty()) {
      return names;
    }
    names.push_back(std::get<std::string>(name));
  }
}

TEST(uCommonRegistryPosixTest, AListSaveThatFailsHalfWayLeavesThePreviousList) {
  ScopedHive hive;
  SaveList({"a", "b", "c"});
  hive.ExecuteSql("CREATE TRIGGER refuse BEFORE INSERT ON reg_value "
                  "WHEN NEW.name = 'Directory 1' BEGIN SELECT RAISE(ABORT, 'disk full'); END");
  {
    RegTransaction transaction;
    SaveList({"x", "y", "z"});
    EXPECT_FALSE(transaction.Commit());
  }
  EXPECT_EQ(LoadedNames(), (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_EQ(ReadRegValue(kRoot, kPaths, "Directory 2", TFieldType::ftString),
            RegVariant(std::string("/tmp/c")));
}

} // namespace
} // namespace fegolin
