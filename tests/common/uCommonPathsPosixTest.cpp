// The path helpers and system folders on POSIX: "/" as the native
// separator, /tmp, $TMPDIR and a case-sensitive file system.

#include "common/uCommon.h"

#include "tests/support/TempTree.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace fegolin {
namespace {

TEST(PathsOnPosix, NativeStyleIsPosix) {
  EXPECT_EQ(PathSeparator(), '/');
  EXPECT_EQ(NormalizeDirPath("/var/tmp//"), "/var/tmp/");
  EXPECT_EQ(AddTrailingBackslash("/var/tmp//"), "/var/tmp//");
  EXPECT_EQ(StripTrailingBackslashes("/var/tmp//"), "/var/tmp");
}

TEST(SystemFoldersOnPosix, SystemTempIsTmp) {
  EXPECT_EQ(GetWindowsTempDir(), "/tmp");
}

TEST(SystemFoldersOnPosix, AFileNamedLikeTheTempFolderDoesNotCount) {
  test::TempTree tree;
  tree.file("tmp");
  const auto isFolder = [](std::string_view path) {
    const auto attributes = platform::ReadAttributes(path);
    return attributes && (*attributes & platform::FileAttr::Directory) != 0;
  };
  EXPECT_EQ(GetWindowsTempDir(tree.root().string(), "tmp", isFolder, PathStyle::Posix), "");
  tree.dir("TMP");
  EXPECT_EQ(GetWindowsTempDir(tree.root().string(), "tmp", isFolder, PathStyle::Posix),
            (tree.root() / "TMP").string());
}

// GetTempDirPath reads $TMPDIR; each case sets it and puts it back.
class UserTempPath : public ::testing::Test {
protected:
  void SetUp() override {
    const char* value = std::getenv("TMPDIR");
    saved_ = value != nullptr ? value : "";
  }
  void TearDown() override { ::setenv("TMPDIR", saved_.c_str(), 1); }
  std::string saved_;
};

TEST_F(UserTempPath, TmpdirNamingAFolderIsUsedInItsPlainDirectoryForm) {
  test::TempTree tree;
  tree.dir("sub");
  for (const std::string& written :
       {tree.root().string() + "//", tree.root().string() + "/./sub/..",
        tree.root().string() + "//sub/../."}) {
    ::setenv("TMPDIR", written.c_str(), 1);
    EXPECT_EQ(GetTempDirPath(), tree.root().string() + "/") << written;
    EXPECT_EQ(GetLongDisplayPath(GetTempDirPath()), tree.root().string()) << written;
  }
}

TEST(LexicallyNormalPath, TidiesTheTextOnly) {
  const std::pair<const char*, const char*> cases[] = {
      {"/tmp/..", "/"},
      {"//tmp/../", "/"},
      {"/./", "/"},
      {"/..", "/"},
      {"/a/./b//c/../d", "/a/b/d"},
      {"a/../..", ".."},
      {".", "."},
      {"", "."},
  };
  for (const auto& [path, normal] : cases) {
    EXPECT_EQ(LexicallyNormalPath(path, PathStyle::Posix), normal) << path;
  }
  EXPECT_EQ(LexicallyNormalPath(R"(C:\Temp\.\x\..\\)", PathStyle::Windows), R"(C:\Temp)");
  EXPECT_EQ(LexicallyNormalPath(R"(\\srv\share\..\x)", PathStyle::Windows), R"(\\srv\share\x)");
}

TEST_F(UserTempPath, TmpdirNotNamingAFolderFallsBackToTmp) {
  test::TempTree tree;
  for (const auto& value : {(tree.root() / "missing").string(), tree.file("f").string(),
                            std::string("relative"), std::string()}) {
    ::setenv("TMPDIR", value.c_str(), 1);
    EXPECT_EQ(GetTempDirPath(), "/tmp/") << value;
  }
}

} // namespace
} // namespace fegolin
