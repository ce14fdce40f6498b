#include "common/uCommon.h"

#include "tests/support/TempTree.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

namespace fegolin {
namespace {

// Names each case of a table after its `name` field.
struct CaseName {
  template <typename T> std::string operator()(const ::testing::TestParamInfo<T>& param) const {
    return param.param.name;
  }
};

// --- Trailing separators ----------------------------------------------------

struct SeparatorCase {
  const char* name;
  PathStyle style;
  const char* input;
  const char* stripped;
  const char* added;
  const char* normalized;
};

class TrailingSeparators : public ::testing::TestWithParam<SeparatorCase> {};

TEST_P(TrailingSeparators, StripAddAndNormalize) {
  const SeparatorCase& c = GetParam();
  EXPECT_EQ(StripTrailingBackslashes(c.input, c.style), c.stripped);
  EXPECT_EQ(AddTrailingBackslash(c.input, c.style), c.added);
  EXPECT_EQ(NormalizeDirPath(c.input, c.style), c.normalized);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, TrailingSeparators,
    ::testing::Values(
        SeparatorCase{"WinFolderBare", PathStyle::Windows, R"(C:\Temp)", R"(C:\Temp)",
                      R"(C:\Temp\)", R"(C:\Temp\)"},
        SeparatorCase{"WinFolderOne", PathStyle::Windows, R"(C:\Temp\)", R"(C:\Temp)",
                      R"(C:\Temp\)", R"(C:\Temp\)"},
        SeparatorCase{"WinFolderThree", PathStyle::Windows, R"(C:\Temp\\\)", R"(C:\Temp)",
                      R"(C:\Temp\\\)", R"(C:\Temp\)"},
        SeparatorCase{"WinDriveRoot", PathStyle::Windows, R"(C:\)", "C:", R"(C:\)", R"(C:\)"},
        SeparatorCase{"WinEmpty", PathStyle::Windows, "", "", R"(\)", R"(\)"},
        SeparatorCase{"WinSeparatorsOnly", PathStyle::Windows, R"(\\\)", "", R"(\\\)", R"(\)"},
        SeparatorCase{"WinSlashIsNoSeparator", PathStyle::Windows, "C:/Temp/", "C:/Temp/",
                      R"(C:/Temp/\)", R"(C:/Temp/\)"},
        SeparatorCase{"PosixFolderBare", PathStyle::Posix, "/tmp", "/tmp", "/tmp/", "/tmp/"},
        SeparatorCase{"PosixFolderThree", PathStyle::Posix, "/tmp///", "/tmp", "/tmp///", "/tmp/"},
        SeparatorCase{"PosixRoot", PathStyle::Posix, "/", "", "/", "/"},
        SeparatorCase{"PosixEmpty", PathStyle::Posix, "", "", "/", "/"},
        SeparatorCase{"PosixBackslashIsNoSeparator", PathStyle::Posix, R"(a\)", R"(a\)", R"(a\/)",
                      R"(a\/)"}),
    CaseName());

// --- Parent and last component ----------------------------------------------

struct SplitCase {
  const char* name;
  PathStyle style;
  const char* path;
  const char* parent;
  const char* last;
};

class SplitParent : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitParent, GivesParentAndLast) {
  const SplitCase& c = GetParam();
  const auto [parent, last] = SplitParentPath(c.path, c.style);
  EXPECT_EQ(parent, c.parent);
  EXPECT_EQ(last, c.last);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, SplitParent,
    ::testing::Values(SplitCase{"WinTwoLevels", PathStyle::Windows, R"(C:\A\B)", R"(C:\A)", "B"},
                      SplitCase{"WinBelowDriveRoot", PathStyle::Windows, R"(C:\A)", R"(C:\)", "A"},
                      SplitCase{"WinDriveRoot", PathStyle::Windows, R"(C:\)", R"(C:\)", ""},
                      SplitCase{"WinShareRoot", PathStyle::Windows, R"(\\srv\share)",
                                R"(\\srv\share)", ""},
                      SplitCase{"WinBelowShareRoot", PathStyle::Windows, R"(\\srv\share\x)",
                                R"(\\srv\share)", "x"},
                      SplitCase{"WinNoSeparator", PathStyle::Windows, "name", "", "name"},
                      SplitCase{"WinSlashIsAName", PathStyle::Windows, "C:/a/b", "", "C:/a/b"},
                      SplitCase{"PosixTwoLevels", PathStyle::Posix, "/a/b", "/a", "b"},
                      SplitCase{"PosixBelowRoot", PathStyle::Posix, "/a", "/", "a"},
                      SplitCase{"PosixRoot", PathStyle::Posix, "/", "/", ""},
                      SplitCase{"PosixColonIsAName", PathStyle::Posix, "/x/c:/d", "/x/c:", "d"},
                      SplitCase{"PosixNoSeparator", PathStyle::Posix, "name", "", "name"}),
    CaseName());

// --- Long display paths -----------------------------------------------------

// What a Windows shell shows for the components of a short-name temp path.
const std::map<std::string, std::string> kShellNames = {
    {R"(C:\DOKUME~1)", "Dokumente und Einstellungen"},
    {R"(C:\DOKUME~1\user)", "user"},
    {R"(C:\DOKUME~1\user\LOKALE~1)", "Lokale Einstellungen"},
    {R"(C:\DOKUME~1\user\LOKALE~1\Temp)", "Temp"},
    {R"(\\srv\share\tmp)", "tmp"},
    {R"(\\srv\share\tmp\a)", "a"},
    {"/home", "home"},
    {"/home/u", "u"},
};

std::optional<std::string> ShellName(std::string_view path) {
  const auto it = kShellNames.find(std::string(path));
  return it == kShellNames.end() ? std::nullopt : std::optional(it->second);
}

struct DisplayCase {
  const char* name;
  PathStyle style;
  const char* path;
  const char* expected;
};

class LongDisplayPath : public ::testing::TestWithParam<DisplayCase> {};

TEST_P(LongDisplayPath, RebuildsFromShellNames) {
  const DisplayCase& c = GetParam();
  EXPECT_EQ(GetLongDisplayPath(c.path, ShellName, c.style), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, LongDisplayPath,
    ::testing::Values(
        DisplayCase{"WinShortNamesBecomeLong", PathStyle::Windows,
                    R"(C:\DOKUME~1\user\LOKALE~1\Temp\)",
                    R"(C:\Dokumente und Einstellungen\user\Lokale Einstellungen\Temp)"},
        DisplayCase{"WinWithoutTrailingSeparator", PathStyle::Windows, R"(C:\DOKUME~1\user)",
                    R"(C:\Dokumente und Einstellungen\user)"},
        DisplayCase{"WinShareRootKeptAsWritten", PathStyle::Windows, R"(\\srv\share\tmp\a\)",
                    R"(\\srv\share\tmp\a)"},
        DisplayCase{"WinUnknownComponentGivesNothing", PathStyle::Windows, R"(C:\DOKUME~1\nobody\)",
                    ""},
        DisplayCase{"WinBareDriveRootStandsForItself", PathStyle::Windows, R"(C:\)", R"(C:\)"},
        DisplayCase{"WinEmptyNamesNothing", PathStyle::Windows, "", ""},
        DisplayCase{"PosixPathBelowRoot", PathStyle::Posix, "/home/u/", "/home/u"},
        DisplayCase{"PosixRoot", PathStyle::Posix, "/", "/"},
        DisplayCase{"PosixUnknownComponentGivesNothing", PathStyle::Posix, "/home/x/", ""}),
    CaseName());

TEST(LongDisplayPathOnThisSystem, ExistingFolderComesBackWithoutTrailingSeparator) {
  test::TempTree tree;
  const auto folder = tree.dir("long name/inner");
  EXPECT_EQ(GetLongDisplayPath(folder.string() + PathSeparator()), folder.string());
  EXPECT_EQ(GetLongDisplayPath(tree.path("missing/inner/").string()), "");
}

// --- Temporary folders --------------------------------------------------------

struct WindowsTempCase {
  const char* name;
  const char* systemDirectory;
  std::set<std::string> folders;
  const char* expected;
};

class WindowsTempDir : public ::testing::TestWithParam<WindowsTempCase> {};

TEST_P(WindowsTempDir, FindsTempInsideSystemDirectory) {
  const WindowsTempCase& c = GetParam();
  const auto isFolder = [&](std::string_view path) {
    return c.folders.count(std::string(path)) > 0;
  };
  EXPECT_EQ(GetWindowsTempDir(c.systemDirectory, "Temp", isFolder, PathStyle::Windows), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    SystemFolders, WindowsTempDir,
    ::testing::Values(WindowsTempCase{"WithoutTrailingSeparator",
                                      R"(C:\WINDOWS)",
                                      {R"(C:\WINDOWS\Temp)"},
                                      R"(C:\WINDOWS\Temp)"},
                      WindowsTempCase{"WithTrailingSeparator",
                                      R"(C:\WINDOWS\)",
                                      {R"(C:\WINDOWS\Temp)"},
                                      R"(C:\WINDOWS\Temp)"},
                      WindowsTempCase{"UpperCaseFallback",
                                      R"(C:\WINNT)",
                                      {R"(C:\WINNT\TEMP)"},
                                      R"(C:\WINNT\TEMP)"},
                      WindowsTempCase{"NeitherExists", R"(C:\WINDOWS)", {R"(C:\WINDOWS\Tmp)"}, ""}),
    CaseName());

// --- Masks --------------------------------------------------------------------

struct MaskCase {
  const char* mask;
  const char* name;
  bool matches;
};

class Mask : public ::testing::TestWithParam<MaskCase> {};

TEST_P(Mask, MatchesLikeWindows) {
  const MaskCase& c = GetParam();
  EXPECT_EQ(MatchesMask(c.mask, c.name), c.matches) << c.mask << " vs " << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Cleaning, Mask,
    ::testing::Values(MaskCase{"*.*", "plain", true}, MaskCase{"*.*", "a.b.c", true},
                      MaskCase{"*.*", ".hidden", true}, MaskCase{"*.*", ".", true},
                      MaskCase{"*", "x", true}, MaskCase{"*.txt", "A.TXT", true},
                      MaskCase{"*.txt", "a.txt.bak", false}, MaskCase{"*.txt", "..", false},
                      MaskCase{"a?c", "abc", true}, MaskCase{"a?c", "ac", false},
                      MaskCase{"abc.*", "abc", true}, MaskCase{"abc.*", "abcd", false},
                      MaskCase{"*b*b", "abxbb", true}, MaskCase{"", "a", false}));

} // namespace
} // namespace fegolin
