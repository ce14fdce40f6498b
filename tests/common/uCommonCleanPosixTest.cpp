// The cleaning engine on POSIX: permissions, special files, links, entries
// in use, and the order the system lists a folder in.

#include "common/uCommon.h"

#include "tests/common/CleanTestSupport.h"
#include "tests/support/EnvironmentOverride.h"
#include "tests/support/PosixHolder.h"
#include "tests/support/TempTree.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

namespace fegolin {
namespace {

namespace fs = std::filesystem;
using test::CleanInChild;
using test::CountingObserver;
using test::Fingerprint;
using test::Holder;
using test::TempTree;

mode_t ModeOf(const fs::path& path) {
  struct stat st {};
  ::lstat(path.c_str(), &st);
  return st.st_mode & 07777;
}

std::set<std::string> Remaining(const fs::path& root) {
  std::set<std::string> names;
  for (const auto& [name, description] : Fingerprint(root)) {
    names.insert(name);
  }
  return names;
}

// Builds every kind of entry the engine meets: read-only files, read-only
// folders with files inside, dot entries at several depths, a FIFO.
void BuildMixedTree(const TempTree& tree) {
  tree.file("top/plain.txt");
  tree.file("top/noext");
  tree.file("top/.hidden");
  ::chmod(tree.file("top/ro.txt").c_str(), 0444);
  ::chmod(tree.file("top/.dot/a/.b/c/.ro").c_str(), 0444);
  tree.file("top/.dot/a/.b/x");
  ::chmod(tree.path("top/.dot/a/.b").c_str(), 0555);
  ::chmod(tree.path("top/.dot/a").c_str(), 0555);
  tree.file("top/rodir/inner/y");
  ::chmod(tree.path("top/rodir/inner").c_str(), 0555);
  ::chmod(tree.path("top/rodir").c_str(), 0555);
  ::mkfifo(tree.path("top/fifo").c_str(), 0600);
}

TEST(CleanDirectory, EmptiesEveryKindOfEntryAndKeepsTheFolder) {
  TempTree tree;
  BuildMixedTree(tree);
  const auto entries = static_cast<int>(Fingerprint(tree.path("top")).size());
  // Root may delete from read-only folders anyway; as their owner the engine
  // has to clear read-only first, so the run happens as the owner.
  const bool asNobody = test::RunningAsRoot();
  if (asNobody) {
    test::ChownTree(tree.root(), test::kNobody);
  }
  // As nobody inside a chroot of the tree, so the unprivileged run needs no
  // way through the test's private scratch folders.
  const auto outcome =
      asNobody ? CleanInChild(tree.root(), "/top", true, [] { return ::chroot(".") == 0; })
               : CleanInChild(tree.root(), tree.path("top").string(), false);
  ASSERT_TRUE(outcome);
  EXPECT_TRUE(outcome->result);
  EXPECT_EQ(outcome->removed, entries);
  EXPECT_EQ(outcome->left, 0);
  EXPECT_TRUE(fs::is_directory(tree.path("top")));
  EXPECT_TRUE(Remaining(tree.path("top")).empty());
}

TEST(CleanDirectory, EmptyDirectoryNeverMeansTheCurrentFolder) {
  TempTree tree;
  tree.file("stays");
  const auto outcome = CleanInChild(tree.root(), "", false);
  ASSERT_TRUE(outcome);
  EXPECT_FALSE(outcome->result);
  EXPECT_EQ(Remaining(tree.root()), std::set<std::string>{"stays"});
}

TEST(CleanDirectory, RootIsNeverCleaned) {
  // Inside a chroot "/" is our own scratch tree, so a fault cannot hurt.
  TempTree tree;
  tree.file("stays/too");
  for (const char* root : {"/", "//"}) {
    const auto outcome = CleanInChild(tree.root(), root, false, [] { return ::chroot(".") == 0; });
    if (!outcome) {
      GTEST_SKIP() << "chroot is not permitted here";
    }
    EXPECT_FALSE(outcome->result) << root;
  }
  EXPECT_EQ(Remaining(tree.root()), (std::set<std::string>{"stays", "stays/too"}));
}

TEST(CleanDirectory, LinksAreRemovedAndNeverFollowed) {
  TempTree tree;
  tree.file("outside/data", "keep me");
  ::chmod(tree.file("outside/ro", "read-only").c_str(), 0444);
  tree.file("outside/rodir/f");
  ::chmod(tree.path("outside/rodir").c_str(), 0555);
  const auto before = Fingerprint(tree.path("outside"));
  tree.dir("top/sub");
  fs::create_directory_symlink(tree.path("outside"), tree.path("top/to-folder"));
  fs::create_symlink(tree.path("outside/ro"), tree.path("top/to-file"));
  fs::create_directory_symlink("../..", tree.path("top/sub/up"));
  fs::create_symlink("nowhere", tree.path("top/dangling"));
  CountingObserver observer;
  EXPECT_TRUE(CleanDirectory("*.*", tree.path("top").string(), &observer));
  EXPECT_TRUE(Remaining(tree.path("top")).empty());
  EXPECT_EQ(observer.removed, 5);
  EXPECT_EQ(Fingerprint(tree.path("outside")), before);
}

TEST(CleanDirectory, HardLinkedReadOnlyFileKeepsItsModeOutside) {
  TempTree tree;
  const auto outside = tree.file("outside", "shared");
  ::chmod(outside.c_str(), 0444);
  tree.dir("top");
  fs::create_hard_link(outside, tree.path("top/link"));
  EXPECT_TRUE(CleanDirectory("*.*", tree.path("top").string()));
  EXPECT_TRUE(Remaining(tree.path("top")).empty());
  EXPECT_EQ(ModeOf(outside), 0444u);
}

TEST(CleanDirectory, EntriesThatCannotBeRemovedStayWhileTheRestGoes) {
  if (!test::RunningAsRoot()) {
    GTEST_SKIP() << "needs root to build entries an ordinary user cannot remove";
  }
  TempTree tree;
  tree.file("top/a");
  tree.file("top/sub/b");
  tree.file("top/sticky/mine");
  test::ChownTree(tree.root(), test::kNobody);
  // Root's own entries: a read-only folder with content and, in a shared
  // sticky folder, a file of root's next to one of the user's.
  tree.file("top/locked/kept");
  tree.file("top/locked/deeper/kept");
  ::chmod(tree.path("top/locked").c_str(), 0555);
  tree.file("top/sticky/roots");
  ::chown(tree.path("top/sticky").c_str(), 0, 0);
  ::chmod(tree.path("top/sticky").c_str(), 01777);

  const auto outcome = CleanInChild(tree.root(), "/top", true, [] { return ::chroot(".") == 0; });
  ASSERT_TRUE(outcome);
  EXPECT_TRUE(outcome->result);
  EXPECT_EQ(Remaining(tree.path("top")),
            (std::set<std::string>{"locked", "locked/kept", "locked/deeper", "locked/deeper/kept",
                                   "sticky", "sticky/roots"}));
  EXPECT_EQ(ModeOf(tree.path("top/locked")), 0555u);
  EXPECT_GT(outcome->left, 0);
}

TEST(CleanDirectory, EntriesInUseStayWhileTheirSiblingsGo) {
  TempTree tree;
  const auto held = tree.file("top/busy/held.txt");
  tree.file("top/busy/sibling");
  const auto mapped = tree.file("top/deep/er/mapped.bin", std::string(4096, 'm'));
  tree.file("top/deep/other");
  tree.file("top/cwd/inside");
  tree.file("top/plain");
  const auto socketPath = tree.path("top/sock");

  const int listener = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  ASSERT_LT(socketPath.string().size(), sizeof address.sun_path);
  std::snprintf(address.sun_path, sizeof address.sun_path, "%s", socketPath.c_str());
  ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(::listen(listener, 1), 0);
  CountingObserver observer;
  {
    const Holder holdOpen([&] { [[maybe_unused]] const int fd = ::open(held.c_str(), O_RDONLY); });
    const Holder holdMapped([&] {
      const int fd = ::open(mapped.c_str(), O_RDONLY);
      ::mmap(nullptr, 4096, PROT_READ, MAP_SHARED, fd, 0);
      ::close(fd);
    });
    const Holder holdCwd([&] { (void)!::chdir(tree.path("top/cwd").c_str()); });
    EXPECT_TRUE(CleanDirectory("*.*", tree.path("top").string(), &observer));
  }
  ::close(listener);
  EXPECT_EQ(Remaining(tree.path("top")),
            (std::set<std::string>{"busy", "busy/held.txt", "deep", "deep/er", "deep/er/mapped.bin",
                                   "cwd", "sock"}));
  EXPECT_EQ(observer.removed, 4);
}

// Names of a folder in the order the system lists them.
std::vector<std::string> ListingOrder(const fs::path& folder) {
  std::vector<std::string> names;
  DIR* dir = ::opendir(folder.c_str());
  while (const dirent* entry = ::readdir(dir)) {
    const std::string name = entry->d_name;
    if (name != "." && name != "..") {
      names.push_back(name);
    }
  }
  ::closedir(dir);
  return names;
}

// Deletes `victim` right after the engine removed its `trigger`-th entry,
// so the engine's query of the victim finds nothing.
class Saboteur final : public CleanObserver {
public:
  Saboteur(fs::path victim, int trigger) : victim_(std::move(victim)), trigger_(trigger) {}
  void EntryRemoved() override {
    if (++removed_ == trigger_) {
      fs::remove(victim_);
    }
  }

private:
  fs::path victim_;
  int trigger_;
  int removed_ = 0;
};

TEST(CleanDirectory, EntryVanishingMidPassEndsThatFolderOnly) {
  // The saboteur counts removals in the order one walk makes them.
  const test::EnvironmentOverride sequential("FEGOLIN_CLEAN_THREADS", "1");
  TempTree tree;
  for (const char* name : {"f0", "f1", "f2", "f3", "f4"}) {
    tree.file(std::string("top/sub/") + name);
  }
  tree.file("top/sibling");
  const auto order = ListingOrder(tree.path("top/sub"));
  ASSERT_EQ(order.size(), 5u);

  // The vanished entry ends the pass over sub; the rest of sub waits for the
  // next run, while top carries on and still reports success.
  const bool siblingFirst = ListingOrder(tree.path("top")).front() == "sibling";
  Saboteur saboteur(tree.path("top/sub") / order[1], siblingFirst ? 2 : 1);
  EXPECT_TRUE(CleanDirectory("*.*", tree.path("top").string(), &saboteur));
  std::set<std::string> expected = {"sub"};
  for (std::size_t i = 2; i < order.size(); ++i) {
    expected.insert("sub/" + order[i]);
  }
  EXPECT_EQ(Remaining(tree.path("top")), expected);

  // The same in the listed folder itself: its result is false.
  const auto rest = ListingOrder(tree.path("top/sub"));
  Saboteur again(tree.path("top/sub") / rest[1], 1);
  EXPECT_FALSE(CleanDirectory("*.*", tree.path("top/sub").string(), &again));
  EXPECT_EQ(Remaining(tree.path("top/sub")).size(), rest.size() - 2);
  EXPECT_TRUE(CleanDirectory("*.*", tree.path("top/sub").string()));
  EXPECT_TRUE(Remaining(tree.path("top/sub")).empty());
}

// With threads, the back part of a big folder's listing goes to another
// thread; the folder must end as one thread would leave it: read-only
// files, read-only subfolders and entries in use anywhere in the listing.
TEST(CleanDirectory, AFolderOfManyEntriesEndsAsOneThreadWouldLeaveIt) {
  TempTree tree;
  for (int i = 0; i < 3000; ++i) {
    const std::string name = "top/big/f" + std::to_string(i);
    if (i % 300 == 0) {
      tree.file(name + "/inner");
      ::chmod(tree.path(name).c_str(), 0555);
    } else if (i % 9 == 0) {
      ::chmod(tree.file(name).c_str(), 0444);
    } else {
      tree.file(name);
    }
  }
  const auto order = ListingOrder(tree.path("top/big"));
  std::vector<std::string> held;
  for (const std::size_t index : {std::size_t{1}, order.size() / 2 + 1, order.size() - 2}) {
    if (fs::is_directory(tree.path("top/big") / order[index])) {
      continue;
    }
    held.push_back(order[index]);
  }
  ASSERT_FALSE(held.empty());
  CountingObserver observer;
  {
    const Holder holdOpen([&] {
      for (const auto& name : held) {
        [[maybe_unused]] const int fd = ::open(tree.path("top/big/" + name).c_str(), O_RDONLY);
      }
    });
    EXPECT_TRUE(CleanDirectory("*.*", tree.path("top").string(), &observer));
  }
  std::set<std::string> expected{"big"};
  for (const auto& name : held) {
    expected.insert("big/" + name);
  }
  EXPECT_EQ(Remaining(tree.path("top")), expected);
  EXPECT_EQ(observer.removed, 3000 + 10 - static_cast<int>(held.size()));
}

} // namespace
} // namespace fegolin
