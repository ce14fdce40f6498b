// The path helpers and system folders on Windows: "\" as the native
// separator, the Windows directory, GetTempPathA and the shell's names.

#include "common/uCommon.h"

#include "tests/support/TempTree.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

namespace fegolin {
namespace {

TEST(PathsOnWindows, NativeStyleIsWindows) {
  EXPECT_EQ(PathSeparator(), '\\');
  EXPECT_EQ(NormalizeDirPath("C:\\Temp\\\\\\"), "C:\\Temp\\");
  EXPECT_EQ(SplitParentPath("C:\\A").first, "C:\\");
}

TEST(SystemFoldersOnWindows, WindowsTempIsTempInTheWindowsDirectory) {
  char windows[MAX_PATH] = {};
  ASSERT_GT(GetWindowsDirectoryA(windows, MAX_PATH), 0u);
  const std::string temp = GetWindowsTempDir();
  EXPECT_EQ(temp, NormalizeDirPath(windows) + "Temp");
  EXPECT_EQ(lstrcmpiA(temp.c_str(), "C:\\windows\\temp"), 0) << temp;
}

// GetTempPathA reads TMP first; each case sets it and puts it back.
class UserTempOnWindows : public ::testing::Test {
protected:
  void SetUp() override {
    char value[2000] = {};
    const DWORD length = GetEnvironmentVariableA("TMP", value, sizeof value);
    saved_.assign(value, length);
  }
  void TearDown() override { SetEnvironmentVariableA("TMP", saved_.c_str()); }
  std::string saved_;
};

TEST_F(UserTempOnWindows, TestsRunWithTheirOwnTempFolder) {
  const std::string temp = GetTempDirPath();
  EXPECT_EQ(temp, NormalizeDirPath(saved_));
  EXPECT_EQ(temp.find("test-scratch"), temp.rfind("test-scratch")) << temp;
  EXPECT_NE(temp.find("test-scratch"), std::string::npos) << temp;
}

TEST_F(UserTempOnWindows, ShortNamesComeBackLongWithoutTrailingSeparator) {
  test::TempTree tree;
  const std::string longPath = tree.dir("Lokale Einstellungen/Temporary Files").string();
  char shortPath[MAX_PATH] = {};
  const DWORD length = GetShortPathNameA(longPath.c_str(), shortPath, MAX_PATH);
  ASSERT_GT(length, 0u);
  if (std::string(shortPath) == longPath) {
    GTEST_SKIP() << "this volume keeps no short names";
  }
  ASSERT_TRUE(SetEnvironmentVariableA("TMP", shortPath));
  EXPECT_EQ(GetTempDirPath(), std::string(shortPath) + "\\");
  EXPECT_EQ(GetLongDisplayPath(GetTempDirPath()), longPath);
}

TEST_F(UserTempOnWindows, AMissingComponentGivesNothing) {
  test::TempTree tree;
  ASSERT_TRUE(SetEnvironmentVariableA("TMP", tree.path("gone/temp").string().c_str()));
  EXPECT_EQ(GetLongDisplayPath(GetTempDirPath()), "");
}

} // namespace
} // namespace fegolin
