// The folder walk on Windows: FindFirstFileA/FindNextFileA listings,
// GetFileAttributesA/SetFileAttributesA, DeleteFileA and RemoveDirectoryA on
// paths built from the folder the walk stands in.
//
// Every folder from the top down to the current one is held open without
// FILE_SHARE_DELETE, so none of them can be renamed, removed or replaced by a
// link while the walk stands in it; a path built from them always reaches
// the folder that was checked. Links (junctions, symbolic links: reparse
// points) are never entered, and folders on another volume neither.

#include "platform/FileSystem.h"

#include <windows.h>

// The walk's own operations carry the names the ANSI/wide macros of the
// system headers take; the system calls are named with their A suffix.
#undef DeleteFile
#undef RemoveDirectory

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <string>
#include <utility>
#include <vector>

namespace fegolin::platform {
namespace {

// The errno value closest to the last Windows error, so the engine reports
// failures the same way on every platform.
int LastErrorAsErrno() {
  switch (GetLastError()) {
  case ERROR_FILE_NOT_FOUND:
  case ERROR_PATH_NOT_FOUND:
    return ENOENT;
  case ERROR_ACCESS_DENIED:
    return EACCES;
  case ERROR_SHARING_VIOLATION:
  case ERROR_LOCK_VIOLATION:
    return EBUSY;
  case ERROR_DIR_NOT_EMPTY:
    return ENOTEMPTY;
  default:
    return EIO;
  }
}

// A file time as seconds since 1970.
std::int64_t UnixSeconds(const FILETIME& time) {
  const std::uint64_t ticks =
      (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
  constexpr std::uint64_t kTicksTo1970 = 116444736000000000ULL;
  return ticks < kTicksTo1970 ? 0 : static_cast<std::int64_t>((ticks - kTicksTo1970) / 10000000ULL);
}

// A path in one spelling for comparing: full, '\' separated, no trailing
// separator, upper case.
std::string ComparablePath(const std::string& path) {
  char full[MAX_PATH];
  const DWORD length = GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
  std::string result = length > 0 && length < sizeof full ? std::string(full, length) : path;
  for (char& c : result) {
    c = c == '/' ? '\\' : static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  }
  while (result.size() > 3 && result.back() == '\\') {
    result.pop_back();
  }
  return result;
}

// Relative paths, drive and share roots and the profile folder with every
// folder above it are never cleaned.
TargetCheck CheckTargetPath(const std::string& path) {
  const bool absolute =
      (path.size() >= 3 && path[1] == ':' && (path[2] == '\\' || path[2] == '/')) ||
      (path.size() >= 2 && (path[0] == '\\' || path[0] == '/') &&
       (path[1] == '\\' || path[1] == '/'));
  if (!absolute) {
    return {TargetRefusal::Relative, 0};
  }
  const std::string target = ComparablePath(path);
  if (target.size() <= 3 ||
      std::count(target.begin(), target.end(), '\\') <= (target[0] == '\\' ? 3 : 0)) {
    return {TargetRefusal::Root, 0};
  }
  char profile[MAX_PATH];
  const DWORD length = GetEnvironmentVariableA("USERPROFILE", profile, sizeof profile);
  if (length > 0 && length < sizeof profile) {
    const std::string home = ComparablePath(profile);
    if (home == target ||
        (home.size() > target.size() && home.compare(0, target.size(), target) == 0 &&
         home[target.size()] == '\\')) {
      return {TargetRefusal::HomeOrAbove, 0};
    }
  }
  return {};
}

// A handle that closes itself.
class UniqueHandle {
public:
  UniqueHandle() = default;
  explicit UniqueHandle(HANDLE handle) : handle_(handle) {}
  ~UniqueHandle() { Reset(); }
  UniqueHandle(UniqueHandle&& other) noexcept
      : handle_(std::exchange(other.handle_, INVALID_HANDLE_VALUE)) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) {
      Reset();
      handle_ = std::exchange(other.handle_, INVALID_HANDLE_VALUE);
    }
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;

  [[nodiscard]] bool valid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
  [[nodiscard]] HANDLE get() const { return handle_; }

private:
  void Reset() {
    if (valid()) {
      CloseHandle(handle_);
    }
    handle_ = INVALID_HANDLE_VALUE;
  }
  HANDLE handle_ = INVALID_HANDLE_VALUE;
};

// Closes a find handle.
class FindHandle {
public:
  explicit FindHandle(HANDLE handle) : handle_(handle) {}
  ~FindHandle() {
    if (handle_ != INVALID_HANDLE_VALUE) {
      FindClose(handle_);
    }
  }
  FindHandle(const FindHandle&) = delete;
  FindHandle& operator=(const FindHandle&) = delete;
  [[nodiscard]] bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
  [[nodiscard]] HANDLE get() const { return handle_; }

private:
  HANDLE handle_;
};

// An entry name of the current folder: no separator, no drive colon, no
// wildcard, and not "." or "..", so a joined path stays inside the folder.
bool IsPlainName(std::string_view name) {
  return !name.empty() && name != "." && name != ".." &&
         name.find_first_of("\\/:*?\0", 0, 6) == std::string_view::npos;
}

// A folder held open so that it stays what it is, with what tells it apart.
struct PinnedFolder {
  UniqueHandle handle;
  BY_HANDLE_FILE_INFORMATION info{};
};

// Opens `path` as a folder without following a final link (unless
// `followLink`), sharing everything but deletion. Nothing when the path is
// no folder, or is a link and links are not followed.
std::optional<PinnedFolder> PinFolder(const std::string& path, bool followLink) {
  DWORD flags = FILE_FLAG_BACKUP_SEMANTICS;
  if (!followLink) {
    flags |= FILE_FLAG_OPEN_REPARSE_POINT;
  }
  PinnedFolder folder;
  folder.handle = UniqueHandle(CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES | SYNCHRONIZE,
                                           FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                           OPEN_EXISTING, flags, nullptr));
  if (!folder.handle.valid() || !GetFileInformationByHandle(folder.handle.get(), &folder.info)) {
    return std::nullopt;
  }
  const DWORD attributes = folder.info.dwFileAttributes;
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0 ||
      (!followLink && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0)) {
    return std::nullopt;
  }
  return folder;
}

class Win32FolderWalk final : public FolderWalk {
public:
  Win32FolderWalk(std::string top, PinnedFolder folder)
      : volume_(folder.info.dwVolumeSerialNumber) {
    levels_.push_back({std::move(top), std::move(folder)});
  }

  bool List(FolderListing& listing) override {
    listing.Clear();
    WIN32_FIND_DATAA found{};
    const FindHandle find(FindFirstFileA((current() + "*").c_str(), &found));
    if (!find.valid()) {
      return false;
    }
    do {
      const std::string_view name = found.cFileName;
      if (name != "." && name != "..") {
        listing.Add(name, found.dwFileAttributes);
      }
    } while (FindNextFileA(find.get(), &found));
    return GetLastError() == ERROR_NO_MORE_FILES;
  }

  std::optional<EntryStatus> Query(std::string_view name) override {
    if (!IsPlainName(name)) {
      return std::nullopt;
    }
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (GetFileAttributesExA(PathOf(name).c_str(), GetFileExInfoStandard, &data) == FALSE) {
      return std::nullopt;
    }
    // Windows refuses to delete what is in use by itself, so nothing has to
    // be known about that in advance; a folder is checked again, on an open
    // handle, when it is entered.
    EntryStatus status;
    status.attributes = data.dwFileAttributes;
    status.mode = data.dwFileAttributes;
    status.newestTime =
        std::max({UnixSeconds(data.ftLastWriteTime), UnixSeconds(data.ftLastAccessTime),
                  UnixSeconds(data.ftCreationTime)});
    status.size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    return status;
  }

  bool SetAttributes(std::string_view name, const EntryStatus& current,
                     std::uint32_t attributes) override {
    if (!IsPlainName(name)) {
      return false;
    }
    const std::string path = PathOf(name);
    if ((current.attributes & FileAttr::ReparsePoint) == 0) {
      return SetFileAttributesA(path.c_str(), attributes) != FALSE;
    }
    // SetFileAttributesA would reach through a link to its target; the link
    // itself is changed through a handle opened on the link.
    const UniqueHandle link(
        CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                    FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    FILE_BASIC_INFO info{};
    info.FileAttributes = attributes == 0 ? FILE_ATTRIBUTE_NORMAL : attributes;
    return link.valid() &&
           SetFileInformationByHandle(link.get(), FileBasicInfo, &info, sizeof info) != FALSE;
  }

  bool RestoreAttributes(std::string_view name, const EntryStatus& original) override {
    return SetAttributes(name, EntryStatus{}, original.attributes);
  }

  int DeleteFile(std::string_view name) override {
    if (!IsPlainName(name)) {
      return EINVAL;
    }
    return DeleteFileA(PathOf(name).c_str()) != FALSE ? 0 : LastErrorAsErrno();
  }

  int RemoveDirectory(std::string_view name) override {
    // On a junction or a folder link this removes the link, not its target.
    if (!IsPlainName(name)) {
      return EINVAL;
    }
    return RemoveDirectoryA(PathOf(name).c_str()) != FALSE ? 0 : LastErrorAsErrno();
  }

  // Windows answers for itself when the deletion is tried; a run that
  // changes nothing cannot know beforehand.
  [[nodiscard]] bool MayRemove(const EntryStatus& /*entry*/) const override { return true; }

  [[nodiscard]] std::optional<std::uint64_t> FreeBytes() const override {
    ULARGE_INTEGER free{};
    if (GetDiskFreeSpaceExA(levels_.front().path.c_str(), nullptr, nullptr, &free) == FALSE) {
      return std::nullopt;
    }
    return free.QuadPart;
  }

  bool Enter(std::string_view name, const EntryStatus& expected) override {
    auto folder = PinSubfolder(name, expected);
    if (!folder) {
      return false;
    }
    levels_.push_back({PathOf(name) + '\\', std::move(*folder)});
    return true;
  }

  // The walks above keep every folder from their top down pinned while a
  // branch runs, so the branch's path stays what was checked.
  std::unique_ptr<FolderWalk> Branch(std::string_view name, const EntryStatus& expected) override {
    auto folder = PinSubfolder(name, expected);
    if (!folder) {
      return nullptr;
    }
    return std::make_unique<Win32FolderWalk>(PathOf(name) + '\\', std::move(*folder));
  }

  // The current folder stays pinned by this walk, so its path stays what
  // was checked; the twin pins it once more.
  std::unique_ptr<FolderWalk> Twin() override {
    const Level& here = levels_.back();
    HANDLE copy = nullptr;
    if (!DuplicateHandle(GetCurrentProcess(), here.folder.handle.get(), GetCurrentProcess(), &copy,
                         0, FALSE, DUPLICATE_SAME_ACCESS)) {
      return nullptr;
    }
    PinnedFolder folder;
    folder.handle = UniqueHandle(copy);
    folder.info = here.folder.info;
    return std::make_unique<Win32FolderWalk>(here.path, std::move(folder));
  }

  bool Leave() override {
    if (levels_.size() < 2) {
      return false;
    }
    levels_.pop_back();
    return true;
  }

private:
  struct Level {
    std::string path; // in directory form, ending in '\'
    PinnedFolder folder;
  };

  [[nodiscard]] const std::string& current() const { return levels_.back().path; }
  [[nodiscard]] std::string PathOf(std::string_view name) const {
    return current() + std::string(name);
  }

  // The subfolder `name` pinned, provided it is no link and on this volume.
  [[nodiscard]] std::optional<PinnedFolder> PinSubfolder(std::string_view name,
                                                         const EntryStatus& expected) const {
    if (!IsPlainName(name) || (expected.attributes & FileAttr::ReparsePoint) != 0 ||
        expected.foreignVolume) {
      return std::nullopt;
    }
    auto folder = PinFolder(PathOf(name), false);
    if (!folder || folder->info.dwVolumeSerialNumber != volume_) {
      return std::nullopt;
    }
    return folder;
  }

  std::vector<Level> levels_;
  DWORD volume_;
};

} // namespace

TargetCheck CheckCleanTarget(std::string_view directory) {
  const std::string path(directory);
  if (TargetCheck check = CheckTargetPath(path); !check.ok()) {
    return check;
  }
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    return {TargetRefusal::Missing, LastErrorAsErrno()};
  }
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    return {TargetRefusal::NotFolder, 0};
  }
  return {};
}

FolderWalkOpening OpenFolderWalk(std::string_view directory) {
  std::string top(directory);
  if (TargetCheck check = CheckTargetPath(top); !check.ok()) {
    return {nullptr, check};
  }
  if (top.back() != '\\' && top.back() != '/') {
    top += '\\';
  }
  // The listed folder itself may be reached through a link; below it,
  // nothing is.
  auto folder = PinFolder(top, true);
  if (!folder) {
    return {nullptr, CheckCleanTarget(directory).ok()
                         ? TargetCheck{TargetRefusal::CannotOpen, EACCES}
                         : CheckCleanTarget(directory)};
  }
  return {std::make_unique<Win32FolderWalk>(std::move(top), std::move(*folder)), {}};
}

std::optional<std::uint32_t> ReadAttributes(std::string_view path) {
  const DWORD attributes = GetFileAttributesA(std::string(path).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    return std::nullopt;
  }
  return attributes;
}

char NativePathSeparator() {
  return '\\';
}

} // namespace fegolin::platform
