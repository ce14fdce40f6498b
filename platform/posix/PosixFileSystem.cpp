#include "platform/FileSystem.h"

#include "platform/posix/PosixCleanTarget.h"
#include "platform/posix/PosixFd.h"
#include "platform/posix/PosixInUse.h"

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/statvfs.h>
#include <sys/syscall.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>

namespace fegolin::platform {
namespace {

using posix::InUseSnapshot;
using posix::UniqueFd;

// Folders are opened without following a link and without blocking on
// anything special; the descriptor is never inherited by child processes.
constexpr int kFolderOpenFlags =
    O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY | O_NONBLOCK;

// Listing a folder must not make it look recently used: its access time is
// part of the age rule, and a preview must leave a run nothing to see.
// O_NOATIME is only granted on one's own files; elsewhere the plain open.
int OpenFolderAt(int dirFd, const char* name) {
  const int fd = ::openat(dirFd, name, kFolderOpenFlags | O_NOATIME);
  if (fd >= 0 || errno != EPERM) {
    return fd;
  }
  return ::openat(dirFd, name, kFolderOpenFlags);
}

// What statx is asked for on every entry: the mount it lies on tells a bind
// mount of the same file system, which the device number alone does not.
constexpr unsigned kStatxFields = STATX_TYPE | STATX_MODE | STATX_UID | STATX_INO | STATX_SIZE |
                                  STATX_ATIME | STATX_MTIME | STATX_CTIME | STATX_MNT_ID;

// The mount a statx result names, 0 where the kernel does not tell.
std::uint64_t MountOf(const struct statx& sx) {
  return (sx.stx_mask & STATX_MNT_ID) != 0 ? sx.stx_mnt_id : 0;
}

std::uint64_t MountOfFd(int fd) {
  struct statx sx {};
  if (::statx(fd, "", AT_EMPTY_PATH | AT_NO_AUTOMOUNT, STATX_MNT_ID, &sx) != 0) {
    return 0;
  }
  return MountOf(sx);
}

// How many folders of the chain from the top to the current folder keep
// their descriptor. Deeper ancestors are closed and found again through ".."
// on the way back up, so any depth works within a small descriptor budget.
constexpr std::size_t kMaxOpenFolders = 24;

constexpr std::size_t kListBufferBytes = 64 * 1024;

FileIdentity IdentityOf(const struct stat& st) {
  return {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

std::uint32_t AttributesOf(mode_t mode) {
  if (S_ISLNK(mode)) {
    return FileAttr::ReparsePoint;
  }
  std::uint32_t attributes = 0;
  if (S_ISDIR(mode)) {
    attributes |= FileAttr::Directory;
  }
  // Without the owner's write bit a file cannot be changed and a folder
  // cannot have entries deleted: that is what read-only means here.
  if ((mode & S_IWUSR) == 0) {
    attributes |= FileAttr::ReadOnly;
  }
  return attributes;
}

// An entry name as a C string. Only plain names of the current folder are
// accepted: a separator, "." or ".." would reach outside it.
class EntryName {
public:
  explicit EntryName(std::string_view name) {
    if (name.empty() || name.size() > NAME_MAX || name == "." || name == ".." ||
        name.find('/') != std::string_view::npos || name.find('\0') != std::string_view::npos) {
      return;
    }
    name.copy(text_, name.size());
    text_[name.size()] = '\0';
    valid_ = true;
  }
  [[nodiscard]] bool valid() const { return valid_; }
  [[nodiscard]] const char* c_str() const { return text_; }

private:
  char text_[NAME_MAX + 1];
  bool valid_ = false;
};

// fchmodat2 (Linux 6.6) changes the mode of what an O_PATH descriptor pins
// in one call. Older C library headers do not name it yet; its number is the
// same on every architecture of the unified system call table.
#if defined(SYS_fchmodat2)
constexpr long kFchmodat2 = SYS_fchmodat2;
#elif defined(__x86_64__) || defined(__aarch64__) || defined(__riscv)
constexpr long kFchmodat2 = 452;
#else
constexpr long kFchmodat2 = -1;
#endif

// Changes the mode of the file an O_PATH descriptor pins. The descriptor,
// not the name, decides which file is changed, so a name swapped in the
// meantime cannot redirect the change.
bool ChangeModeOfPinned(int pinned, mode_t mode) {
  if (kFchmodat2 >= 0) {
    if (::syscall(kFchmodat2, pinned, "", mode, AT_EMPTY_PATH) == 0) {
      return true;
    }
    if (errno != ENOSYS && errno != EINVAL) {
      return false;
    }
  }
  // Older kernels: the descriptor's entry in /proc reaches the same file.
  char path[40];
  std::snprintf(path, sizeof path, "/proc/self/fd/%d", pinned);
  return ::chmod(path, mode) == 0;
}

// File systems whose listing gives every non-folder the inode number stat
// reports, on the device of its folder. There the listing alone tells whether
// a file is in use. (Overlay and network file systems do not promise that.)
bool ListingIdentifiesFiles(int fd) {
  struct statfs fs {};
  if (::fstatfs(fd, &fs) != 0) {
    return false;
  }
  switch (static_cast<unsigned long>(fs.f_type)) {
  case EXT4_SUPER_MAGIC: // also ext2 and ext3
  case TMPFS_MAGIC:
  case XFS_SUPER_MAGIC:
  case BTRFS_SUPER_MAGIC:
    return true;
  default:
    return false;
  }
}

class PosixFolderWalk final : public FolderWalk {
public:
  PosixFolderWalk(UniqueFd top, const struct stat& st, std::shared_ptr<const InUseSnapshot> inUse)
      : PosixFolderWalk(std::move(top), st, std::move(inUse), static_cast<std::uint64_t>(st.st_dev),
                        0) {}

  // A walk that starts in `top`, a folder of a run on `device` and `mount`
  // (0: the mount of `top` itself), with the run's snapshot of entries in use.
  PosixFolderWalk(UniqueFd top, const struct stat& st, std::shared_ptr<const InUseSnapshot> inUse,
                  std::uint64_t device, std::uint64_t mount)
      : device_(device), mount_(mount != 0 ? mount : MountOfFd(top.get())),
        inUse_(std::move(inUse)), listingIdentifiesFiles_(ListingIdentifiesFiles(top.get())),
        buffer_(kListBufferBytes / sizeof(std::uint64_t)) {
    levels_.push_back({std::move(top), IdentityOf(st)});
  }

  bool List(FolderListing& listing) override {
    listing.Clear();
    const int fd = current();
    auto* bytes = reinterpret_cast<char*>(buffer_.data());
    for (;;) {
      const ssize_t filled = ::getdents64(fd, bytes, buffer_.size() * sizeof(std::uint64_t));
      if (filled < 0) {
        return false;
      }
      if (filled == 0) {
        return true;
      }
      for (std::size_t pos = 0; pos < static_cast<std::size_t>(filled);) {
        unsigned short recordLength = 0;
        unsigned char type = 0;
        ino64_t inode = 0;
        std::memcpy(&recordLength, bytes + pos + offsetof(dirent64, d_reclen), sizeof recordLength);
        std::memcpy(&type, bytes + pos + offsetof(dirent64, d_type), sizeof type);
        std::memcpy(&inode, bytes + pos + offsetof(dirent64, d_ino), sizeof inode);
        const char* name = bytes + pos + offsetof(dirent64, d_name);
        pos += recordLength;
        if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'))) {
          continue;
        }
        listing.Add(name, ListedAttributes(fd, name, type), inode);
      }
    }
  }

  std::optional<EntryStatus> Query(std::string_view name) override {
    const EntryName entry(name);
    struct statx sx {};
    if (!entry.valid() || ::statx(current(), entry.c_str(), AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT,
                                  kStatxFields, &sx) != 0) {
      return std::nullopt;
    }
    EntryStatus status;
    status.mode = sx.stx_mode;
    status.attributes = AttributesOf(sx.stx_mode);
    status.identity = {static_cast<std::uint64_t>(makedev(sx.stx_dev_major, sx.stx_dev_minor)),
                       sx.stx_ino};
    status.newestTime =
        std::max<std::int64_t>({sx.stx_mtime.tv_sec, sx.stx_ctime.tv_sec, sx.stx_atime.tv_sec});
    status.size = S_ISREG(sx.stx_mode) ? sx.stx_size : 0;
    status.ownedByOther = sx.stx_uid != ::geteuid();
    status.inUse = inUse_->Contains(status.identity);
    // A mount point, bind mounts of this same file system included, is
    // another file system's business.
    const std::uint64_t mount = MountOf(sx);
    status.foreignVolume =
        status.identity.device != device_ || (mount != 0 && mount_ != 0 && mount != mount_);
    return status;
  }

  bool SetAttributes(std::string_view name, const EntryStatus& current,
                     std::uint32_t attributes) override {
    // Read-only is the one bit with a POSIX meaning; hidden is the dot in the
    // name and stays as it is.
    const bool readOnly = (attributes & FileAttr::ReadOnly) != 0;
    if (readOnly == ((current.attributes & FileAttr::ReadOnly) != 0)) {
      return true;
    }
    struct stat st {};
    const UniqueFd pinned = Pin(name, current, st);
    if (!pinned.valid()) {
      return false;
    }
    const mode_t mode = st.st_mode & 07777;
    const mode_t wanted =
        readOnly ? (mode & ~mode_t{S_IWUSR | S_IWGRP | S_IWOTH}) : (mode | S_IWUSR);
    return ChangeModeOfPinned(pinned.get(), wanted);
  }

  bool RestoreAttributes(std::string_view name, const EntryStatus& original) override {
    struct stat st {};
    const UniqueFd pinned = Pin(name, original, st);
    return pinned.valid() && ((st.st_mode & 07777) == (original.mode & 07777) ||
                              ChangeModeOfPinned(pinned.get(), original.mode & 07777));
  }

  int DeleteFile(std::string_view name) override {
    const EntryName entry(name);
    if (!entry.valid()) {
      return EINVAL;
    }
    return ::unlinkat(current(), entry.c_str(), 0) == 0 ? 0 : errno;
  }

  // A file's own mode never matters for deleting it here, so a file that is
  // about to go needs no attribute read and no chmod first.
  ListedDelete DeleteListedFile(std::string_view name, std::uint64_t inode) override {
    const EntryName entry(name);
    if (!entry.valid() || !listingIdentifiesFiles_ || inode == 0) {
      return ListedDelete::NeedsFullSteps;
    }
    if (inUse_->Contains({device_, inode})) {
      return ListedDelete::InUse;
    }
    if (::unlinkat(current(), entry.c_str(), 0) == 0) {
      return ListedDelete::Deleted;
    }
    return errno == ENOENT ? ListedDelete::Vanished : ListedDelete::NeedsFullSteps;
  }

  int RemoveDirectory(std::string_view name) override {
    const EntryName entry(name);
    if (!entry.valid()) {
      return EINVAL;
    }
    return ::unlinkat(current(), entry.c_str(), AT_REMOVEDIR) == 0 ? 0 : errno;
  }

  [[nodiscard]] bool MayRemove(const EntryStatus& entry) const override {
    if (::geteuid() == 0) {
      return true;
    }
    struct stat folder {};
    if (::fstat(current(), &folder) != 0) {
      return false;
    }
    const bool ours = folder.st_uid == ::geteuid();
    // The engine clears read-only on the folders below the top one it owns
    // before it deletes what they hold.
    const bool writable =
        ::faccessat(current(), ".", W_OK | X_OK, AT_EACCESS) == 0 || (ours && levels_.size() > 1);
    const bool sticky = (folder.st_mode & S_ISVTX) != 0;
    return writable && (!sticky || ours || !entry.ownedByOther);
  }

  [[nodiscard]] std::optional<std::uint64_t> FreeBytes() const override {
    struct statvfs fs {};
    if (::fstatvfs(levels_.front().fd.valid() ? levels_.front().fd.get() : current(), &fs) != 0) {
      return std::nullopt;
    }
    return static_cast<std::uint64_t>(fs.f_bfree) * fs.f_frsize;
  }

  bool Enter(std::string_view name, const EntryStatus& expected) override {
    UniqueFd fd;
    struct stat st {};
    if (!OpenSubfolder(name, expected, fd, st)) {
      return false;
    }
    levels_.push_back({std::move(fd), IdentityOf(st)});
    if (levels_.size() - firstOpen_ + 1 > kMaxOpenFolders) {
      levels_[firstOpen_].fd.reset();
      ++firstOpen_;
    }
    return true;
  }

  std::unique_ptr<FolderWalk> Branch(std::string_view name, const EntryStatus& expected) override {
    UniqueFd fd;
    struct stat st {};
    if (!OpenSubfolder(name, expected, fd, st)) {
      return nullptr;
    }
    return std::make_unique<PosixFolderWalk>(std::move(fd), st, inUse_, device_, mount_);
  }

  std::unique_ptr<FolderWalk> Twin() override {
    // A descriptor of its own, not a dup: listing moves a descriptor's
    // position, which a dup would share.
    UniqueFd fd(OpenFolderAt(current(), "."));
    struct stat st {};
    if (!fd.valid() || ::fstat(fd.get(), &st) != 0 || IdentityOf(st) != levels_.back().id) {
      return nullptr;
    }
    return std::make_unique<PosixFolderWalk>(std::move(fd), st, inUse_, device_, mount_);
  }

  bool Leave() override {
    if (levels_.size() < 2) {
      return false;
    }
    Level& parent = levels_[levels_.size() - 2];
    if (!parent.fd.valid()) {
      // The way up is the real parent of the folder we stand in, which must
      // still be the folder we came from; if the tree was moved around
      // meanwhile the walk stops rather than clean a stranger's folder.
      UniqueFd fd(OpenFolderAt(current(), ".."));
      struct stat st {};
      if (!fd.valid() || ::fstat(fd.get(), &st) != 0 || IdentityOf(st) != parent.id) {
        return false;
      }
      parent.fd = std::move(fd);
      firstOpen_ = levels_.size() - 2;
    }
    levels_.pop_back();
    return true;
  }

private:
  struct Level {
    UniqueFd fd; // closed for ancestors beyond the descriptor budget
    FileIdentity id;
  };

  [[nodiscard]] int current() const { return levels_.back().fd.get(); }

  // Opens the subfolder `name` of the current folder, provided it is still
  // the very folder Query described: a folder swapped for another one (or
  // for a link) in between is not opened, and neither is one on another
  // file system or one that became a mount point meanwhile.
  bool OpenSubfolder(std::string_view name, const EntryStatus& expected, UniqueFd& fd,
                     struct stat& st) const {
    const EntryName entry(name);
    if (!entry.valid() || expected.foreignVolume || expected.identity.device != device_) {
      return false;
    }
    fd = UniqueFd(OpenFolderAt(current(), entry.c_str()));
    if (!fd.valid() || ::fstat(fd.get(), &st) != 0 || !S_ISDIR(st.st_mode) ||
        IdentityOf(st) != expected.identity) {
      return false;
    }
    const std::uint64_t mount = MountOfFd(fd.get());
    return mount == 0 || mount_ == 0 || mount == mount_;
  }

  // Pins the entry `name` of the current folder, provided it is still the
  // file `expected` describes and its mode is ours to change: not a link,
  // and no file with further hard links, which live on under names outside
  // this folder and share its mode. Invalid otherwise.
  UniqueFd Pin(std::string_view name, const EntryStatus& expected, struct stat& st) const {
    const EntryName entry(name);
    if (!entry.valid() || (expected.attributes & FileAttr::ReparsePoint) != 0) {
      return UniqueFd();
    }
    UniqueFd pinned(::openat(current(), entry.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
    if (!pinned.valid() || ::fstat(pinned.get(), &st) != 0 || S_ISLNK(st.st_mode) ||
        IdentityOf(st) != expected.identity || (!S_ISDIR(st.st_mode) && st.st_nlink > 1)) {
      return UniqueFd();
    }
    return pinned;
  }

  // The listing tells folders and links by the entry type where the file
  // system reports one; otherwise one lstat tells it.
  static std::uint32_t ListedAttributes(int dirFd, const char* name, unsigned char type) {
    switch (type) {
    case DT_DIR:
      return FileAttr::Directory;
    case DT_LNK:
      return FileAttr::ReparsePoint;
    case DT_UNKNOWN: {
      struct stat st {};
      return ::fstatat(dirFd, name, &st, AT_SYMLINK_NOFOLLOW) == 0 ? AttributesOf(st.st_mode) : 0;
    }
    default:
      return 0;
    }
  }

  std::vector<Level> levels_; // levels_[0] is the folder the walk started in
  std::size_t firstOpen_ = 1; // levels_[1 .. firstOpen_) have their descriptor closed
  std::uint64_t device_;      // file system of the top folder
  std::uint64_t mount_;       // and its mount; 0 where the kernel does not tell
  std::shared_ptr<const InUseSnapshot> inUse_; // shared by the branches of one run
  bool listingIdentifiesFiles_;
  std::vector<std::uint64_t> buffer_; // getdents64 records, suitably aligned
};

} // namespace

FolderWalkOpening OpenFolderWalk(std::string_view directory) {
  posix::ResolvedTarget target = posix::ResolveCleanTarget(directory);
  if (!target.check.ok()) {
    return {nullptr, target.check};
  }
  // The snapshot is taken once the folder is known to be there and before
  // anything below it is touched.
  return {std::make_unique<PosixFolderWalk>(
              std::move(target.fd), target.st,
              std::make_shared<const InUseSnapshot>(InUseSnapshot::Take())),
          {}};
}

TargetCheck CheckCleanTarget(std::string_view directory) {
  return posix::ResolveCleanTarget(directory).check;
}

std::optional<std::uint32_t> ReadAttributes(std::string_view path) {
  const std::string text(path);
  struct stat st {};
  if (::lstat(text.c_str(), &st) != 0) {
    return std::nullopt;
  }
  std::uint32_t attributes = AttributesOf(st.st_mode);
  // A link to a folder reads as a folder link, the way Windows reports one.
  struct stat target {};
  if (S_ISLNK(st.st_mode) && ::stat(text.c_str(), &target) == 0 && S_ISDIR(target.st_mode)) {
    attributes |= FileAttr::Directory;
  }
  return attributes;
}

char NativePathSeparator() {
  return '/';
}

} // namespace fegolin::platform
