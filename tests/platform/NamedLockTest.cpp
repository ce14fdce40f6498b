#include "platform/NamedLock.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

extern char** environ;

namespace fegolin::platform {
namespace {

namespace fs = std::filesystem;

// NamedLockChild started with pipes on stdin and stdout. The child holds its
// object until Finish() closes its stdin or Kill() ends it.
class Child {
public:
  explicit Child(std::vector<std::string> args) {
    args.insert(args.begin(), NAMED_LOCK_CHILD);
    int in[2];
    int out[2];
    if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0) {
      ADD_FAILURE() << "pipe";
      return;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    std::vector<char*> argv;
    for (auto& arg : args) {
      argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    if (::posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
      ADD_FAILURE() << "spawn";
      pid_ = -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    ::close(in[0]);
    ::close(out[1]);
    toChild_ = in[1];
    fromChild_ = ::fdopen(out[0], "r");
  }

  ~Child() {
    Finish();
    if (fromChild_ != nullptr) {
      std::fclose(fromChild_);
    }
  }
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

  // The child's report about the object it took.
  std::string Report() {
    char line[64] = {};
    if (fromChild_ == nullptr || std::fgets(line, sizeof line, fromChild_) == nullptr) {
      return "<no answer>";
    }
    std::string text(line);
    while (!text.empty() && text.back() == '\n') {
      text.pop_back();
    }
    return text;
  }

  // Lets the child end normally and waits for it.
  void Finish() {
    if (toChild_ >= 0) {
      ::close(toChild_);
      toChild_ = -1;
    }
    Reap();
  }

  void Kill() {
    if (pid_ > 0) {
      ::kill(pid_, SIGKILL);
    }
    Reap();
  }

private:
  void Reap() {
    if (pid_ > 0) {
      int status = 0;
      ::waitpid(pid_, &status, 0);
      pid_ = -1;
    }
  }

  pid_t pid_ = -1;
  int toChild_ = -1;
  FILE* fromChild_ = nullptr;
};

std::string UniqueName(const char* what) {
  return std::string("NamedLockTest ") + what + " " +
         ::testing::UnitTest::GetInstance()->current_test_info()->name();
}

constexpr std::int32_t kMax = 65535;

// Instances holding a unit, counted the way the single-instance guard does.
std::int32_t CountHolders(NamedSemaphore& semaphore) {
  std::int32_t previous = -1;
  EXPECT_TRUE(semaphore.Release(previous));
  EXPECT_TRUE(semaphore.Wait());
  return kMax - previous;
}

TEST(NamedMutex, ExistsWhileAnyHandleIsOpen) {
  const std::string name = UniqueName("mutex");
  auto first = CreateNamedMutex(name);
  ASSERT_TRUE(first);
  EXPECT_FALSE(first->AlreadyExisted());
  auto second = CreateNamedMutex(name);
  ASSERT_TRUE(second);
  EXPECT_TRUE(second->AlreadyExisted());
  // The creator goes; the later handle still keeps the mutex in existence.
  first.reset();
  EXPECT_TRUE(CreateNamedMutex(name)->AlreadyExisted());
  second.reset();
  EXPECT_FALSE(CreateNamedMutex(name)->AlreadyExisted());
}

TEST(NamedMutex, SeenByAnotherProcessUntilItEnds) {
  const std::string name = UniqueName("mutex");
  Child child({"mutex", name});
  ASSERT_EQ(child.Report(), "created");
  EXPECT_TRUE(CreateNamedMutex(name)->AlreadyExisted());
  child.Finish();
  EXPECT_FALSE(CreateNamedMutex(name)->AlreadyExisted());
}

TEST(NamedMutex, KilledHolderDoesNotBlockTheNextStart) {
  const std::string name = UniqueName("mutex");
  Child child({"mutex", name});
  ASSERT_EQ(child.Report(), "created");
  child.Kill();
  auto next = CreateNamedMutex(name);
  ASSERT_TRUE(next);
  EXPECT_FALSE(next->AlreadyExisted());
  // And the new owner is seen by the processes after it.
  Child later({"mutex", name});
  EXPECT_EQ(later.Report(), "existed");
}

TEST(NamedSemaphore, CountsTheUnitsHeldByAllProcesses) {
  const std::string name = UniqueName("sem");
  auto own = CreateNamedSemaphore(name, kMax);
  ASSERT_TRUE(own);
  ASSERT_TRUE(own->Wait());
  EXPECT_EQ(CountHolders(*own), 1);

  Child second({"sem", name, std::to_string(kMax)});
  ASSERT_EQ(second.Report(), "taken");
  Child third({"sem", name, std::to_string(kMax)});
  ASSERT_EQ(third.Report(), "taken");
  EXPECT_EQ(CountHolders(*own), 3);

  second.Finish();
  EXPECT_EQ(CountHolders(*own), 2);
  third.Kill();
  EXPECT_EQ(CountHolders(*own), 1);
}

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

TEST(NamedSemaphore, ReleaseNeedsAUnitOfThisHandle) {
  const std::string name = UniqueName("sem");
  auto first = CreateNamedSemaphore(name, kMax);
  auto second = CreateNamedSemaphore(name, kMax);
  ASSERT_TRUE(first && second);
  std::int32_t previous = -1;
  EXPECT_FALSE(first->Release(previous));
  ASSERT_TRUE(second->Wait());
  EXPECT_FALSE(first->Release(previous));
  EXPECT_TRUE(second->Release(previous));
  EXPECT_EQ(previous, kMax - 1);
  EXPECT_FALSE(second->Release(previous));
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
