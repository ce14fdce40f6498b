#include "platform/FileSystem.h"
#include "platform/SystemFolders.h"

#include "tests/support/PosixHolder.h"
#include "tests/support/TempTree.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <string>

namespace fegolin::platform {
namespace {

namespace fs = std::filesystem;
using test::Holder;
using test::TempTree;

mode_t ModeOf(const fs::path& path) {
  struct stat st {};
  ::lstat(path.c_str(), &st);
  return st.st_mode & 07777;
}

std::map<std::string, std::uint32_t> ListAll(FolderWalk& walk) {
  FolderListing listing;
  EXPECT_TRUE(walk.List(listing));
  std::map<std::string, std::uint32_t> result;
  for (std::size_t i = 0; i < listing.size(); ++i) {
    result[std::string(listing.Name(i))] = listing.Attributes(i);
  }
  return result;
}

TEST(PosixFolderWalk, ListingMarksFoldersAndLinksAndLeavesOutDots) {
  TempTree tree;
  tree.dir("d");
  tree.file(".f");
  fs::create_directory_symlink(tree.path("d"), tree.path("l"));
  const auto walk = OpenFolderWalk(tree.root().string()).walk;
  ASSERT_TRUE(walk);
  const std::map<std::string, std::uint32_t> expected = {
      {"d", FileAttr::Directory}, {".f", 0}, {"l", FileAttr::ReparsePoint}};
  EXPECT_EQ(ListAll(*walk), expected);
}

TEST(PosixFolderWalk, NamesReachingOutsideTheFolderAreRefused) {
  TempTree tree;
  const auto victim = tree.file("victim");
  tree.dir("top/sub");
  const auto walk = OpenFolderWalk(tree.path("top").string()).walk;
  ASSERT_TRUE(walk);
  const auto top = walk->Query("sub");
  ASSERT_TRUE(top);
  for (const char* name : {"../victim", "..", ".", "sub/..", ""}) {
    EXPECT_FALSE(walk->Query(name)) << name;
    EXPECT_EQ(walk->DeleteFile(name), EINVAL) << name;
    EXPECT_EQ(walk->RemoveDirectory(name), EINVAL) << name;
    EXPECT_FALSE(walk->Enter(name, *top)) << name;
  }
  EXPECT_TRUE(fs::exists(victim));
}

TEST(PosixFolderWalk, EnterRefusesLinksAndFoldersReplacedSinceTheQuery) {
  TempTree tree;
  tree.dir("top/real");
  tree.dir("top/other");
  fs::create_directory_symlink(tree.path("top/real"), tree.path("top/link"));
  const auto walk = OpenFolderWalk(tree.path("top").string()).walk;
  ASSERT_TRUE(walk);

  const auto link = walk->Query("link");
  ASSERT_TRUE(link);
  EXPECT_EQ(link->attributes, FileAttr::ReparsePoint);
  EXPECT_FALSE(walk->Enter("link", *link));

  const auto real = walk->Query("real");
  ASSERT_TRUE(real);
  fs::rename(tree.path("top/other"), tree.path("top/real"));
  EXPECT_FALSE(walk->Enter("real", *real));
  const auto now = walk->Query("real");
  ASSERT_TRUE(now);
  EXPECT_TRUE(walk->Enter("real", *now));
}

int OpenDescriptors() {
  int count = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator("/proc/self/fd")) {
    ++count;
  }
  return count;
}

// Enters a chain of `depth` folders named c0, c1, ... below the walk.
void EnterChain(FolderWalk& walk, const TempTree& tree, int depth) {
  fs::path relative = "top";
  for (int i = 0; i < depth; ++i) {
    relative /= "c" + std::to_string(i);
  }
  tree.dir(relative.string());
  for (int i = 0; i < depth; ++i) {
    const std::string name = "c" + std::to_string(i);
    const auto status = walk.Query(name);
    ASSERT_TRUE(status && walk.Enter(name, *status)) << name;
  }
}

TEST(PosixFolderWalk, DeepChainKeepsFewDescriptorsAndFindsItsWayBack) {
  TempTree tree;
  tree.dir("top");
  const auto walk = OpenFolderWalk(tree.path("top").string()).walk;
  ASSERT_TRUE(walk);
  const int before = OpenDescriptors();
  EnterChain(*walk, tree, 200);
  EXPECT_LE(OpenDescriptors() - before, 32);
  for (int i = 0; i < 200; ++i) {
    ASSERT_TRUE(walk->Leave()) << i;
  }
  EXPECT_FALSE(walk->Leave());
  EXPECT_EQ(ListAll(*walk).count("c0"), 1u);
}

TEST(PosixFolderWalk, LeaveStopsWhenAFolderWasMovedOutFromUnderIt) {
  TempTree tree;
  tree.dir("top");
  const auto walk = OpenFolderWalk(tree.path("top").string()).walk;
  ASSERT_TRUE(walk);
  EnterChain(*walk, tree, 100);
  // c1 now sits directly in top: its ".." is no longer c0.
  fs::rename(tree.path("top/c0/c1"), tree.path("top/moved"));
  int leaves = 0;
  while (walk->Leave()) {
    ++leaves;
  }
  EXPECT_EQ(leaves, 98); // from c99 up to c1; the step from c1 to c0 fails
}

TEST(PosixFolderWalk, EntriesUsedByRunningProcessesAreInUse) {
  TempTree tree;
  const auto open = tree.file("top/open");
  const auto mapped = tree.file("top/mapped", std::string(4096, 'm'));
  tree.file("top/plain");
  const auto cwd = tree.dir("top/cwd");
  const auto socketPath = tree.path("top/sock");

  const int openFd = ::open(open.c_str(), O_RDONLY | O_CLOEXEC);
  const int mapFd = ::open(mapped.c_str(), O_RDONLY | O_CLOEXEC);
  void* map = ::mmap(nullptr, 4096, PROT_READ, MAP_SHARED, mapFd, 0);
  ::close(mapFd);
  const int listener = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  ASSERT_LT(socketPath.string().size(), sizeof address.sun_path);
  std::snprintf(address.sun_path, sizeof address.sun_path, "%s", socketPath.c_str());
  ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(::listen(listener, 1), 0);
  {
    const Holder inCwd([&] { (void)!::chdir(cwd.c_str()); });
    const auto walk = OpenFolderWalk(tree.path("top").string()).walk;
    ASSERT_TRUE(walk);
    for (const char* name : {"open", "mapped", "cwd", "sock"}) {
      const auto status = walk->Query(name);
      ASSERT_TRUE(status) << name;
      EXPECT_TRUE(status->inUse) << name;
    }
    EXPECT_FALSE(walk->Query("plain")->inUse);
  }
  ::close(listener);
  ::munmap(map, 4096);
  ::close(openFd);
}

TEST(PosixFolderWalk, ListedFilesGoInOneStepUnlessInUseOrGone) {
  TempTree tree;
  tree.file("top/plain");
  ::chmod(tree.file("top/readonly").c_str(), 0444);
  const auto held = tree.file("top/held");
  tree.file("top/vanishing");
  const int heldFd = ::open(held.c_str(), O_RDONLY | O_CLOEXEC);
  const auto walk = OpenFolderWalk(tree.path("top").string()).walk;
  ASSERT_TRUE(walk);
  FolderListing listing;
  ASSERT_TRUE(walk->List(listing));
  std::map<std::string, std::uint64_t> inodes;
  for (std::size_t i = 0; i < listing.size(); ++i) {
    inodes[std::string(listing.Name(i))] = listing.Inode(i);
  }
  fs::remove(tree.path("top/vanishing"));

  EXPECT_EQ(walk->DeleteListedFile("plain", inodes["plain"]), ListedDelete::Deleted);
  EXPECT_EQ(walk->DeleteListedFile("readonly", inodes["readonly"]), ListedDelete::Deleted);
  EXPECT_EQ(walk->DeleteListedFile("held", inodes["held"]), ListedDelete::InUse);
  EXPECT_EQ(walk->DeleteListedFile("vanishing", inodes["vanishing"]), ListedDelete::Vanished);
  EXPECT_EQ(walk->DeleteListedFile("held", 0), ListedDelete::NeedsFullSteps);
  EXPECT_TRUE(fs::exists(held));
  EXPECT_FALSE(fs::exists(tree.path("top/plain")));
  ::close(heldFd);
}

TEST(PosixFolderWalk, ReadOnlyIsAMissingOwnerWriteBitAndClearsOnlyWhatIsOurs) {
  TempTree tree;
  const auto file = tree.file("top/file");
  const auto folder = tree.dir("top/folder");
  const auto outside = tree.file("outside");
  fs::create_hard_link(outside, tree.path("top/hardlink"));
  ::chmod(file.c_str(), 0444);
  ::chmod(folder.c_str(), 0555);
  ::chmod(outside.c_str(), 0444);
  const auto walk = OpenFolderWalk(tree.path("top").string()).walk;
  ASSERT_TRUE(walk);

  for (const char* name : {"file", "folder"}) {
    const auto status = walk->Query(name);
    ASSERT_TRUE(status) << name;
    EXPECT_NE(status->attributes & FileAttr::ReadOnly, 0u) << name;
    EXPECT_TRUE(walk->SetAttributes(name, *status, status->attributes & ~FileAttr::ReadOnly));
  }
  EXPECT_EQ(ModeOf(file), 0644u);
  EXPECT_EQ(ModeOf(folder), 0755u);

  // The hard-linked file's mode belongs to its name outside as well.
  const auto linked = walk->Query("hardlink");
  ASSERT_TRUE(linked);
  EXPECT_FALSE(walk->SetAttributes("hardlink", *linked, 0));
  EXPECT_EQ(ModeOf(outside), 0444u);
}

TEST(PosixFileSystem, ReadAttributesByPath) {
  TempTree tree;
  const auto folder = tree.dir("folder");
  const auto file = tree.file("file");
  ::chmod(file.c_str(), 0400);
  fs::create_directory_symlink(folder, tree.path("folderlink"));
  EXPECT_EQ(ReadAttributes(folder.string()), FileAttr::Directory);
  EXPECT_EQ(ReadAttributes(file.string()), FileAttr::ReadOnly);
  EXPECT_EQ(ReadAttributes(tree.path("folderlink").string()),
            FileAttr::Directory | FileAttr::ReparsePoint);
  EXPECT_EQ(ReadAttributes(tree.path("missing").string()), std::nullopt);
}

TEST(PosixSystemFolders, DisplayNameIsTheComponentsOwnName) {
  TempTree tree;
  tree.dir("Long Name");
  fs::create_symlink("nowhere", tree.path("dangling"));
  EXPECT_EQ(GetDisplayName(tree.path("Long Name").string()), "Long Name");
  EXPECT_EQ(GetDisplayName(tree.path("dangling").string()), "dangling");
  EXPECT_EQ(GetDisplayName(tree.path("missing").string()), std::nullopt);
}

} // namespace
} // namespace fegolin::platform
