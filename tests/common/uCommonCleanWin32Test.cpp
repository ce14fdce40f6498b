// The cleaning engine on Windows: attributes set with SetFileAttributesA,
// files another process keeps open, and folder links.

#include "common/uCommon.h"

#include "tests/common/CleanTestSupport.h"
#include "tests/support/SystemSupport.h"
#include "tests/support/TempTree.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <winioctl.h>

#include <cstring>
#include <filesystem>
#include <set>
#include <string>

namespace fegolin {
namespace {

namespace fs = std::filesystem;
using test::CountingObserver;
using test::EntriesBelow;
using test::TempTree;

constexpr DWORD kReadOnly = FILE_ATTRIBUTE_READONLY;
constexpr DWORD kHidden = FILE_ATTRIBUTE_HIDDEN;
constexpr DWORD kSystem = FILE_ATTRIBUTE_SYSTEM;

DWORD Attributes(const fs::path& path) {
  return GetFileAttributesA(path.string().c_str());
}

// Gives a file exactly these attributes and checks that the system kept
// them, so a test never passes on attributes that were never there.
void SetAttributes(const fs::path& path, DWORD attributes) {
  ASSERT_TRUE(SetFileAttributesA(path.string().c_str(), attributes)) << path;
  ASSERT_EQ(Attributes(path) & (kReadOnly | kHidden | kSystem), attributes) << path;
}

TEST(CleanDirectoryWin32, ReadOnlyHiddenAndSystemFilesAllGo) {
  TempTree tree;
  SetAttributes(tree.file("top/ro.txt"), kReadOnly);
  SetAttributes(tree.file("top/hidden.txt"), kHidden);
  SetAttributes(tree.file("top/system.sys"), kSystem);
  SetAttributes(tree.file("top/all.sys"), kReadOnly | kHidden | kSystem);
  SetAttributes(tree.file("top/sub/deeper/ro-hidden"), kReadOnly | kHidden);
  SetAttributes(tree.file("top/sub/ro"), kReadOnly);
  // Folders may carry the bits as well where the file system keeps them.
  SetFileAttributesA(tree.path("top/sub").string().c_str(), kHidden | kSystem);
  CountingObserver observer;
  EXPECT_TRUE(CleanDirectory("*.*", tree.path("top").string(), &observer));
  EXPECT_TRUE(EntriesBelow(tree.path("top")).empty());
  EXPECT_EQ(observer.removed, 8);
  EXPECT_TRUE(fs::is_directory(tree.path("top")));
}

TEST(CleanDirectoryWin32, FileHeldOpenByAnotherProcessStaysWithItsSystemBit) {
  TempTree tree;
  const auto held = tree.file("top/busy/held.sys");
  SetAttributes(held, kReadOnly | kHidden | kSystem);
  SetAttributes(tree.file("top/busy/sibling"), kReadOnly);
  tree.file("top/busy/deeper/x");
  tree.file("top/plain");
  tree.file("top/other/y");

  CountingObserver observer;
  {
    test::ChildProcess holder(FILE_HOLDER, {held.string()});
    ASSERT_EQ(holder.ReadLine(), "held");
    // Every listing runs to its end, so the run counts as a success.
    EXPECT_TRUE(CleanDirectory("*.*", tree.path("top").string(), &observer));
  }
  EXPECT_EQ(EntriesBelow(tree.path("top")), (std::set<std::string>{"busy", "busy/held.sys"}));
  EXPECT_EQ(observer.left, 2) << "the held file and the folder that holds it";
  // Read-only and hidden were cleared before the delete was refused; the
  // system bit is never touched.
  EXPECT_EQ(Attributes(held) & (kReadOnly | kHidden | kSystem), kSystem);

  // Once it is let go, the next run takes it.
  EXPECT_TRUE(CleanDirectory("*.*", tree.path("top").string()));
  EXPECT_TRUE(EntriesBelow(tree.path("top")).empty());
}

// The reparse data of a junction (a mount point) to `target`.
struct MountPointData {
  DWORD tag = IO_REPARSE_TAG_MOUNT_POINT;
  WORD dataLength = 0;
  WORD reserved = 0;
  WORD substituteOffset = 0;
  WORD substituteLength = 0;
  WORD printOffset = 0;
  WORD printLength = 0;
  WCHAR paths[MAX_PATH * 2] = {};
};

bool MakeJunction(const fs::path& link, const fs::path& target) {
  if (!CreateDirectoryA(link.string().c_str(), nullptr)) {
    return false;
  }
  const HANDLE handle =
      CreateFileA(link.string().c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                  FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    return false;
  }
  const std::wstring substitute = L"\\??\\" + target.wstring();
  MountPointData data;
  const auto bytes = static_cast<WORD>(substitute.size() * sizeof(WCHAR));
  std::memcpy(data.paths, substitute.c_str(), bytes);
  data.substituteLength = bytes;
  data.printOffset = static_cast<WORD>(bytes + sizeof(WCHAR));
  // Four offsets and lengths, the substitute name and two terminators.
  data.dataLength = static_cast<WORD>(4 * sizeof(WORD) + bytes + 2 * sizeof(WCHAR));
  DWORD returned = 0;
  const BOOL made = DeviceIoControl(handle, FSCTL_SET_REPARSE_POINT, &data,
                                    data.dataLength + 2 * sizeof(WORD) + sizeof(DWORD), nullptr, 0,
                                    &returned, nullptr);
  CloseHandle(handle);
  if (!made) {
    RemoveDirectoryA(link.string().c_str());
  }
  return made != FALSE;
}

// Wine has no junctions; a symbolic link of the host's file system, which it
// reports as a folder with the reparse-point bit, stands in for one there.
using UnixFileName = char*(__cdecl*)(const WCHAR*);

bool MakeHostLink(const fs::path& link, const fs::path& target) {
  const auto unixName = reinterpret_cast<UnixFileName>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
  if (unixName == nullptr) {
    return false;
  }
  char* unixLink = unixName(link.wstring().c_str());
  char* unixTarget = unixName(target.wstring().c_str());
  std::string command =
      std::string("\"Z:\\bin\\ln\" -s \"") + unixTarget + "\" \"" + unixLink + "\"";
  HeapFree(GetProcessHeap(), 0, unixLink);
  HeapFree(GetProcessHeap(), 0, unixTarget);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA("Z:\\bin\\ln", command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    return false;
  }
  // A host program started from Wine gives no handle to wait on; the link
  // appears whole, so it is ready once it is there.
  for (int i = 0; i < 1000 && Attributes(link) == INVALID_FILE_ATTRIBUTES; ++i) {
    Sleep(10);
  }
  return Attributes(link) != INVALID_FILE_ATTRIBUTES;
}

TEST(CleanDirectoryWin32, FolderLinksAreNeverEntered) {
  TempTree tree;
  tree.file("outside/keep", "keep me");
  SetAttributes(tree.file("outside/ro"), kReadOnly | kHidden);
  tree.file("top/plain");
  const auto link = tree.path("top/link");
  if (!MakeJunction(link, tree.path("outside")) && !MakeHostLink(link, tree.path("outside"))) {
    GTEST_SKIP() << "this system can make no folder link here";
  }
  ASSERT_EQ(Attributes(link) & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT),
            static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT));

  EXPECT_TRUE(CleanDirectory("*.*", tree.path("top").string()));
  EXPECT_EQ(EntriesBelow(tree.path("outside")), (std::set<std::string>{"keep", "ro"}));
  EXPECT_EQ(Attributes(tree.path("outside/ro")) & (kReadOnly | kHidden), kReadOnly | kHidden);
  EXPECT_FALSE(fs::exists(tree.path("top/plain")));
  // A junction is removed as itself; Wine cannot remove a host link, which
  // then stays as it was.
  const DWORD left = Attributes(link);
  EXPECT_TRUE(left == INVALID_FILE_ATTRIBUTES || (left & FILE_ATTRIBUTE_REPARSE_POINT) != 0);
}

} // namespace
} // namespace fegolin
