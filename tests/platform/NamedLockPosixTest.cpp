// The named objects on POSIX: the units of a killed holder, the folder the
// objects live in, and what other accounts can (not) do to them.

#include "platform/NamedLock.h"

#include "tests/support/PosixHolder.h"
#include "tests/support/SystemSupport.h"
#include "tests/support/EnvironmentOverride.h"
#include "tests/support/TempTree.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace fegolin::platform {
namespace {

using test::EnvironmentOverride;

namespace fs = std::filesystem;

class Child : public test::ChildProcess {
public:
  explicit Child(const std::vector<std::string>& args) : ChildProcess(NAMED_LOCK_CHILD, args) {}
  std::string Report() { return ReadLine(); }
};

std::string UniqueName(const char* what) {
  return std::string("NamedLockPosixTest ") + what + " " +
         ::testing::UnitTest::GetInstance()->current_test_info()->name();
}

constexpr std::int32_t kMax = 65535;

TEST(NamedSemaphore, UnitsOfAKilledHolderAreFreeAgain) {
  const std::string name = UniqueName("sem");
  Child holder({"sem", name, "1"});
  ASSERT_EQ(holder.Report(), "taken");
  holder.Kill();
  // With one unit only, this Wait would never return if the dead child
  // still held it.
  auto own = CreateNamedSemaphore(name, 1);
  ASSERT_TRUE(own);
  EXPECT_TRUE(own->Wait());
  std::int32_t previous = -1;
  EXPECT_TRUE(own->Release(previous));
  EXPECT_EQ(previous, 0);
}

constexpr uid_t kNobody = 65534;

// The named objects of a test in folders of its own: a temp folder that
// other accounts may use too (mode 1777, as /tmp), a home folder, and no
// $XDG_RUNTIME_DIR unless the test sets one.
class LockFolders : public ::testing::Test {
protected:
  LockFolders()
      : temp_(tree_.dir("tmp")), home_(tree_.dir("home")), tmpdir_("TMPDIR", temp_.c_str()),
        homeVar_("HOME", home_.c_str()), cache_("XDG_CACHE_HOME", nullptr),
        runtime_("XDG_RUNTIME_DIR", nullptr) {
    fs::permissions(temp_, fs::perms::all | fs::perms::sticky_bit, fs::perm_options::replace);
  }

  [[nodiscard]] fs::path TempFolder() const {
    return temp_ / ("fegolin-" + std::to_string(::getuid()));
  }
  [[nodiscard]] fs::path HomeFolder() const { return home_ / ".cache/fegolin"; }

  // The folder the objects of this test live in: where a mutex file is.
  [[nodiscard]] fs::path FolderOfTheObjects() const {
    std::vector<fs::path> candidates{TempFolder(), HomeFolder()};
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR")) {
      candidates.insert(candidates.begin(), runtime);
    }
    for (const fs::path& folder : candidates) {
      std::error_code ec;
      for (const auto& entry : fs::directory_iterator(folder, ec)) {
        if (entry.path().extension() == ".mutex") {
          return folder;
        }
      }
    }
    return {};
  }

  static bool IsPrivate(const fs::path& folder) {
    struct stat st {};
    return ::lstat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() &&
           (st.st_mode & 0777) == 0700;
  }

  test::TempTree tree_;
  fs::path temp_;
  fs::path home_;

private:
  EnvironmentOverride tmpdir_;
  EnvironmentOverride homeVar_;
  EnvironmentOverride cache_;
  EnvironmentOverride runtime_;
};

TEST_F(LockFolders, WithoutARuntimeFolderTheObjectsGoToAPrivateFolderInTemp) {
  const std::string name = UniqueName("mutex");
  auto first = CreateNamedMutex(name).value();
  ASSERT_TRUE(first);
  EXPECT_TRUE(CreateNamedMutex(name).value()->AlreadyExisted());
  EXPECT_TRUE(IsPrivate(TempFolder()));
  EXPECT_EQ(FolderOfTheObjects(), TempFolder());
}

struct Planted {
  const char* label;
  // Puts something at the place of the private temp folder.
  void (*plant)(const fs::path& place, const fs::path& elsewhere);
};

class LockFoldersPlanted : public LockFolders, public ::testing::WithParamInterface<Planted> {};

// Anybody may make our name in the shared temp folder first. What they made
// is not used, the start is not stopped by it, and every instance meets in
// the private folder in the user's home instead.
TEST_P(LockFoldersPlanted, ATempFolderOthersCouldUseIsPassedOver) {
  const fs::path elsewhere = tree_.dir("elsewhere");
  fs::permissions(elsewhere, fs::perms::owner_all, fs::perm_options::replace);
  GetParam().plant(TempFolder(), elsewhere);
  const auto before = test::EntriesBelow(temp_);

  const std::string name = UniqueName("mutex");
  auto first = CreateNamedMutex(name).value();
  ASSERT_TRUE(first);
  EXPECT_FALSE(first->AlreadyExisted());
  Child other({"mutex", name});
  EXPECT_EQ(other.Report(), "existed") << "another process meets this one";
  EXPECT_EQ(FolderOfTheObjects(), HomeFolder());
  EXPECT_TRUE(IsPrivate(HomeFolder()));
  EXPECT_EQ(test::EntriesBelow(temp_), before) << "nothing is made in what was planted";
  EXPECT_TRUE(test::EntriesBelow(elsewhere).empty());
}

INSTANTIATE_TEST_SUITE_P(
    Things, LockFoldersPlanted,
    ::testing::Values(Planted{"another_accounts_folder",
                              [](const fs::path& place, const fs::path&) {
                                fs::create_directory(place);
                                fs::permissions(place, fs::perms::owner_all,
                                                fs::perm_options::replace);
                                ASSERT_EQ(::chown(place.c_str(), kNobody, kNobody), 0);
                              }},
                      Planted{"a_folder_open_to_all",
                              [](const fs::path& place, const fs::path&) {
                                fs::create_directory(place);
                                fs::permissions(place, fs::perms::all, fs::perm_options::replace);
                              }},
                      Planted{"a_link_to_a_private_folder",
                              [](const fs::path& place, const fs::path& elsewhere) {
                                fs::create_directory_symlink(elsewhere, place);
                              }},
                      Planted{"a_file", [](const fs::path& place,
                                           const fs::path&) { std::ofstream(place) << "x"; }}),
    [](const auto& param) { return std::string(param.param.label); });

struct RuntimeCase {
  const char* label;
  unsigned mode;
  bool ours;
  bool used;
};

class LockFoldersRuntime : public LockFolders, public ::testing::WithParamInterface<RuntimeCase> {};

TEST_P(LockFoldersRuntime, TheRuntimeFolderIsUsedOnlyWhenItIsPrivate) {
  const fs::path runtime = tree_.dir("run");
  ASSERT_EQ(::chmod(runtime.c_str(), GetParam().mode), 0);
  if (!GetParam().ours) {
    ASSERT_EQ(::chown(runtime.c_str(), kNobody, kNobody), 0);
  }
  const EnvironmentOverride set("XDG_RUNTIME_DIR", runtime.c_str());
  const std::string name = UniqueName("mutex");
  auto mutex = CreateNamedMutex(name).value();
  ASSERT_TRUE(mutex);
  EXPECT_FALSE(mutex->AlreadyExisted());
  EXPECT_EQ(FolderOfTheObjects(), GetParam().used ? runtime : TempFolder());
}

INSTANTIATE_TEST_SUITE_P(Folders, LockFoldersRuntime,
                         ::testing::Values(RuntimeCase{"own_0700", 0700, true, true},
                                           RuntimeCase{"own_0750", 0750, true, true},
                                           RuntimeCase{"own_0770", 0770, true, false},
                                           RuntimeCase{"own_0777", 0777, true, false},
                                           RuntimeCase{"another_accounts", 0700, false, false}),
                         [](const auto& param) { return std::string(param.param.label); });

// Runs `body` in a forked child that is ended when it takes longer than a
// start ever should; true when the body returned true in time.
bool ReturnsInTime(const std::function<bool()>& body) {
  const pid_t child = ::fork();
  if (child == 0) {
    ::alarm(30);
    bool done = false;
    try {
      done = body();
    } catch (...) {
    }
    ::_exit(done ? 0 : 1);
  }
  int status = 0;
  return child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) &&
         WEXITSTATUS(status) == 0;
}

// A child that holds an exclusive lock on every file in `folder` until it
// is destroyed; as `uid` when given (the locks, taken first, stay with it).
std::unique_ptr<test::Holder> LockEverythingIn(const fs::path& folder, std::optional<uid_t> uid) {
  return std::make_unique<test::Holder>([folder, uid] {
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec)) {
      const int fd = ::open(entry.path().c_str(), O_RDWR | O_CLOEXEC);
      if (fd >= 0) {
        ::flock(fd, LOCK_EX | LOCK_NB);
      }
    }
    if (uid && (::setresgid(*uid, *uid, *uid) != 0 || ::setresuid(*uid, *uid, *uid) != 0)) {
      ::_exit(3);
    }
  });
}

// With $XDG_RUNTIME_DIR open to everybody, another account could lock the
// files a start checks under its guard: the start must neither wait for it
// nor believe another instance runs.
TEST_F(LockFolders, ALockAnotherAccountHoldsNeverHoldsUpAStart) {
  const fs::path shared = tree_.dir("shared");
  fs::permissions(shared, fs::perms::all, fs::perm_options::replace);
  const EnvironmentOverride set("XDG_RUNTIME_DIR", shared.c_str());
  const std::string name = UniqueName("mutex");
  (void)CreateNamedMutex(name); // whatever a start leaves in the folder it uses
  for (const auto& entry : fs::directory_iterator(shared)) {
    ASSERT_EQ(::chown(entry.path().c_str(), kNobody, kNobody), 0);
  }
  const auto holder = LockEverythingIn(shared, kNobody);
  EXPECT_TRUE(ReturnsInTime([&] {
    const auto mutex = CreateNamedMutex(name);
    return mutex && !mutex.value()->AlreadyExisted();
  }));
}

// Even an instance of our own that holds a guard for good (stopped in a
// debugger, say) makes a start give up after a while, not hang.
TEST_F(LockFolders, AGuardHeldForGoodMakesAStartGiveUpNotHang) {
  const std::string name = UniqueName("mutex");
  (void)CreateNamedMutex(name);
  const auto holder = LockEverythingIn(FolderOfTheObjects(), std::nullopt);
  EXPECT_TRUE(ReturnsInTime([&] {
    // And it says which lock it could not have.
    const auto mutex = CreateNamedMutex(name);
    return !mutex && mutex.error().text.find(".guard") != std::string::npos;
  }));
}

// A request is only ever sent to a socket of our own.
TEST_F(LockFolders, NoServerNameIsGivenForSomethingOfAnotherAccounts) {
  // A folder straight in the test's scratch folder, not deeper in the tree:
  // a socket's path must fit into sockaddr_un wherever the build lies.
  const fs::path runtime = fs::path(std::getenv("FEGOLIN_TEST_SCRATCH")) / "r";
  fs::create_directories(runtime);
  fs::permissions(runtime, fs::perms::owner_all, fs::perm_options::replace);
  const EnvironmentOverride set("XDG_RUNTIME_DIR", runtime.c_str());
  const std::string name = UniqueName("socket");
  const std::string path = LocalServerName(name);
  ASSERT_FALSE(path.empty());
  ASSERT_EQ(::mknod(path.c_str(), S_IFSOCK | 0600, 0), 0);
  EXPECT_EQ(LocalServerName(name), path) << "our own socket";
  ASSERT_EQ(::lchown(path.c_str(), kNobody, kNobody), 0);
  EXPECT_EQ(LocalServerName(name), "") << "another account's socket";
  fs::remove(path);
  std::ofstream(path) << "x";
  EXPECT_EQ(LocalServerName(name), "") << "not a socket";
  fs::remove(path);
}

} // namespace
} // namespace fegolin::platform
