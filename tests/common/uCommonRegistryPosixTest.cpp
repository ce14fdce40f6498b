// The registry routines on the POSIX hive: a hive that cannot be opened and
// a hive that refuses a change half-way through a transaction.

#include "common/uCommon.h"

#include "platform/Registry.h"
#include "tests/common/FolderListSupport.h"
#include "tests/support/ScopedHive.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace fegolin {
namespace {

using test::FolderListNames;
using test::kFolderListKey;
using test::SaveFolderList;
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

TEST(uCommonRegistryPosixTest, AListSaveThatFailsHalfWayLeavesThePreviousList) {
  ScopedHive hive;
  SaveFolderList(kRoot, {"a", "b", "c"});
  hive.ExecuteSql("CREATE TRIGGER refuse BEFORE INSERT ON reg_value "
                  "WHEN NEW.name = 'Directory 1' BEGIN SELECT RAISE(ABORT, 'disk full'); END");
  {
    RegTransaction transaction;
    SaveFolderList(kRoot, {"x", "y", "z"});
    EXPECT_FALSE(transaction.Commit());
  }
  EXPECT_EQ(FolderListNames(kRoot), (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_EQ(ReadRegValue(kRoot, kFolderListKey, "Directory 2", TFieldType::ftString),
            RegVariant(std::string("/tmp/c")));
}

} // namespace
} // namespace fegolin
