#pragma once

// POSIX only: a folder where nothing can be written, for real: a small file
// system of its own (tmpfs in a private mount namespace of a forked child)
// that is full to the last byte or mounted read-only. Every write fails as
// on a full disk or a read-only medium, also for root, which file modes
// would not stop.

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>

namespace fegolin::test {

enum class Unwritable { DiskFull, ReadOnly };

// Exit code of a child that may not mount here.
inline constexpr int kNoMountHere = 77;

// Runs `body` in a forked child in which `folder` (made if missing) is a
// fresh small file system: `prepare` puts files into it, then it is filled
// up or remounted read-only, then `body` runs. The body's return value, or
// kNoMountHere, or -1 when the child did not end normally.
inline int RunWithUnwritable(const std::filesystem::path& folder, Unwritable kind,
                             const std::function<void()>& prepare,
                             const std::function<int()>& body) {
  std::filesystem::create_directories(folder);
  const pid_t child = ::fork();
  if (child == 0) {
    if (::unshare(CLONE_NEWNS) != 0 ||
        ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        ::mount("tmpfs", folder.c_str(), "tmpfs", 0, "size=1m,mode=0755") != 0) {
      ::_exit(kNoMountHere);
    }
    prepare();
    if (kind == Unwritable::ReadOnly) {
      if (::mount(nullptr, folder.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) != 0) {
        ::_exit(kNoMountHere);
      }
    } else {
      // Big pieces first, then single bytes, until not one more fits.
      const int fill = ::open((folder / "fill").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
      const std::string block(4096, 'f');
      while (::write(fill, block.data(), block.size()) > 0) {
      }
      while (::write(fill, block.data(), 1) > 0) {
      }
      ::close(fill);
    }
    ::_exit(body());
  }
  int status = 0;
  if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status)) {
    return -1;
  }
  return WEXITSTATUS(status);
}

} // namespace fegolin::test
