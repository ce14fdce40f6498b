// The named objects on POSIX: the units of a killed holder and the folder
// the objects live in.

#include "platform/NamedLock.h"

#include "tests/support/SystemSupport.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace fegolin::platform {
namespace {

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

// The named objects without $XDG_RUNTIME_DIR, which is put back afterwards.
class NoRuntimeDir : public ::testing::Test {
protected:
  NoRuntimeDir() : saved_(std::getenv("XDG_RUNTIME_DIR")) { ::unsetenv("XDG_RUNTIME_DIR"); }
  ~NoRuntimeDir() override { ::setenv("XDG_RUNTIME_DIR", saved_.c_str(), 1); }

private:
  std::string saved_;
};

fs::path PrivateTempFolder() {
  return fs::path(std::getenv("TMPDIR")) / ("fegolin-" + std::to_string(::getuid()));
}

TEST_F(NoRuntimeDir, ObjectsGoToAPrivateFolderInTemp) {
  fs::remove_all(PrivateTempFolder());
  const std::string name = UniqueName("mutex");
  auto first = CreateNamedMutex(name);
  ASSERT_TRUE(first);
  EXPECT_TRUE(CreateNamedMutex(name)->AlreadyExisted());
  struct stat st {};
  ASSERT_EQ(::lstat(PrivateTempFolder().c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  EXPECT_EQ(LocalServerName(name).rfind(PrivateTempFolder().string() + "/", 0), 0u);
}

TEST_F(NoRuntimeDir, AFolderOthersCanWriteToIsRefused) {
  const fs::path folder = PrivateTempFolder();
  fs::remove_all(folder);
  fs::create_directory(folder);
  fs::permissions(folder, fs::perms::all, fs::perm_options::replace);
  EXPECT_FALSE(CreateNamedMutex(UniqueName("mutex")));
  EXPECT_FALSE(CreateNamedSemaphore(UniqueName("sem"), kMax));
  EXPECT_EQ(LocalServerName("x"), "");
  fs::remove_all(folder);
}

} // namespace
} // namespace fegolin::platform
