// Named mutex and counting semaphore as flock() locks on files.
//
// The kernel drops a flock lock when the last descriptor of its open file
// goes away, which includes the death of the process by any signal. That is
// what makes these objects crash-safe: there is no state on disk to repair,
// only lock files whose contents are never read.
//
// Mutex: every handle holds a shared lock on "<stem>.mutex". The mutex
// "exists" exactly while some process holds one; a newcomer finds out by
// trying an exclusive lock, which only succeeds when nobody holds any.
//
// Semaphore: a unit taken is an exclusive lock on one slot file
// "<stem>.sem.<i>"; the free count is the maximum minus the locked slots.
//
// Both take an exclusive lock on "<stem>.guard" around their checks, so the
// non-atomic flock conversion and the counting never race another process.
// No lock is ever waited for without a limit but a semaphore's unit, and
// the files live in a folder no other account can write to, so nobody else
// can hold them.

#include "platform/NamedLock.h"

#include <sys/file.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <optional>
#include <utility>
#include <vector>

namespace fegolin::platform {
namespace {

class UniqueFd {
public:
  UniqueFd() = default;
  explicit UniqueFd(int fd) : fd_(fd) {}
  ~UniqueFd() {
    if (fd_ >= 0) {
      ::close(fd_);
    }
  }
  UniqueFd(UniqueFd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  UniqueFd& operator=(UniqueFd&&) = delete;
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;

  [[nodiscard]] int get() const { return fd_; }
  [[nodiscard]] bool valid() const { return fd_ >= 0; }

private:
  int fd_ = -1;
};

bool IsDirectory(const char* path) {
  struct stat st {};
  return path != nullptr && path[0] == '/' && ::stat(path, &st) == 0 && S_ISDIR(st.st_mode);
}

std::string TempFolder() {
  const char* tmpdir = std::getenv("TMPDIR");
  return IsDirectory(tmpdir) ? std::string(tmpdir) : std::string("/tmp");
}

// A folder is private when it is a folder of this user's that nobody else
// can write to: only then can no other account put a lock file, a link or
// a socket in it. Checked on the opened folder itself, not by name, and a
// link in the last place of the path is never followed.
bool IsPrivateFolder(const std::string& path) {
  const UniqueFd fd(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  struct stat st {};
  return fd.valid() && ::fstat(fd.get(), &st) == 0 && S_ISDIR(st.st_mode) &&
         st.st_uid == ::geteuid() && (st.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

// `path` as a private folder, made (mode 0700) when it is missing.
std::optional<std::string> OwnFolder(const std::string& path) {
  if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) {
    return std::nullopt;
  }
  if (!IsPrivateFolder(path)) {
    return std::nullopt;
  }
  return path;
}

std::string CacheFolder() {
  if (const char* cache = std::getenv("XDG_CACHE_HOME"); cache != nullptr && cache[0] == '/') {
    return cache;
  }
  const char* home = std::getenv("HOME");
  return home != nullptr && home[0] == '/' ? std::string(home) + "/.cache" : std::string();
}

// The folder the objects of this user live in: the first private one of
// $XDG_RUNTIME_DIR, "fegolin-<uid>" in the temp folder and "fegolin" in
// the user's cache folder. Every instance walks the same list, so they
// meet in the same place. In the shared temp folder anybody may have made
// our name first, or opened it up: then the cache folder in the user's
// home, where nobody else can make anything, takes over.
std::optional<std::string> ObjectFolder() {
  if (const char* runtime = std::getenv("XDG_RUNTIME_DIR");
      runtime != nullptr && runtime[0] == '/' && IsPrivateFolder(runtime)) {
    return std::string(runtime);
  }
  if (auto temp = OwnFolder(TempFolder() + "/fegolin-" + std::to_string(::getuid()))) {
    return temp;
  }
  const std::string cache = CacheFolder();
  if (cache.empty()) {
    return std::nullopt;
  }
  ::mkdir(cache.c_str(), 0700);
  return OwnFolder(cache + "/fegolin");
}

std::uint64_t Fnv1a(std::string_view text) {
  std::uint64_t hash = 0xcbf29ce484222325ull;
  for (const char c : text) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 0x100000001b3ull;
  }
  return hash;
}

std::string Hex(std::uint64_t value) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text(16, '0');
  for (auto it = text.rbegin(); it != text.rend(); ++it) {
    *it = kDigits[value & 0xf];
    value >>= 4;
  }
  return text;
}

// A file name stem for an object name: readable where the name allows, and
// made unique by a hash of the whole name (names differ in case, blanks and
// characters that cannot appear in a file name).
std::string FileStem(std::string_view name) {
  std::string stem = "fegolin-";
  for (const char c : name.substr(0, 80)) {
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                       c == '-' || c == '_' || c == '.';
    stem += plain ? c : '_';
  }
  return stem + "-" + Hex(Fnv1a(name));
}

std::optional<std::string> ObjectPath(std::string_view name) {
  auto folder = ObjectFolder();
  if (!folder) {
    return std::nullopt;
  }
  return *folder + "/" + FileStem(name);
}

// O_CLOEXEC matters: a child started by exec must not inherit a lock and
// keep the object alive after we are gone. Only a plain file of our own is
// a lock file.
UniqueFd OpenLockFile(const std::string& path, bool create = true) {
  const int flags = O_RDWR | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | (create ? O_CREAT : 0);
  UniqueFd fd(::open(path.c_str(), flags, 0600));
  struct stat st {};
  if (!fd.valid() || ::fstat(fd.get(), &st) != 0) {
    return UniqueFd();
  }
  if (!S_ISREG(st.st_mode) || st.st_uid != ::geteuid()) {
    // Something of another account's, or no file: not ours to lock.
    errno = EPERM;
    return UniqueFd();
  }
  return fd;
}

bool Flock(const UniqueFd& fd, int operation) {
  int result = 0;
  do {
    result = ::flock(fd.get(), operation);
  } while (result != 0 && errno == EINTR);
  return result == 0;
}

// The guard is held only for a few checks; a holder that keeps it longer
// than this is stuck, and waiting on it must not hang a start.
constexpr int kGuardAttempts = 150;
constexpr timespec kGuardPause{0, 20'000'000};

// Holds the guard of one object for as long as it lives.
class Guard {
public:
  explicit Guard(const std::string& stemPath) : fd_(OpenLockFile(stemPath + ".guard")) {
    if (!fd_.valid()) {
      error_ = errno;
      return;
    }
    for (int attempt = 0; attempt < kGuardAttempts; ++attempt) {
      if (Flock(fd_, LOCK_EX | LOCK_NB)) {
        locked_ = true;
        return;
      }
      if (errno != EWOULDBLOCK) {
        error_ = errno;
        return;
      }
      ::nanosleep(&kGuardPause, nullptr);
    }
    error_ = EWOULDBLOCK;
  }
  [[nodiscard]] bool locked() const { return locked_; }
  // Why it is not locked: EWOULDBLOCK when somebody held it throughout.
  [[nodiscard]] int error() const { return error_; }

private:
  UniqueFd fd_;
  bool locked_ = false;
  int error_ = 0;
};

class PosixNamedMutex final : public NamedMutex {
public:
  PosixNamedMutex(UniqueFd fd, bool existed) : fd_(std::move(fd)), existed_(existed) {}
  [[nodiscard]] bool AlreadyExisted() const override { return existed_; }

private:
  UniqueFd fd_;
  bool existed_;
};

class PosixNamedSemaphore final : public NamedSemaphore {
public:
  PosixNamedSemaphore(std::string stemPath, std::int32_t maximum)
      : stemPath_(std::move(stemPath)), maximum_(maximum) {}

  bool Wait() override {
    for (;;) {
      {
        const Guard guard(stemPath_);
        if (!guard.locked()) {
          return false;
        }
        for (std::int32_t slot = 0; slot < maximum_; ++slot) {
          UniqueFd fd = OpenLockFile(SlotPath(slot));
          if (!fd.valid()) {
            return false;
          }
          if (Flock(fd, LOCK_EX | LOCK_NB)) {
            held_.emplace_back(slot, std::move(fd));
            return true;
          }
          if (errno != EWOULDBLOCK) {
            return false;
          }
        }
      }
      // Every unit is taken. No file lock tells us when any one of them is
      // given back, so look again shortly, outside the guard.
      const timespec pause{0, 20'000'000};
      ::nanosleep(&pause, nullptr);
    }
  }

  bool Release(std::int32_t& previousCount) override {
    if (held_.empty()) {
      return false;
    }
    const Guard guard(stemPath_);
    if (!guard.locked()) {
      return false;
    }
    previousCount = maximum_ - TakenUnits();
    held_.pop_back();
    return true;
  }

private:
  [[nodiscard]] std::string SlotPath(std::int32_t slot) const {
    return stemPath_ + ".sem." + std::to_string(slot);
  }

  [[nodiscard]] bool HoldsSlot(std::int32_t slot) const {
    for (const auto& [held, fd] : held_) {
      if (held == slot) {
        return true;
      }
    }
    return false;
  }

  // Slot files are only ever created in order, each when all below it were
  // taken, so the first missing one ends the count.
  [[nodiscard]] std::int32_t TakenUnits() const {
    std::int32_t taken = 0;
    for (std::int32_t slot = 0; slot < maximum_; ++slot) {
      if (HoldsSlot(slot)) {
        ++taken;
        continue;
      }
      const UniqueFd fd = OpenLockFile(SlotPath(slot), false);
      if (!fd.valid()) {
        break;
      }
      if (!Flock(fd, LOCK_EX | LOCK_NB)) {
        ++taken;
      }
    }
    return taken;
  }

  std::string stemPath_;
  std::int32_t maximum_;
  std::vector<std::pair<std::int32_t, UniqueFd>> held_;
};

} // namespace

Result<std::unique_ptr<NamedMutex>> CreateNamedMutex(std::string_view name) {
  const auto stemPath = ObjectPath(name);
  if (!stemPath) {
    return SysError::Because(
        "no private folder for the instance lock: $XDG_RUNTIME_DIR, " + TempFolder() + "/fegolin-" +
        std::to_string(::getuid()) +
        " and the cache folder are missing, another account's or open to others");
  }
  const Guard guard(*stemPath);
  if (!guard.locked()) {
    return SysError::FromErrno("cannot lock " + *stemPath + ".guard", guard.error());
  }
  const std::string mutexPath = *stemPath + ".mutex";
  UniqueFd fd = OpenLockFile(mutexPath);
  if (!fd.valid()) {
    return SysError::FromErrno("cannot open " + mutexPath);
  }
  bool existed = false;
  if (!Flock(fd, LOCK_EX | LOCK_NB)) {
    if (errno != EWOULDBLOCK) {
      return SysError::FromErrno("cannot lock " + mutexPath);
    }
    existed = true;
  }
  // From exclusive (we were first) or from nothing (others hold it) to the
  // shared lock every handle keeps. Nobody else can step in between: they
  // would need the guard first, so nothing can make this wait.
  if (!Flock(fd, LOCK_SH | LOCK_NB)) {
    return SysError::FromErrno("cannot share the lock of " + mutexPath);
  }
  return std::unique_ptr<NamedMutex>(std::make_unique<PosixNamedMutex>(std::move(fd), existed));
}

std::unique_ptr<NamedSemaphore> CreateNamedSemaphore(std::string_view name,
                                                     std::int32_t maximumCount) {
  if (maximumCount < 1) {
    return nullptr;
  }
  auto stemPath = ObjectPath(name);
  if (!stemPath || !OpenLockFile(*stemPath + ".guard").valid()) {
    return nullptr;
  }
  return std::make_unique<PosixNamedSemaphore>(std::move(*stemPath), maximumCount);
}

std::string LocalServerName(std::string_view name) {
  const auto folder = ObjectFolder();
  if (!folder) {
    return {};
  }
  // Only the hash: the socket path has to fit into sockaddr_un.
  std::string path = *folder + "/fegolin-" + Hex(Fnv1a(name)) + ".sock";
  if (path.size() >= sizeof(sockaddr_un{}.sun_path)) {
    return {};
  }
  // What is there already must be a socket of ours: a request is never sent
  // to, nor is a server put in place of, anything of another account's.
  struct stat st {};
  if (::lstat(path.c_str(), &st) == 0 && (!S_ISSOCK(st.st_mode) || st.st_uid != ::geteuid())) {
    return {};
  }
  return path;
}

} // namespace fegolin::platform
