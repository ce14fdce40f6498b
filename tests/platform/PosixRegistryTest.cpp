// The POSIX registry backend on real hive files.

#include "platform/posix/PosixRegistry.h"

#include "tests/support/ScopedHive.h"
#include "tests/support/EnvironmentOverride.h"
#include "tests/support/TempTree.h"
#include "tests/support/UnwritablePlace.h"

#include <sqlite3.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace fegolin::platform {
namespace {

using test::EnvironmentOverride;

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

INSTANTIATE_TEST_SUITE_P(Kinds, PosixRegistryValueTest,
                         testing::Values(StoredValue{"empty_binary", kRegBinary, {}},
                                         StoredValue{"text_with_nuls", kRegSz, {'a', 0, 'b', 0}},
                                         StoredValue{"dword", kRegDword, {0x2a, 0, 0, 0x80}},
                                         StoredValue{
                                             "qword_kept_raw", 11, {1, 2, 3, 4, 5, 6, 7, 8}},
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
    ASSERT_EQ(theirs->SetValue("t" + std::to_string(round), kRegDword, Bytes("0000")),
              RegStatus::Ok);
    ASSERT_EQ(mine->SetValue("m" + std::to_string(round), kRegDword, Bytes("0000")), RegStatus::Ok);
  }
  EXPECT_EQ(ValueNames(*mine).size(), 41U);
}

// A hive file with one value, closed so the file holds everything.
void WriteHiveWithAValue(const std::filesystem::path& path) {
  auto registry = posix::OpenHive(path.string());
  ASSERT_EQ(Create(*registry, "Software\\Kept")->SetValue("v", kRegSz, Bytes("old")),
            RegStatus::Ok);
}

std::string ReadValue(Registry& registry) {
  auto key = OpenKey(registry, kRegCurrentUser, "Software\\Kept", RegOpenMode::Open);
  RegValue value;
  if (!key || key->QueryValue("v", value) != RegStatus::Ok) {
    return "-";
  }
  return {value.data.begin(), value.data.end()};
}

bool Writes(Registry& registry) {
  auto key = Create(registry, "Software\\New");
  return key && key->SetValue("w", kRegSz, Bytes("x")) == RegStatus::Ok;
}

struct ForeignFile {
  const char* label;
  // Made when the test runs: the test folders do not exist before main().
  std::string (*content)();
};

class PosixRegistryForeignFileTest : public testing::TestWithParam<ForeignFile> {};

// Only a hive of ours is ever moved aside or written: whatever else lies at
// the hive's place stays exactly as it is, whoever opens it.
TEST_P(PosixRegistryForeignFileTest, IsLeftAloneWhateverTheAccess) {
  test::TempTree tree;
  const auto path = tree.file("registry.db", GetParam().content());
  const std::string before = ReadFile(path);
  for (const RegAccess access : {RegAccess::ReadWrite, RegAccess::ReadOnly}) {
    auto registry = posix::OpenHive(path.string(), access);
    EXPECT_NE(registry->Problem().find("is not a Fegolin registry hive"), std::string::npos)
        << registry->Problem();
    EXPECT_FALSE(registry->OpenRoot(kRegCurrentUser));
  }
  // The window goes on with defaults in memory, and says why.
  auto window = posix::OpenHive(path.string(), RegAccess::BestEffort);
  EXPECT_EQ(window->Problem(), "");
  EXPECT_TRUE(Writes(*window));
  EXPECT_NE(window->StorageProblem().find("is not a Fegolin registry hive"), std::string::npos)
      << window->StorageProblem();
  window.reset();
  EXPECT_TRUE(ReadFile(path) == before) << "the file is not touched";
  EXPECT_TRUE(DamagedCopies(path).empty());
}

std::string ForeignDatabase() {
  test::TempTree tree;
  const auto path = tree.path("foreign.db");
  WriteHiveWithAValue(path);
  std::string bytes = ReadFile(path);
  // Clear the application id in the header (offset 68) so the file is an
  // SQLite database of some other program.
  bytes.replace(68, 4, std::string(4, '\0'));
  return bytes;
}

INSTANTIATE_TEST_SUITE_P(
    Files, PosixRegistryForeignFileTest,
    testing::Values(ForeignFile{"garbage", [] { return std::string(4096, '\x5a'); }},
                    ForeignFile{"text", [] { return std::string("not a database\n"); }},
                    ForeignFile{"truncated_header",
                                [] { return std::string("SQLite format 3\0\x10\x00", 18); }},
                    ForeignFile{"foreign_database", ForeignDatabase}),
    [](const auto& test) { return std::string(test.param.label); });

struct DamagedHive {
  const char* label;
  void (*spoil)(const std::filesystem::path& hive);
};

class PosixRegistryDamagedTest : public testing::TestWithParam<DamagedHive> {};

// A damaged hive of ours is moved aside for a fresh one where the registry
// may write; a registry that only reads leaves it in place.
TEST_P(PosixRegistryDamagedTest, IsMovedAsideOnlyByARegistryThatWrites) {
  test::TempTree tree;
  const auto path = tree.path("registry.db");
  WriteHiveWithAValue(path);
  GetParam().spoil(path);
  const std::string content = ReadFile(path);

  auto reader = posix::OpenHive(path.string(), RegAccess::ReadOnly);
  EXPECT_NE(reader->Problem().find("left as it is"), std::string::npos) << reader->Problem();
  reader.reset();
  EXPECT_TRUE(DamagedCopies(path).empty());

  testing::internal::CaptureStderr();
  auto writer = posix::OpenHive(path.string(), RegAccess::ReadWrite);
  const std::string message = testing::internal::GetCapturedStderr();
  ASSERT_EQ(writer->Problem(), "");
  EXPECT_TRUE(Writes(*writer));
  const auto copies = DamagedCopies(path);
  ASSERT_EQ(copies.size(), 1U);
  EXPECT_TRUE(ReadFile(copies[0]) == content) << "the damaged file is kept untouched";
  EXPECT_NE(message.find("damaged"), std::string::npos) << message;
  EXPECT_NE(message.find(copies[0].string()), std::string::npos) << message;
}

void OverwriteTablePages(const std::filesystem::path& hive) {
  std::fstream file(hive, std::ios::binary | std::ios::in | std::ios::out);
  file.seekp(4096);
  file << std::string(8192, '\x5a');
}

void DropValueTable(const std::filesystem::path& hive) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(hive.c_str(), &db), SQLITE_OK);
  EXPECT_EQ(sqlite3_exec(db, "DROP TABLE reg_value", nullptr, nullptr, nullptr), SQLITE_OK);
  sqlite3_close(db);
}

INSTANTIATE_TEST_SUITE_P(Hives, PosixRegistryDamagedTest,
                         testing::Values(DamagedHive{"pages_overwritten", OverwriteTablePages},
                                         DamagedHive{"table_missing", DropValueTable}),
                         [](const auto& test) { return std::string(test.param.label); });

TEST(PosixRegistryTest, TheWindowsRegistryIsAnOrdinaryHiveWhereItCanBe) {
  test::TempTree tree;
  const auto path = tree.path("registry.db");
  {
    auto registry = posix::OpenHive(path.string(), RegAccess::BestEffort);
    EXPECT_EQ(registry->Problem(), "");
    EXPECT_EQ(registry->StorageProblem(), "");
    EXPECT_TRUE(Writes(*registry));
  }
  auto again = posix::OpenHive(path.string(), RegAccess::ReadOnly);
  EXPECT_TRUE(OpenKey(*again, kRegCurrentUser, "Software\\New", RegOpenMode::Open));
}

TEST(PosixRegistryTest, ReadingCreatesNothingAndChangesNothing) {
  test::TempTree tree;
  // No hive yet: it reads as empty, and neither the file nor its folder
  // comes into being.
  const auto missing = tree.path("config/fegolin/registry.db");
  {
    auto registry = posix::OpenHive(missing.string(), RegAccess::ReadOnly);
    EXPECT_EQ(registry->Problem(), "");
    EXPECT_TRUE(registry->OpenRoot(kRegCurrentUser));
    EXPECT_FALSE(Writes(*registry));
  }
  EXPECT_FALSE(std::filesystem::exists(tree.path("config")));

  const auto path = tree.path("registry.db");
  WriteHiveWithAValue(path);
  const std::string before = ReadFile(path);
  {
    auto registry = posix::OpenHive(path.string(), RegAccess::ReadOnly);
    EXPECT_EQ(ReadValue(*registry), "old");
    EXPECT_FALSE(Writes(*registry));
    EXPECT_FALSE(registry->BeginTransaction()->Commit());
  }
  EXPECT_TRUE(ReadFile(path) == before);
  EXPECT_FALSE(std::filesystem::exists(path.string() + "-wal")) << "the log is tidied away";
}

// Where nothing can be written, the hive is still read: by a registry that
// only reads as if nothing were wrong, by the window's registry with the
// reason why its changes are not kept. A registry that must write says why
// it cannot.
class PosixRegistryUnwritableTest : public testing::TestWithParam<test::Unwritable> {};

TEST_P(PosixRegistryUnwritableTest, TheHiveIsReadWhereNothingCanBeWritten) {
  test::TempTree tree;
  const auto place = tree.path("place");
  const auto source = tree.path("registry.db");
  WriteHiveWithAValue(source);
  const auto report = tree.path("report");
  const int code = test::RunWithUnwritable(
      place, GetParam(), [&] { std::filesystem::copy_file(source, place / "registry.db"); },
      [&] {
        std::ofstream out(report);
        for (const RegAccess access :
             {RegAccess::ReadWrite, RegAccess::ReadOnly, RegAccess::BestEffort}) {
          auto registry = posix::OpenHive((place / "registry.db").string(), access);
          out << (registry->Problem().empty() ? "usable" : "unusable") << ' '
              << ReadValue(*registry) << ' ' << (Writes(*registry) ? "writes" : "refuses") << ' '
              << (registry->StorageProblem().empty() ? "stored" : "not-stored") << '\n';
        }
        return 0;
      });
  if (code == test::kNoMountHere) {
    GTEST_SKIP() << "mounting is not permitted here";
  }
  ASSERT_EQ(code, 0);
  EXPECT_EQ(ReadFile(report), "unusable - refuses not-stored\n"
                              "usable old refuses not-stored\n"
                              "usable old refuses not-stored\n");
}

INSTANTIATE_TEST_SUITE_P(Places, PosixRegistryUnwritableTest,
                         testing::Values(test::Unwritable::DiskFull, test::Unwritable::ReadOnly),
                         [](const auto& test) {
                           return test.param == test::Unwritable::DiskFull ? "DiskFull"
                                                                           : "ReadOnly";
                         });

TEST(PosixRegistryTest, ASnapshotKeepsOneStateWhileAnotherConnectionChangesIt) {
  ScopedHive hive;
  ASSERT_EQ(Create(hive.registry(), "Software\\Kept")->SetValue("v", kRegSz, Bytes("old")),
            RegStatus::Ok);
  ASSERT_TRUE(Create(hive.registry(), "Software\\Gone"));
  auto other = posix::OpenHive(hive.path().string());

  auto snapshot = hive.registry().BeginSnapshot();
  EXPECT_EQ(ReadValue(hive.registry()), "old");
  ASSERT_EQ(Create(*other, "Software\\Kept")->SetValue("v", kRegSz, Bytes("new")), RegStatus::Ok);
  ASSERT_EQ(DeleteKeyTree(*other->OpenRoot(kRegCurrentUser), "Software\\Gone"), RegStatus::Ok);
  EXPECT_EQ(ReadValue(hive.registry()), "old");
  EXPECT_TRUE(OpenKey(hive.registry(), kRegCurrentUser, "Software\\Gone", RegOpenMode::Open));
  EXPECT_FALSE(Writes(hive.registry())) << "a snapshot does not write";
  EXPECT_TRUE(snapshot->Commit());

  EXPECT_EQ(ReadValue(hive.registry()), "new");
  EXPECT_FALSE(OpenKey(hive.registry(), kRegCurrentUser, "Software\\Gone", RegOpenMode::Open));
}

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

TEST(PosixRegistryTest, TheHiveLivesInTheConfigFolderUnlessNamedExplicitly) {
  test::TempTree tree;
  const EnvironmentOverride noExplicitHive("FEGOLIN_REGISTRY", nullptr);
  const EnvironmentOverride home("HOME", tree.path("home").c_str());
  {
    const EnvironmentOverride config("XDG_CONFIG_HOME", tree.path("config").c_str());
    EXPECT_EQ(posix::HiveLocation(posix::HiveFolder::Keep),
              tree.path("config/fegolin/registry.db").string());
    EXPECT_FALSE(std::filesystem::exists(tree.path("config/fegolin")));
    EXPECT_EQ(posix::HiveLocation(posix::HiveFolder::Create),
              tree.path("config/fegolin/registry.db").string());
    EXPECT_TRUE(std::filesystem::is_directory(tree.path("config/fegolin")));
  }
  {
    const EnvironmentOverride relative("XDG_CONFIG_HOME", "relative/config");
    EXPECT_EQ(posix::HiveLocation(posix::HiveFolder::Create),
              tree.path("home/.config/fegolin/registry.db").string());
  }
  const EnvironmentOverride explicitHive("FEGOLIN_REGISTRY", ":memory:");
  EXPECT_EQ(posix::HiveLocation(posix::HiveFolder::Create), ":memory:");
}

} // namespace
} // namespace fegolin::platform
