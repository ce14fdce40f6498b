#include "platform/posix/PosixInUse.h"

#include "platform/posix/PosixFd.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <map>
#include <string>
#include <string_view>

namespace fegolin::platform::posix {
namespace {

FileIdentity IdentityOf(const struct stat& st) {
  return {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

bool IsNumber(std::string_view name) {
  return !name.empty() &&
         std::all_of(name.begin(), name.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool ReadWholeFile(int dirFd, const char* name, std::string& text) {
  const UniqueFd fd(::openat(dirFd, name, O_RDONLY | O_CLOEXEC));
  if (!fd.valid()) {
    return false;
  }
  text.clear();
  char buffer[16384];
  for (;;) {
    const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
    if (n < 0) {
      return false;
    }
    if (n == 0) {
      return true;
    }
    text.append(buffer, static_cast<std::size_t>(n));
  }
}

// Splits off the next space-separated field of a line.
std::string_view NextField(std::string_view& line) {
  const auto start = line.find_first_not_of(' ');
  if (start == std::string_view::npos) {
    line = {};
    return {};
  }
  line.remove_prefix(start);
  const auto end = line.find(' ');
  const std::string_view field = line.substr(0, end);
  line.remove_prefix(end == std::string_view::npos ? line.size() : end);
  return field;
}

template <typename T> bool ParseNumber(std::string_view text, T& value, int base) {
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, base);
  return ec == std::errc() && end == text.data() + text.size();
}

// Calls `onLine` for every line of `text`.
template <typename F> void ForEachLine(std::string_view text, F&& onLine) {
  while (!text.empty()) {
    const auto end = text.find('\n');
    onLine(text.substr(0, end));
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
  }
}

void AddOpenFiles(int pidDir, std::vector<FileIdentity>& ids) {
  const int fdDir = ::openat(pidDir, "fd", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fdDir < 0) {
    return;
  }
  DIR* dir = ::fdopendir(fdDir);
  if (dir == nullptr) {
    ::close(fdDir);
    return;
  }
  while (const dirent* entry = ::readdir(dir)) {
    if (entry->d_name[0] == '.') {
      continue;
    }
    struct stat st {};
    if (::fstatat(fdDir, entry->d_name, &st, 0) == 0) {
      ids.push_back(IdentityOf(st));
    }
  }
  ::closedir(dir);
}

// The device and inode a maps line prints, mapped to the identity stat
// reports for that file. Most processes map the same libraries, so each file
// is resolved once per snapshot.
using ResolvedMaps = std::map<FileIdentity, FileIdentity>;

// The maps file names every mapping once per region; a library shows up in
// four or five of them. The device printed there is not always the one stat
// reports (overlay and btrfs differ), so the identity is taken by stat
// through map_files when we may read it.
void AddMappedFiles(int pidDir, std::string& text, ResolvedMaps& resolved) {
  if (!ReadWholeFile(pidDir, "maps", text)) {
    return;
  }
  UniqueFd mapFiles;
  bool mapFilesTried = false;
  ForEachLine(text, [&](std::string_view line) {
    const std::string_view range = NextField(line);
    NextField(line); // permissions
    NextField(line); // offset
    const std::string_view device = NextField(line);
    const std::string_view inodeText = NextField(line);
    std::uint64_t inode = 0;
    if (!ParseNumber(inodeText, inode, 10) || inode == 0) {
      return;
    }
    const auto colon = device.find(':');
    unsigned int major = 0;
    unsigned int minor = 0;
    if (colon == std::string_view::npos || !ParseNumber(device.substr(0, colon), major, 16) ||
        !ParseNumber(device.substr(colon + 1), minor, 16)) {
      return;
    }
    const FileIdentity printed{static_cast<std::uint64_t>(makedev(major, minor)), inode};
    if (resolved.count(printed) != 0) {
      return;
    }
    if (!std::exchange(mapFilesTried, true)) {
      mapFiles.reset(::openat(pidDir, "map_files", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    }
    char name[64];
    struct stat st {};
    if (mapFiles.valid() && range.size() < sizeof name) {
      range.copy(name, range.size());
      name[range.size()] = '\0';
      if (::fstatat(mapFiles.get(), name, &st, 0) == 0) {
        resolved.emplace(printed, IdentityOf(st));
        return;
      }
    }
    resolved.emplace(printed, printed);
  });
}

void AddCurrentFolder(int pidDir, std::vector<FileIdentity>& ids) {
  struct stat st {};
  if (::fstatat(pidDir, "cwd", &st, 0) == 0) {
    ids.push_back(IdentityOf(st));
  }
}

// Bound sockets with a path in the file system. Removing the socket file
// would cut the listening process off from its clients.
void AddBoundSockets(int procDir, std::vector<FileIdentity>& ids, std::string& text) {
  if (!ReadWholeFile(procDir, "net/unix", text)) {
    return;
  }
  bool header = true;
  std::string path;
  ForEachLine(text, [&](std::string_view line) {
    if (std::exchange(header, false)) {
      return;
    }
    // Num RefCount Protocol Flags Type St Inode Path
    for (int i = 0; i < 7; ++i) {
      NextField(line);
    }
    const auto start = line.find_first_not_of(' ');
    if (start == std::string_view::npos || line[start] != '/') {
      return; // unbound or abstract
    }
    path.assign(line.substr(start));
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0 && S_ISSOCK(st.st_mode)) {
      ids.push_back(IdentityOf(st));
    }
  });
}

} // namespace

InUseSnapshot InUseSnapshot::Take() {
  InUseSnapshot snapshot;
  const int procFd = ::open("/proc", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (procFd < 0) {
    return snapshot;
  }
  DIR* proc = ::fdopendir(procFd);
  if (proc == nullptr) {
    ::close(procFd);
    return snapshot;
  }
  std::vector<FileIdentity>& ids = snapshot.ids_;
  std::string text;
  ResolvedMaps mapped;
  while (const dirent* entry = ::readdir(proc)) {
    if (!IsNumber(entry->d_name)) {
      continue;
    }
    // Processes come and go while we read; whatever cannot be read is skipped.
    const UniqueFd pidDir(::openat(procFd, entry->d_name, O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (!pidDir.valid()) {
      continue;
    }
    AddOpenFiles(pidDir.get(), ids);
    AddMappedFiles(pidDir.get(), text, mapped);
    AddCurrentFolder(pidDir.get(), ids);
  }
  AddBoundSockets(procFd, ids, text);
  ::closedir(proc);
  for (const auto& [printed, identity] : mapped) {
    ids.push_back(identity);
  }

  std::sort(ids.begin(), ids.end());
  ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
  return snapshot;
}

bool InUseSnapshot::Contains(const FileIdentity& id) const {
  return std::binary_search(ids_.begin(), ids_.end(), id);
}

} // namespace fegolin::platform::posix
