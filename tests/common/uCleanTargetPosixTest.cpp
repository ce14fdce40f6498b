// What a clean is pointed at, judged by what it is: the root, the home
// folder and the folders above it, relative paths, other accounts' folders
// and links, and mounts below a listed folder. Every case that could empty
// the machine runs in a throw-away root: a private mount namespace with a
// tmpfs of its own as "/", so a fault here cannot reach a real file.

#include "common/uCommon.h"

#include "tests/common/CleanTestSupport.h"
#include "tests/support/TempTree.h"

#include <gtest/gtest.h>

#include <sched.h>
#include <sys/mman.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <string>

namespace fegolin {
namespace {

namespace fs = std::filesystem;
using test::Fingerprint;
using test::kChildSkipped;
using test::kNobody;
using test::RunInChild;
using test::TempTree;

// Failures found in the child, handed to the parent through shared memory.
struct Findings {
  char text[8192];
};

// Runs `body` as root of a fresh tmpfs mounted as "/" in a mount namespace
// of its own (a user namespace first where we are not root). Whatever it
// writes to its findings is reported as a failure. Skipped where the system
// allows no namespaces.
void InScratchRoot(const TempTree& tree, const std::function<void(std::string&)>& body) {
  void* shared =
      ::mmap(nullptr, sizeof(Findings), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
  ASSERT_NE(shared, MAP_FAILED);
  auto* findings = new (shared) Findings{};
  const fs::path scratch = tree.dir("scratch-root");
  const int code = RunInChild([&] {
    const int flags = ::geteuid() == 0 ? CLONE_NEWNS : CLONE_NEWUSER | CLONE_NEWNS;
    if (::unshare(flags) != 0 ||
        ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        ::mount("scratch", scratch.c_str(), "tmpfs", 0, "mode=0755") != 0 ||
        ::chroot(scratch.c_str()) != 0 || ::chdir("/") != 0) {
      return kChildSkipped;
    }
    std::string text;
    body(text);
    std::strncpy(findings->text, text.c_str(), sizeof findings->text - 1);
    return 0;
  });
  const std::string text = findings->text;
  ::munmap(shared, sizeof(Findings));
  if (code == kChildSkipped) {
    GTEST_SKIP() << "this system allows no private mount namespace";
  }
  ASSERT_EQ(code, 0);
  EXPECT_EQ(text, "");
}

void MakeFile(const fs::path& path) {
  fs::create_directories(path.parent_path());
  std::ofstream(path) << "x";
}

// A small machine: /tmp as everywhere, a home with documents, a folder
// another account owns, a world-writable folder without the sticky bit,
// and links into home and to the root.
void BuildMachine() {
  MakeFile("/etc/passwd-like");
  MakeFile("/home/user/docs/letter.txt");
  MakeFile("/home/user/work/temp/scratch");
  fs::create_directories("/tmp");
  ::chmod("/tmp", 01777);
  MakeFile("/tmp/mine/junk");
  MakeFile("/tmp/theirs/junk");
  ::chown("/tmp/theirs", kNobody, kNobody);
  fs::create_directory_symlink("/", "/tmp/to-root");
  fs::create_directory_symlink("/home/user", "/tmp/to-home");
  fs::create_directory_symlink("/home/user/docs", "/tmp/planted");
  ::lchown("/tmp/planted", kNobody, kNobody);
  MakeFile("/shared/open/junk");
  ::chmod("/shared", 0777);
  ::setenv("HOME", "/home/user", 1);
}

TEST(CleanTarget, RefusesWhatMustNeverBeEmptiedHoweverItIsSpelled) {
  TempTree tree;
  InScratchRoot(tree, [](std::string& findings) {
    BuildMachine();
    ::chdir("/home/user");
    const auto before = Fingerprint("/");
    const std::map<std::string, platform::TargetRefusal> refused{
        {"/", platform::TargetRefusal::Root},
        {"//", platform::TargetRefusal::Root},
        {"/.", platform::TargetRefusal::Root},
        {"/./", platform::TargetRefusal::Root},
        {"/tmp/..", platform::TargetRefusal::Root},
        {"//tmp/../", platform::TargetRefusal::Root},
        {"/tmp/to-root", platform::TargetRefusal::Root},
        {"/tmp/to-root/home/..", platform::TargetRefusal::Root},
        {"/home/user", platform::TargetRefusal::HomeOrAbove},
        {"/home/user/work/..", platform::TargetRefusal::HomeOrAbove},
        {"/tmp/to-home", platform::TargetRefusal::HomeOrAbove},
        {"/home", platform::TargetRefusal::HomeOrAbove},
        {".", platform::TargetRefusal::Relative},
        {"tmp", platform::TargetRefusal::Relative},
        {"", platform::TargetRefusal::Relative},
        {"/tmp/theirs", platform::TargetRefusal::NotOwned},
        {"/tmp/planted", platform::TargetRefusal::ForeignLink},
        {"/shared/open", platform::TargetRefusal::ForeignFolder},
        {"/tmp/mine/junk", platform::TargetRefusal::NotFolder},
        {"/tmp/none", platform::TargetRefusal::Missing},
    };
    for (const auto& [path, why] : refused) {
      const CleanSummary summary = CleanFolder(path, {}, CleanMode::Delete);
      if (summary.target.refusal != why) {
        findings +=
            "'" + path + "' not refused as " + std::string(platform::TargetRefusalText(why)) + "\n";
      }
    }
    if (Fingerprint("/") != before) {
      findings += "a refused folder was touched\n";
    }
    // A folder below home, reached through a trusted link, is fine.
    const CleanSummary ok = CleanFolder("/tmp/to-home/work", {}, CleanMode::Delete);
    if (!ok.target.ok() || ok.removed != 2 || fs::exists("/home/user/work/temp")) {
      findings += "a folder below home was not cleaned\n";
    }
  });
}

TEST(CleanTarget, MountsBelowTheFolderAreNeverEnteredBindMountsIncluded) {
  TempTree tree;
  InScratchRoot(tree, [](std::string& findings) {
    MakeFile("/data/source/precious");
    MakeFile("/tmp/listed/junk");
    fs::create_directories("/tmp/listed/bound");
    if (::mount("/data/source", "/tmp/listed/bound", nullptr, MS_BIND, nullptr) != 0) {
      findings += "bind mount failed\n";
      return;
    }
    const CleanSummary summary = CleanFolder("/tmp/listed", {}, CleanMode::Delete);
    ::umount("/tmp/listed/bound");
    if (!fs::exists("/data/source/precious")) {
      findings += "the source of a bind mount was emptied\n";
    }
    if (fs::exists("/tmp/listed/junk") || !fs::exists("/tmp/listed/bound") || summary.kept != 1) {
      findings += "the folder around the mount was not cleaned as expected\n";
    }
  });
}

} // namespace
} // namespace fegolin
