#include "common/uCommon.h"

#include "tests/common/CleanTestSupport.h"
#include "tests/support/TempTree.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace fegolin {
namespace {

namespace fs = std::filesystem;
using test::Fingerprint;
using test::TempTree;

// Gives `folder` a chain of `depth` subfolders with a file in each.
void BuildChain(const fs::path& folder, int depth) {
  fs::path current = folder;
  for (int i = 0; i < depth; ++i) {
    current /= "c" + std::to_string(i);
    fs::create_directories(current);
    std::ofstream(current / "file") << i;
  }
}

// Keeps exchanging a real folder and a link to `outside` under two names,
// for each pair of names in turn, recreating whichever the cleaner removed,
// until it goes away.
class Swapper {
public:
  using Pair = std::pair<fs::path, fs::path>;
  Swapper(std::vector<Pair> pairs, fs::path outside)
      : pairs_(std::move(pairs)), outside_(std::move(outside)), thread_([this] { Run(); }) {}
  ~Swapper() {
    stop_ = true;
    thread_.join();
  }
  Swapper(const Swapper&) = delete;
  Swapper& operator=(const Swapper&) = delete;

private:
  void Run() {
    while (!stop_) {
      for (const auto& [a, b] : pairs_) {
        Swap(a, b);
      }
    }
  }

  void Swap(const fs::path& a, const fs::path& b) {
    if (::renameat2(AT_FDCWD, a.c_str(), AT_FDCWD, b.c_str(), RENAME_EXCHANGE) == 0) {
      return;
    }
    // One of the two is gone: bring back a folder or a link. Only this
    // thread makes links here, so `a` is a real folder when written into.
    std::error_code ec;
    if (!fs::exists(fs::symlink_status(a, ec)) && fs::create_directory(a, ec)) {
      std::ofstream(a / "again") << "x";
    }
    if (!fs::exists(fs::symlink_status(b, ec))) {
      fs::create_directory_symlink(outside_, b, ec);
    }
  }

  std::vector<Pair> pairs_;
  fs::path outside_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

// Thousands of folders cost seconds on a disk that discards freed blocks.
// Where we may, a forked child puts `folder` in memory for its own run; the
// mount goes away with the child.
void KeepInMemory(const fs::path& folder) {
  if (::unshare(CLONE_NEWNS) == 0 &&
      ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0) {
    ::mount("tmpfs", folder.c_str(), "tmpfs", 0, nullptr);
  }
}

// Runs `rounds` cleanings of `top` while folders in it are swapped for links
// to `outside`; the round in which `outside` changed, or -1.
int FirstRoundReachingOutside(const fs::path& top, const fs::path& outside, int rounds) {
  const auto before = Fingerprint(outside);
  for (int round = 0; round < rounds; ++round) {
    // One swap right below the listed folder, one 30 folders down where the
    // walk has closed its ancestors and has to find them again.
    BuildChain(top / "swap", 30);
    fs::create_directory_symlink(outside, top / "bait");
    fs::path deep = top / "fixed";
    for (int i = 0; i < 30; ++i) {
      deep /= "d" + std::to_string(i);
    }
    BuildChain(deep / "swap", 5);
    fs::create_directory_symlink(outside, deep / "bait");
    {
      const Swapper swapper({{top / "swap", top / "bait"}, {deep / "swap", deep / "bait"}},
                            outside);
      CleanDirectory("*.*", top.string());
    }
    if (Fingerprint(outside) != before) {
      return round;
    }
    for (const auto& entry : fs::directory_iterator(top)) {
      fs::remove_all(entry.path());
    }
  }
  return -1;
}

TEST(CleanDirectorySafety, FolderSwappedForALinkMidRunNeverReachesOutside) {
  TempTree tree;
  const int code = test::RunInChild([&] {
    KeepInMemory(tree.root());
    const auto outside = tree.dir("outside");
    BuildChain(outside, 3);
    ::chmod(tree.file("outside/ro", "read-only").c_str(), 0444);
    tree.file("outside/again", "not to be touched");
    const int round = FirstRoundReachingOutside(tree.dir("top"), outside, 25);
    if (round >= 0) {
      std::fprintf(stderr, "outside changed in round %d\n", round);
    }
    return round < 0 ? 0 : 1;
  });
  EXPECT_EQ(code, 0);
}

TEST(CleanDirectorySafety, MountedFileSystemBelowIsLeftAlone) {
  TempTree tree;
  tree.file("top/other");
  tree.file("top/sub/other");
  const auto mountPoint = tree.dir("top/sub/mnt");
  const auto top = tree.path("top");
  const int code = test::RunInChild([&] {
    if (::unshare(CLONE_NEWNS) != 0 ||
        ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        ::mount("tmpfs", mountPoint.c_str(), "tmpfs", 0, nullptr) != 0) {
      return test::kChildSkipped;
    }
    fs::create_directory(mountPoint / "folder");
    std::ofstream(mountPoint / "folder/file") << "on another file system";
    if (!CleanDirectory("*.*", top.string())) {
      return 1;
    }
    // The mount point and all that is on it stay, and so does its parent.
    const bool untouched = fs::exists(mountPoint / "folder/file");
    const bool restGone = !fs::exists(top / "other") && !fs::exists(top / "sub/other");
    return untouched && restGone ? 0 : 2;
  });
  if (code == test::kChildSkipped) {
    GTEST_SKIP() << "mounting is not permitted here";
  }
  EXPECT_EQ(code, 0);
}

// Builds a chain of `depth` folders below `top` (a file every 1000 levels)
// without ever naming a long path.
bool BuildDeepChain(const fs::path& top, int depth) {
  int fd = ::open(top.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  for (int i = 0; i < depth && fd >= 0; ++i) {
    if (i % 1000 == 0) {
      ::close(::openat(fd, "file", O_CREAT | O_WRONLY | O_CLOEXEC, 0444));
    }
    ::mkdirat(fd, "d", 0755);
    const int next = ::openat(fd, "d", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ::close(fd);
    fd = next;
  }
  return fd >= 0 && ::close(fd) == 0;
}

TEST(CleanDirectorySafety, TenThousandFoldersDeepWithFewDescriptors) {
  TempTree tree;
  const auto top = tree.dir("top");
  const int code = test::RunInChild([&] {
    KeepInMemory(top);
    if (!BuildDeepChain(top, 10000)) {
      return 2;
    }
    const rlimit limit{256, 256};
    if (::setrlimit(RLIMIT_NOFILE, &limit) != 0) {
      return 3;
    }
    if (!CleanDirectory("*.*", top.string())) {
      return 1;
    }
    return fs::is_empty(top) ? 0 : 4;
  });
  EXPECT_EQ(code, 0);
  EXPECT_TRUE(fs::is_empty(top));
}

} // namespace
} // namespace fegolin
