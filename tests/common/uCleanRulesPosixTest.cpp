// The user's rules on real trees: the minimum age, the keep patterns, a
// preview that announces exactly what the run then removes, and folders
// that stay getting their mode back.

#include "common/uCleanRules.h"
#include "common/uCommon.h"

#include "tests/common/CleanTestSupport.h"
#include "tests/support/PosixHolder.h"
#include "tests/support/TempTree.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <set>
#include <string>

namespace fegolin {
namespace {

namespace fs = std::filesystem;
using test::Holder;
using test::TempTree;

std::int64_t Now() {
  return std::chrono::duration_cast<std::chrono::seconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

// Gives `path` this access and modification time (its change time becomes
// the real now), like `touch -d`.
void Stamp(const fs::path& path, std::int64_t seconds) {
  const timespec times[2] = {{seconds, 0}, {seconds, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW), 0) << path;
}

mode_t ModeOf(const fs::path& path) {
  struct stat st {};
  ::lstat(path.c_str(), &st);
  return st.st_mode & 07777;
}

// Collects what the engine tells about every entry.
class Journal final : public CleanObserver {
public:
  [[nodiscard]] bool WantsDetails() const override { return true; }
  void Entry(const CleanEvent& event) override {
    (event.reason == CleanReason::None ? removed : kept)[std::string(event.path)] = event.reason;
  }
  std::map<std::string, CleanReason> removed;
  std::map<std::string, CleanReason> kept;
};

TEST(CleanRules, GlobsMatchNamesAsTheShellDoes) {
  const struct {
    const char* pattern;
    const char* name;
    bool matches;
  } cases[] = {
      {"krb5cc_*", "krb5cc_1000", true},
      {"krb5cc_*", "krb5cc_", true},
      {"krb5cc_*", "Krb5cc_1", false},
      {".X*-lock", ".X0-lock", true},
      {".X*-lock", ".X0-lock~", false},
      {"*", ".hidden", true},
      {"a?c", "abc", true},
      {"a?c", "ac", false},
      {"[abc]x", "bx", true},
      {"[!abc]x", "bx", false},
      {"[a-c]*", "car", true},
      {"[a-c]*", "dog", false},
      {"[", "[", true},
      {"*a*b*c*", "xxaxxbxxcxx", true},
      {"*a*b*c*", "xxaxxcxxbxx", false},
      {"", "", true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(MatchesGlob(c.pattern, c.name), c.matches) << c.pattern << " vs " << c.name;
  }
  EXPECT_EQ(SplitKeepPatterns(" a* ;; b?  ;"), (std::vector<std::string>{"a*", "b?"}));
  EXPECT_EQ(SplitKeepPatterns(JoinKeepPatterns(DefaultKeepPatterns())), DefaultKeepPatterns());
}

TEST(CleanRules, MinimumAgeKeepsWhatWasTouchedWithinIt) {
  TempTree tree;
  // "Now" two hours ahead, so the change times the system gives every new
  // entry count as old and the stamped times alone decide.
  CleanRules rules;
  rules.now = Now() + 2 * 3600;
  rules.minimumAgeSeconds = 3600;
  const std::int64_t young = rules.now - 3600 + 60;
  const std::int64_t old = rules.now - 3600 - 60;
  Stamp(tree.file("top/young"), young);
  Stamp(tree.file("top/old"), old);
  // A new folder holding old files: the files go, the folder stays.
  Stamp(tree.file("top/newdir/old"), old);
  Stamp(tree.path("top/newdir"), young);
  // An old folder whose old contents go in the same run goes with them,
  // though deleting them just changed its times.
  Stamp(tree.file("top/olddir/sub/old"), old);
  Stamp(tree.path("top/olddir/sub"), old);
  Stamp(tree.path("top/olddir"), old);

  Journal journal;
  const CleanSummary summary =
      CleanFolder(tree.path("top").string(), rules, CleanMode::Delete, &journal);
  EXPECT_EQ(test::EntriesBelow(tree.path("top")), (std::set<std::string>{"newdir", "young"}));
  EXPECT_EQ(journal.kept, (std::map<std::string, CleanReason>{{"newdir", CleanReason::TooYoung},
                                                              {"young", CleanReason::TooYoung}}));
  EXPECT_EQ(summary.removed, 5u);
}

TEST(CleanRules, KeepPatternsKeepWholeTreesAtAnyDepth) {
  TempTree tree;
  tree.file("top/krb5cc_1000");
  tree.file("top/deep/er/.X11-unix/X0");
  tree.file("top/deep/er/.X11-unix/nested/more");
  tree.file("top/deep/junk");
  tree.file("top/krb5cc");
  CleanRules rules;
  rules.keepPatterns = DefaultKeepPatterns();
  const CleanSummary summary = CleanFolder(tree.path("top").string(), rules, CleanMode::Delete);
  EXPECT_EQ(test::EntriesBelow(tree.path("top")),
            (std::set<std::string>{"krb5cc_1000", "deep", "deep/er", "deep/er/.X11-unix",
                                   "deep/er/.X11-unix/X0", "deep/er/.X11-unix/nested",
                                   "deep/er/.X11-unix/nested/more"}));
  // The two matches, and the two folders that hold one.
  EXPECT_EQ(summary.kept, 4u);
  EXPECT_EQ(summary.removed, 2u);
}

TEST(CleanRules, PreviewAnnouncesExactlyWhatTheRunRemoves) {
  TempTree tree;
  CleanRules rules;
  rules.keepPatterns = {"keep-*"};
  rules.now = Now() + 2 * 3600;
  rules.minimumAgeSeconds = 3600;
  const std::int64_t old = rules.now - 7200;
  for (const char* file : {"top/a", "top/keep-me/x", "top/sub/b", "top/sub/held", "top/ro/c",
                           "top/ro/deeper/d", "top/.hidden"}) {
    Stamp(tree.file(file), old);
  }
  Stamp(tree.file("top/sub/young"), rules.now - 60);
  for (const char* folder : {"top/keep-me", "top/sub", "top/ro/deeper", "top/ro"}) {
    Stamp(tree.path(folder), old);
  }
  ::chmod(tree.path("top/ro").c_str(), 0555);
  const auto held = tree.path("top/sub/held");
  const Holder holder([&] { [[maybe_unused]] const int fd = ::open(held.c_str(), O_RDONLY); });

  Journal preview;
  const CleanSummary announced =
      CleanFolder(tree.path("top").string(), rules, CleanMode::Preview, &preview);
  const auto untouched = test::EntriesBelow(tree.path("top"));
  Journal run;
  const CleanSummary done = CleanFolder(tree.path("top").string(), rules, CleanMode::Delete, &run);

  EXPECT_EQ(untouched.size(), 12u) << "the preview changed the tree";
  EXPECT_EQ(preview.removed, run.removed);
  EXPECT_EQ(preview.kept, run.kept);
  EXPECT_EQ(preview.kept,
            (std::map<std::string, CleanReason>{{"keep-me", CleanReason::KeepPattern},
                                                {"sub", CleanReason::NotEmpty},
                                                {"sub/held", CleanReason::InUse},
                                                {"sub/young", CleanReason::TooYoung}}));
  EXPECT_EQ(announced.removed, done.removed);
  EXPECT_EQ(announced.bytes, 5u);
}

TEST(CleanRules, FoldersThatStayGetTheirModeBack) {
  TempTree tree;
  const auto heldA = tree.file("top/ro/held");
  const auto heldB = tree.file("top/none/held");
  tree.file("top/ro/gone");
  ::chmod(tree.path("top/ro").c_str(), 0555);
  ::chmod(tree.path("top/none").c_str(), 0);
  {
    const Holder holdA([&] { [[maybe_unused]] const int fd = ::open(heldA.c_str(), O_RDONLY); });
    const Holder holdB([&] { [[maybe_unused]] const int fd = ::open(heldB.c_str(), O_RDONLY); });
    CleanFolder(tree.path("top").string(), {}, CleanMode::Delete);
  }
  EXPECT_EQ(ModeOf(tree.path("top/ro")), 0555u);
  EXPECT_EQ(ModeOf(tree.path("top/none")), 0u);
  EXPECT_FALSE(fs::exists(tree.path("top/ro/gone")));
  ::chmod(tree.path("top/none").c_str(), 0700);
}

} // namespace
} // namespace fegolin
