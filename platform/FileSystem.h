#pragma once

// The file-system side of the platform layer: a walk over one folder tree
// with the per-entry operations the cleaning engine needs, and a plain
// attribute query by path. The backend is picked in CMake.
//
// The walk stands in one folder at a time and works on names relative to
// that folder, never on whole path strings, so a backend can keep the folder
// it stands in pinned (a directory descriptor on POSIX) and another process
// cannot redirect it by swapping a path component for a link.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace fegolin::platform {

// Attribute bits in the values the Windows file functions use, so the
// cleaning rules read the same on every platform.
namespace FileAttr {
inline constexpr std::uint32_t ReadOnly = 0x01;
inline constexpr std::uint32_t Hidden = 0x02;
inline constexpr std::uint32_t System = 0x04;
inline constexpr std::uint32_t Directory = 0x10;
inline constexpr std::uint32_t Archive = 0x20;
// A link of any kind (symbolic link, junction). Never entered.
inline constexpr std::uint32_t ReparsePoint = 0x400;
} // namespace FileAttr

// Identifies a file independently of its name (device and inode on POSIX).
struct FileIdentity {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
  friend auto operator<=>(const FileIdentity&, const FileIdentity&) = default;
};

// What a fresh query of one entry tells.
struct EntryStatus {
  std::uint32_t attributes = 0;
  FileIdentity identity;
  // The platform's own permission word (the POSIX mode bits), so an entry
  // whose attributes were changed can be put back exactly as it was.
  std::uint32_t mode = 0;
  // The newest of its modification, change and access times, in seconds
  // since 1970; 0 when the platform does not tell.
  std::int64_t newestTime = 0;
  // Its size in bytes (files; 0 for folders).
  std::uint64_t size = 0;
  // Another account owns it. In a folder that protects its entries (POSIX
  // sticky bit) only the owners may remove such an entry.
  bool ownedByOther = false;
  // A running process holds it open, has it mapped, uses it as its current
  // folder, or it is a bound socket. Such an entry must stay where it is.
  bool inUse = false;
  // It lies on another file system than the folder the walk started in
  // (a mount point). It is neither entered nor touched.
  bool foreignVolume = false;
};

// The whole listing of one folder, read before anything in it is changed.
// The names share one buffer so a big folder costs two allocations, not one
// per entry.
class FolderListing {
public:
  void Clear() {
    names_.clear();
    entries_.clear();
  }
  void Add(std::string_view name, std::uint32_t attributes, std::uint64_t inode = 0) {
    entries_.push_back({names_.size(), inode, static_cast<std::uint32_t>(name.size()), attributes});
    names_.append(name);
  }

  [[nodiscard]] std::size_t size() const { return entries_.size(); }
  [[nodiscard]] bool empty() const { return entries_.empty(); }
  [[nodiscard]] std::string_view Name(std::size_t index) const {
    const Entry& e = entries_[index];
    return std::string_view(names_).substr(e.offset, e.length);
  }
  // The attributes as the listing delivered them.
  [[nodiscard]] std::uint32_t Attributes(std::size_t index) const {
    return entries_[index].attributes;
  }
  // The file number the listing delivered (the inode on POSIX); 0 unknown.
  [[nodiscard]] std::uint64_t Inode(std::size_t index) const { return entries_[index].inode; }

private:
  struct Entry {
    std::size_t offset;
    std::uint64_t inode;
    std::uint32_t length;
    std::uint32_t attributes;
  };
  std::string names_;
  std::vector<Entry> entries_;
};

// What came of deleting a listed non-folder entry straight away.
enum class ListedDelete : std::uint8_t {
  Deleted,       // it is gone
  Vanished,      // it was no longer there
  InUse,         // a running process uses it; it stays untouched
  NeedsFullSteps // not done: read and clear its attributes, then delete it
};

// A cursor over one folder tree. It starts in the folder it was opened on
// and moves only to subfolders it verified and back to their parents, so it
// never leaves that tree. Operations name entries of the current folder.
class FolderWalk {
public:
  virtual ~FolderWalk() = default;
  FolderWalk() = default;
  FolderWalk(const FolderWalk&) = delete;
  FolderWalk& operator=(const FolderWalk&) = delete;

  // Reads the whole listing of the current folder, "." and ".." left out.
  virtual bool List(FolderListing& listing) = 0;
  // Fresh status of an entry; a link is described as itself, never by what
  // it points to. Nothing when it cannot be read (vanished, access denied).
  virtual std::optional<EntryStatus> Query(std::string_view name) = 0;
  // Gives the entry the attribute word `attributes`; `current` is what Query
  // returned for it. Backends change only the bits they can map.
  virtual bool SetAttributes(std::string_view name, const EntryStatus& current,
                             std::uint32_t attributes) = 0;
  // Puts back the attributes `original` (what Query returned before they
  // were changed), exactly, on the entry that is still the same file.
  virtual bool RestoreAttributes(std::string_view name, const EntryStatus& original) = 0;
  // Removes a file, a link or any other non-folder entry: 0 when it is
  // gone, else the reason as a system error number (errno values).
  virtual int DeleteFile(std::string_view name) = 0;
  // Where an entry's read-only attribute cannot keep it from being deleted
  // (POSIX: only the folder's permissions count), reading and clearing the
  // attributes of a file that is about to go changes nothing anybody could
  // see afterwards; the backend then deletes the entry the listing named
  // (by `name`, with the listing's `inode` to recognise it as in use) in one
  // step. When that is not possible, or the deletion fails, the answer is
  // NeedsFullSteps and the caller goes the long way, which ends the same as
  // it would have without the attempt. Where read-only does keep a file
  // (Windows), there is no such step.
  virtual ListedDelete DeleteListedFile(std::string_view /*name*/, std::uint64_t /*inode*/) {
    return ListedDelete::NeedsFullSteps;
  }
  // Removes an empty subfolder: 0 when it is gone, else the errno reason
  // (ENOTEMPTY while something stays inside).
  virtual int RemoveDirectory(std::string_view name) = 0;
  // Whether this process could remove `entry` from the current folder, once
  // the engine has cleared the folder's read-only attribute (which it can
  // only where it owns the folder). Asked by runs that change nothing.
  [[nodiscard]] virtual bool MayRemove(const EntryStatus& entry) const = 0;
  // Free bytes on the file system of the folder the walk started in;
  // nothing when it cannot be told.
  [[nodiscard]] virtual std::optional<std::uint64_t> FreeBytes() const = 0;
  // Moves into the subfolder `name`, which must still be the folder Query
  // described (not a link, same file system). False leaves the walk where it
  // was.
  virtual bool Enter(std::string_view name, const EntryStatus& expected) = 0;
  // Opens the subfolder `name`, checked as Enter checks it, as a walk of its
  // own that starts there and never leaves it, so that another thread can
  // empty it while this walk goes on. It shares the run's file system and
  // its snapshot of entries in use. Nothing when Enter would refuse.
  virtual std::unique_ptr<FolderWalk> Branch(std::string_view name,
                                             const EntryStatus& expected) = 0;
  // Opens the current folder once more as a walk of its own that starts
  // there and never leaves it, so that another thread can work through a
  // part of the folder's listing while this walk goes on. It shares the
  // run's file system and its snapshot of entries in use. Nothing when the
  // folder cannot be opened again as the very same folder.
  virtual std::unique_ptr<FolderWalk> Twin() = 0;
  // Moves back to the parent of the current folder. False when the way back
  // cannot be verified; the walk is unusable then and must be given up.
  virtual bool Leave() = 0;
};

// Why a folder is not cleaned at all. It is judged by what the folder is,
// after every link and ".." on the way is resolved, never by how its path is
// spelled.
enum class TargetRefusal : std::uint8_t {
  None,
  Relative,      // not an absolute path: it would depend on the current folder
  Root,          // the root of the file system
  HomeOrAbove,   // the user's home folder or a folder that holds it
  NotOwned,      // the folder belongs to another account
  ForeignLink,   // reached through a link another account owns
  ForeignFolder, // reached through a folder another account owns or can
                 // write (sticky folders such as /tmp excepted)
  NotFolder,     // it is a file, not a folder
  Missing,       // it, or a folder on the way, does not exist
  CannotOpen,    // it cannot be opened (see the error number)
};

// A short English text for a refusal ("the root folder", ...).
std::string_view TargetRefusalText(TargetRefusal refusal);

// Whether a folder may be cleaned, and if not, why.
struct TargetCheck {
  TargetRefusal refusal = TargetRefusal::None;
  int error = 0; // the errno value behind Missing and CannotOpen
  [[nodiscard]] bool ok() const { return refusal == TargetRefusal::None; }
};

// An opened walk, or why there is none.
struct FolderWalkOpening {
  std::unique_ptr<FolderWalk> walk;
  TargetCheck check;
};

// Opens a walk on `directory` (a path in the platform's own form) after
// checking that it may be cleaned at all. The backend takes what it needs
// to recognise entries in use at this moment.
FolderWalkOpening OpenFolderWalk(std::string_view directory);

// Checks `directory` the way OpenFolderWalk does, without keeping anything
// open: the folder dialog and the list ask before anything is stored.
TargetCheck CheckCleanTarget(std::string_view directory);

// Attributes of the entry at `path` without following a final link;
// nothing when it cannot be read.
std::optional<std::uint32_t> ReadAttributes(std::string_view path);

// The separator of the platform's own paths.
char NativePathSeparator();

} // namespace fegolin::platform
