// The cleaning engine on whatever system the tests run on: the same cases
// hold on POSIX and on Windows.

#include "common/uCommon.h"

#include "tests/common/CleanTestSupport.h"
#include "tests/support/TempTree.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

namespace fegolin {
namespace {

namespace fs = std::filesystem;
using test::CountingObserver;
using test::EntriesBelow;
using test::TempTree;

// Names each case of a table after its `name` field.
struct CaseName {
  template <typename T> std::string operator()(const ::testing::TestParamInfo<T>& param) const {
    return param.param.name;
  }
};

// Makes a file or folder read-only the portable way: without write
// permission on POSIX, with the read-only attribute on Windows.
void MakeReadOnly(const fs::path& path) {
  fs::permissions(path, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
}

class TrailingSeparators : public ::testing::TestWithParam<int> {};

TEST_P(TrailingSeparators, MakeNoDifference) {
  TempTree tree;
  tree.file("top/a/b");
  const std::string directory =
      tree.path("top").string() + std::string(GetParam(), PathSeparator());
  CountingObserver observer;
  EXPECT_TRUE(CleanDirectory("*.*", directory, &observer));
  EXPECT_TRUE(EntriesBelow(tree.path("top")).empty());
  EXPECT_EQ(observer.removed, 2);
  EXPECT_TRUE(CleanDirectory("*.*", directory)) << "an empty folder still lists";
}

INSTANTIATE_TEST_SUITE_P(Cleaning, TrailingSeparators, ::testing::Values(0, 1, 3));

TEST(CleanDirectory, MissingFolderOrAFileGivesFalseAndTouchesNothing) {
  TempTree tree;
  const auto file = tree.file("file");
  EXPECT_FALSE(CleanDirectory("*.*", tree.path("missing").string()));
  EXPECT_FALSE(CleanDirectory("*.*", file.string()));
  EXPECT_TRUE(fs::exists(file));
}

TEST(CleanDirectory, EmptyDirectoryIsNeverTheCurrentFolder) {
  TempTree tree;
  tree.file("stays");
  const auto before = fs::current_path();
  fs::current_path(tree.root());
  const bool result = CleanDirectory("*.*", "");
  fs::current_path(before);
  EXPECT_FALSE(result);
  EXPECT_EQ(EntriesBelow(tree.root()), std::set<std::string>{"stays"});
}

TEST(CleanDirectory, ReadOnlyEntriesAtEveryDepthGoAndTheFolderStays) {
  TempTree tree;
  MakeReadOnly(tree.file("top/ro.txt"));
  tree.file("top/plain");
  MakeReadOnly(tree.file("top/sub/deeper/ro.bin"));
  MakeReadOnly(tree.file("top/sub/.dot/ro"));
  tree.file("top/sub/deeper/deepest/plain");
  CountingObserver observer;
  EXPECT_TRUE(CleanDirectory("*.*", tree.path("top").string(), &observer));
  EXPECT_TRUE(EntriesBelow(tree.path("top")).empty());
  EXPECT_EQ(observer.removed, 9);
  EXPECT_EQ(observer.left, 0);
  EXPECT_TRUE(fs::is_directory(tree.path("top")));
}

struct MaskCase {
  const char* name;
  const char* mask;
  bool result;
  std::set<std::string> remaining;
};

class CleanWithMask : public ::testing::TestWithParam<MaskCase> {};

TEST_P(CleanWithMask, ChoosesEntriesAtEveryLevel) {
  const MaskCase& c = GetParam();
  TempTree tree;
  tree.file("top/a.txt");
  tree.file("top/b.log");
  tree.file("top/noext");
  tree.file("top/sub.txt/c.txt");
  tree.file("top/sub.txt/d.log");
  tree.file("top/sub/e.txt");
  EXPECT_EQ(CleanDirectory(c.mask, tree.path("top").string()), c.result);
  EXPECT_EQ(EntriesBelow(tree.path("top")), c.remaining);
}

INSTANTIATE_TEST_SUITE_P(
    Cleaning, CleanWithMask,
    ::testing::Values(MaskCase{"EveryName", "*.*", true, {}},
                      MaskCase{"OnlyTxt",
                               "*.txt",
                               true,
                               {"b.log", "noext", "sub.txt", "sub.txt/d.log", "sub", "sub/e.txt"}},
                      MaskCase{"NothingMatches",
                               "*.zip",
                               false,
                               {"a.txt", "b.log", "noext", "sub.txt", "sub.txt/c.txt",
                                "sub.txt/d.log", "sub", "sub/e.txt"}}),
    CaseName());

} // namespace
} // namespace fegolin
