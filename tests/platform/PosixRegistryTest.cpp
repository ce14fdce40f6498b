// The POSIX registry backend on real hive files.

#include "platform/posix/PosixRegistry.h"

#include "tests/support/ScopedHive.h"
#include "tests/support/TempTree.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace fegolin::platform {
namespace {

using test::ScopedHive;

std::vector<std::uint8_t> Bytes(std::string_view text) {
  return {text.begin(), text.end()};
}

std::unique_ptr<RegKey> Create(Registry& registry, std::string_view path) {
  return OpenKey(registry, kRegCurrentUser, path, RegOpenMode::Create);
}

std::vector<std::string> SubkeyNames(RegKey& key) {
  std::vector<std::string> names;
  std::string name;
  while (key.EnumKey(static_cast<std::uint32_t>(names.size()), name) == RegStatus::Ok) {
    names.push_back(name);
  }
  return names;
}

std::vector<std::string> ValueNames(RegKey& key) {
  std::vector<std::string> names;
  std::string name;
  RegValue value;
  while (key.EnumValue(static_cast<std::uint32_t>(names.size()), name, value) == RegStatus::Ok) {
    names.push_back(name);
  }
  return names;
}

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

std::vector<std::filesystem::path> DamagedCopies(const std::filesystem::path& hive) {
  std::vector<std::filesystem::path> found;
  for (const auto& entry : std::filesystem::directory_iterator(hive.parent_path())) {
    const std::string name = entry.path().filename().string();
    if (name.starts_with(hive.filename().string() + ".damaged-")) {
      found.push_back(entry.path());
    }
  }
  return found;
}

TEST(PosixRegistryTest, KeyAndValueNamesIgnoreCaseAndKeepTheFirstSpelling) {
  ScopedHive hive;
  auto first = Create(hive.registry(), "Software\\Norvalt\\Ärger");
  ASSERT_TRUE(first);
  ASSERT_EQ(first->SetValue("Display Name 0", kRegSz, Bytes("a")), RegStatus::Ok);

  auto again = Create(hive.registry(), "SOFTWARE\\norvalt\\äRGER");
  ASSERT_TRUE(again);
  ASSERT_EQ(again->SetValue("DISPLAY name 0", kRegSz, Bytes("b")), RegStatus::Ok);

  RegValue value;
  ASSERT_EQ(first->QueryValue("display NAME 0", value), RegStatus::Ok);
  EXPECT_EQ(value.data, Bytes("b"));
  EXPECT_EQ(ValueNames(*first), std::vector<std::string>{"Display Name 0"});
  auto software = Create(hive.registry(), "software");
  EXPECT_EQ(SubkeyNames(*software), std::vector<std::string>{"Norvalt"});
  auto norvalt = Create(hive.registry(), "Software\\Norvalt");
  EXPECT_EQ(SubkeyNames(*norvalt), std::vector<std::string>{"Ärger"});
}

struct StoredValue {
  const char* label;
  RegType type;
  std::vector<std::uint8_t> data;
};

class PosixRegistryValueTest : public testing::TestWithParam<StoredValue> {};

TEST_P(PosixRegistryValueTest, KeepsTypeAndExactBytesAcrossReopening) {
  ScopedHive hive;
  const StoredValue& stored = GetParam();
  ASSERT_EQ(Create(hive.registry(), "Software\\T")->SetValue("v", stored.type, stored.data),
            RegStatus::Ok);
  ReopenProcessRegistry();
  RegValue value;
  ASSERT_EQ(Create(hive.registry(), "Software\\T")->QueryValue("v", value), RegStatus::Ok);
  EXPECT_EQ(value.type, stored.type);
  EXPECT_EQ(value.data, stored.data);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, PosixRegistryValueTest,
    testing::Values(StoredValue{"empty_binary", kRegBinary, {}},
                    StoredValue{"text_with_nuls", kRegSz, {'a', 0, 'b', 0}},
                    StoredValue{"dword", kRegDword, {0x2a, 0, 0, 0x80}},
                    StoredValue{"qword_kept_raw", 11, {1, 2, 3, 4, 5, 6, 7, 8}},
                    StoredValue{"type_beyond_the_known", 0xFFFF0001u, {0xff}},
                    StoredValue{"not_utf8", kRegSz, {0xC3, 0x28, 0xFF, 0}}),
    [](const auto& test) { return std::string(test.param.label); });

TEST(PosixRegistryTest, SubkeysComeInNameOrderAndValuesInCreationOrder) {
  ScopedHive hive;
  auto key = Create(hive.registry(), "Software\\Order");
  for (const char* name : {"b", "C", "a"}) {
    ASSERT_TRUE(key->OpenKey(name, RegOpenMode::Create));
    ASSERT_EQ(key->SetValue(name, kRegSz, Bytes("x")), RegStatus::Ok);
  }
  // Replacing a value keeps its place.
  ASSERT_EQ(key->SetValue("B", kRegDword, Bytes("1234")), RegStatus::Ok);
  EXPECT_EQ(SubkeyNames(*key), (std::vector<std::string>{"a", "b", "C"}));
  EXPECT_EQ(ValueNames(*key), (std::vector<std::string>{"b", "C", "a"}));
}

TEST(PosixRegistryTest, DeleteKeyRefusesKeysWithSubkeysAndTakesTheValuesAlong) {
  ScopedHive hive;
  auto parent = Create(hive.registry(), "Software\\P");
  auto child = parent->OpenKey("child\\grandchild", RegOpenMode::Create);
  ASSERT_EQ(child->SetValue("v", kRegSz, Bytes("x")), RegStatus::Ok);

  EXPECT_EQ(parent->DeleteKey("child"), RegStatus::Failed);
  EXPECT_EQ(parent->DeleteKey("child\\grandchild"), RegStatus::Ok);
  EXPECT_EQ(parent->DeleteKey("child\\grandchild"), RegStatus::NotFound);
  EXPECT_EQ(parent->DeleteKey("CHILD"), RegStatus::Ok);
  EXPECT_FALSE(parent->OpenKey("child", RegOpenMode::Open));
  // The stale handle neither writes into nothing nor into a newer key of the
  // same name.
  auto recreated = parent->OpenKey("child\\grandchild", RegOpenMode::Create);
  EXPECT_EQ(child->SetValue("w", kRegSz, Bytes("y")), RegStatus::Failed);
  EXPECT_EQ(ValueNames(*recreated), std::vector<std::string>{});
}

TEST(PosixRegistryTest, DeleteKeyTreeRemovesNestedKeysAndIgnoresMissingOnes) {
  ScopedHive hive;
  auto root = hive.registry().OpenRoot(kRegCurrentUser);
  for (const char* path : {"Software\\Tree\\a\\b\\c", "Software\\Tree\\a\\d", "Software\\Tree\\e",
                           "Software\\Other"}) {
    ASSERT_EQ(Create(hive.registry(), path)->SetValue("v", kRegSz, Bytes("x")), RegStatus::Ok);
  }
  EXPECT_EQ(DeleteKeyTree(*root, "Software\\Tree"), RegStatus::Ok);
  EXPECT_EQ(DeleteKeyTree(*root, "Software\\Tree"), RegStatus::NotFound);
  EXPECT_EQ(SubkeyNames(*Create(hive.registry(), "Software")), std::vector<std::string>{"Other"});
}

TEST(PosixRegistryTest, RefusesNamesTheRegistryDoesNotAllow) {
  ScopedHive hive;
  auto key = Create(hive.registry(), "Software");
  EXPECT_FALSE(key->OpenKey("a\\\\b", RegOpenMode::Create)) << "empty key name";
  EXPECT_FALSE(key->OpenKey("tab\there", RegOpenMode::Create)) << "control character";
  EXPECT_FALSE(key->OpenKey(std::string(256, 'k'), RegOpenMode::Create)) << "256 characters";
  EXPECT_TRUE(key->OpenKey(std::string(255, 'k'), RegOpenMode::Create));
  EXPECT_FALSE(key->OpenKey("\xC3\x28", RegOpenMode::Create)) << "not UTF-8";
  EXPECT_EQ(key->SetValue("line\nbreak", kRegSz, Bytes("x")), RegStatus::Failed);
  EXPECT_TRUE(key->OpenKey("one trailing separator\\", RegOpenMode::Create));

  std::string deep;
  for (int level = 1; level < 512; ++level) {
    deep += "k\\";
  }
  // "Software" is the first level below the root.
  EXPECT_TRUE(key->OpenKey(deep, RegOpenMode::Create));
  EXPECT_FALSE(key->OpenKey(deep + "k", RegOpenMode::Create)) << "deeper than 512 levels";
}

TEST(PosixRegistryTest, TransactionKeepsAllChangesOnCommitAndNoneOtherwise) {
  ScopedHive hive;
  auto key = Create(hive.registry(), "Software\\Tx");
  {
    auto transaction = hive.registry().BeginTransaction();
    ASSERT_EQ(key->SetValue("a", kRegSz, Bytes("1")), RegStatus::Ok);
    ASSERT_TRUE(key->OpenKey("sub", RegOpenMode::Create));
  }
  EXPECT_EQ(ValueNames(*key), std::vector<std::string>{});
  EXPECT_EQ(SubkeyNames(*key), std::vector<std::string>{});

  auto transaction = hive.registry().BeginTransaction();
  ASSERT_EQ(key->SetValue("a", kRegSz, Bytes("1")), RegStatus::Ok);
  ASSERT_TRUE(key->OpenKey("sub", RegOpenMode::Create));
  EXPECT_TRUE(transaction->Commit());
  EXPECT_FALSE(transaction->Commit()) << "a second commit has nothing to commit";
  EXPECT_EQ(ValueNames(*key), std::vector<std::string>{"a"});
  EXPECT_EQ(SubkeyNames(*key), std::vector<std::string>{"sub"});
}

TEST(PosixRegistryTest, AFailedChangeDoomsTheWholeTransaction) {
  ScopedHive hive;
  auto key = Create(hive.registry(), "Software\\Tx");
  ASSERT_EQ(key->SetValue("old", kRegSz, Bytes("kept")), RegStatus::Ok);
  // The hive refuses the second new value, as a full disk or a broken file
  // would refuse a change half-way through.
  hive.ExecuteSql("CREATE TRIGGER refuse BEFORE INSERT ON reg_value WHEN NEW.name = 'n2' "
                  "BEGIN SELECT RAISE(ABORT, 'refused'); END");

  auto transaction = hive.registry().BeginTransaction();
  EXPECT_EQ(key->DeleteValue("old"), RegStatus::Ok);
  EXPECT_EQ(key->SetValue("n1", kRegSz, Bytes("1")), RegStatus::Ok);
  EXPECT_EQ(key->SetValue("n2", kRegSz, Bytes("2")), RegStatus::Failed);
  EXPECT_EQ(key->SetValue("n3", kRegSz, Bytes("3")), RegStatus::Failed) << "doomed: not tried";
  EXPECT_FALSE(transaction->Commit());

  EXPECT_EQ(ValueNames(*key), std::vector<std::string>{"old"});
  // Outside the transaction the next change stands on its own again.
  EXPECT_EQ(key->SetValue("n1", kRegSz, Bytes("1")), RegStatus::Ok);
}

TEST(PosixRegistryTest, AnInnerTransactionEndingUncommittedDoomsTheOuterOne) {
  ScopedHive hive;
  auto key = Create(hive.registry(), "Software\\Tx");
  auto outer = hive.registry().BeginTransaction();
  ASSERT_EQ(key->SetValue("a", kRegSz, Bytes("1")), RegStatus::Ok);
  {
    auto inner = hive.registry().BeginTransaction();
    ASSERT_EQ(key->SetValue("b", kRegSz, Bytes("2")), RegStatus::Ok);
  }
  EXPECT_FALSE(outer->Commit());
  EXPECT_EQ(ValueNames(*key), std::vector<std::string>{});
}

TEST(PosixRegistryTest, TwoConnectionsShareOneHive) {
  ScopedHive hive;
  auto other = posix::OpenHive(hive.path().string());
  ASSERT_EQ(other->Problem(), "");
  auto mine = Create(hive.registry(), "Software\\Shared");
  auto theirs = Create(*other, "Software\\Shared");
  ASSERT_TRUE(mine && theirs);

  {
    auto transaction = hive.registry().BeginTransaction();
    ASSERT_EQ(mine->SetValue("v", kRegSz, Bytes("new")), RegStatus::Ok);
    RegValue value;
    EXPECT_EQ(theirs->QueryValue("v", value), RegStatus::NotFound)
        << "an open transaction is invisible to others";
    ASSERT_TRUE(transaction->Commit());
    ASSERT_EQ(theirs->QueryValue("v", value), RegStatus::Ok);
    EXPECT_EQ(value.data, Bytes("new"));
  }
  // Both write in turn without tripping over the other's lock.
  for (int round = 0; round < 20; ++round) {
    ASSERT_EQ(theirs->SetValue("t" + std::to_string(round), kRegDword, Bytes("0000")), RegStatus::Ok);
    ASSERT_EQ(mine->SetValue("m" + std::to_string(round), kRegDword, Bytes("0000")), RegStatus::Ok);
  }
  EXPECT_EQ(ValueNames(*mine).size(), 41U);
}

struct DamagedFile {
  const char* label;
  // Made when the test runs: the test folders do not exist before main().
  std::string (*content)();
};

class PosixRegistryDamagedTest : public testing::TestWithParam<DamagedFile> {};

TEST_P(PosixRegistryDamagedTest, IsMovedAsideAndAFreshHiveStarts) {
  ScopedHive hive;
  ReopenProcessRegistry(); // let go of the hive file before spoiling it
  std::filesystem::remove(hive.path());
  const std::string content = GetParam().content();
  {
    std::ofstream out(hive.path(), std::ios::binary);
    out << content;
  }
  testing::internal::CaptureStderr();
  auto key = Create(hive.registry(), "Software\\Fresh");
  const std::string message = testing::internal::GetCapturedStderr();

  ASSERT_TRUE(key) << hive.registry().Problem();
  EXPECT_EQ(key->SetValue("v", kRegSz, Bytes("x")), RegStatus::Ok);
  const auto copies = DamagedCopies(hive.path());
  ASSERT_EQ(copies.size(), 1U);
  EXPECT_TRUE(ReadFile(copies[0]) == content) << "the damaged file is kept untouched";
  EXPECT_NE(message.find("damaged"), std::string::npos) << message;
  EXPECT_NE(message.find(copies[0].string()), std::string::npos) << message;
}

std::string ForeignDatabase() {
  test::TempTree tree;
  const auto path = tree.path("foreign.db");
  {
    auto hive = posix::OpenHive(path.string()); // a hive file, then made foreign below
  }
  std::string bytes = ReadFile(path);
  // Clear the application id in the header (offset 68) so the file is an
  // SQLite database of some other program.
  bytes.replace(68, 4, std::string(4, '\0'));
  return bytes;
}

INSTANTIATE_TEST_SUITE_P(
    Files, PosixRegistryDamagedTest,
    testing::Values(
        DamagedFile{"garbage", [] { return std::string(4096, '\x5a'); }},
        DamagedFile{"short_garbage", [] { return std::string("not a database"); }},
        DamagedFile{"truncated_header",
                    [] { return std::string("SQLite format 3\0\x10\x00", 18); }},
        DamagedFile{"foreign_database", ForeignDatabase}),
    [](const auto& test) { return std::string(test.param.label); });

TEST(PosixRegistryTest, AHiveThatCannotBeOpenedReportsWhyAndRefusesEverything) {
  test::TempTree tree;
  auto registry = posix::OpenHive(tree.path("missing-folder/registry.db").string());
  EXPECT_NE(registry->Problem().find("missing-folder"), std::string::npos) << registry->Problem();
  EXPECT_FALSE(registry->OpenRoot(kRegCurrentUser));
  EXPECT_FALSE(registry->BeginTransaction()->Commit());
}

TEST(PosixRegistryTest, AHiveOfANewerVersionIsLeftAlone) {
  ScopedHive hive;
  ReopenProcessRegistry(); // closed, so the file holds everything
  hive.ExecuteSql("PRAGMA user_version = 2");
  const std::string before = ReadFile(hive.path());
  EXPECT_NE(hive.registry().Problem().find("newer version"), std::string::npos);
  EXPECT_TRUE(DamagedCopies(hive.path()).empty());
  EXPECT_TRUE(ReadFile(hive.path()) == before) << "the file is not touched";
}

class EnvironmentOverride {
public:
  EnvironmentOverride(const char* name, const char* value) : name_(name) {
    if (const char* before = std::getenv(name)) {
      previous_ = before;
    }
    if (value != nullptr) {
      ::setenv(name, value, 1);
    } else {
      ::unsetenv(name);
    }
  }
  ~EnvironmentOverride() {
    if (previous_) {
      ::setenv(name_, previous_->c_str(), 1);
    } else {
      ::unsetenv(name_);
    }
  }
  EnvironmentOverride(const EnvironmentOverride&) = delete;
  EnvironmentOverride& operator=(const EnvironmentOverride&) = delete;

private:
  const char* name_;
  std::optional<std::string> previous_;
};

TEST(PosixRegistryTest, TheHiveLivesInTheConfigFolderUnlessNamedExplicitly) {
  test::TempTree tree;
  const EnvironmentOverride noExplicitHive("FEGOLIN_REGISTRY", nullptr);
  const EnvironmentOverride home("HOME", tree.path("home").c_str());
  {
    const EnvironmentOverride config("XDG_CONFIG_HOME", tree.path("config").c_str());
    EXPECT_EQ(posix::HiveLocation(), tree.path("config/fegolin/registry.db").string());
    EXPECT_TRUE(std::filesystem::is_directory(tree.path("config/fegolin")));
  }
  {
    const EnvironmentOverride relative("XDG_CONFIG_HOME", "relative/config");
    EXPECT_EQ(posix::HiveLocation(), tree.path("home/.config/fegolin/registry.db").string());
  }
  const EnvironmentOverride explicitHive("FEGOLIN_REGISTRY", ":memory:");
  EXPECT_EQ(posix::HiveLocation(), ":memory:");
}

} // namespace
} // namespace fegolin::platform
