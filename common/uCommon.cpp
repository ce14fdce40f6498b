#include "common/uCommon.h"

#include "platform/FileSystem.h"
#include "platform/SystemFolders.h"

#include <vector>

namespace fegolin {
namespace {

PathStyle Resolve(PathStyle style) {
  if (style != PathStyle::Native) {
    return style;
  }
  return platform::NativePathSeparator() == '\\' ? PathStyle::Windows : PathStyle::Posix;
}

char AsciiUpper(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

bool EndsWith(std::string_view text, char c) {
  return !text.empty() && text.back() == c;
}

} // namespace

// ---------------------------------------------------------------------------
// Paths
// ---------------------------------------------------------------------------

char PathSeparator(PathStyle style) {
  return Resolve(style) == PathStyle::Windows ? '\\' : '/';
}

std::string StripTrailingBackslashes(std::string_view path, PathStyle style) {
  const char separator = PathSeparator(style);
  while (EndsWith(path, separator)) {
    path.remove_suffix(1);
  }
  return std::string(path);
}

std::string AddTrailingBackslash(std::string_view path, PathStyle style) {
  const char separator = PathSeparator(style);
  std::string result(path);
  if (!EndsWith(result, separator)) {
    result += separator;
  }
  return result;
}

std::string NormalizeDirPath(std::string_view path, PathStyle style) {
  return AddTrailingBackslash(StripTrailingBackslashes(path, style), style);
}

// ---------------------------------------------------------------------------
// Cleaning
// ---------------------------------------------------------------------------

namespace {

// "*" and "?" matching with ASCII letters compared case-blind. A "*" that
// fails to carry the match further is retried one character longer, which
// keeps the search linear in practice.
bool MatchesWildcards(std::string_view mask, std::string_view name) {
  std::size_t m = 0;
  std::size_t n = 0;
  std::size_t starMask = std::string_view::npos;
  std::size_t starName = 0;
  while (n < name.size()) {
    if (m < mask.size() && mask[m] == '*') {
      starMask = m++;
      starName = n;
    } else if (m < mask.size() && (mask[m] == '?' || AsciiUpper(mask[m]) == AsciiUpper(name[n]))) {
      ++m;
      ++n;
    } else if (starMask != std::string_view::npos) {
      m = starMask + 1;
      n = ++starName;
    } else {
      return false;
    }
  }
  while (m < mask.size() && mask[m] == '*') {
    ++m;
  }
  return m == mask.size();
}

using platform::FileAttr::Directory;
using platform::FileAttr::Hidden;
using platform::FileAttr::ReadOnly;
using platform::FileAttr::ReparsePoint;

// One folder level of a run: its listing, read whole before anything in it
// changes, and how far the pass over it got.
struct Level {
  platform::FolderListing listing;
  std::size_t next = 0;
  bool ended = false;           // a failure ended the pass over this folder
  platform::EntryStatus status; // fresh status of the entry at `next`
};

// Empties one tree. The depth of the tree lives in `levels_`, not on the
// call stack, so no depth of folders can exhaust the stack. Level objects are
// reused from one folder to the next to keep their buffers.
class TreeCleaner {
public:
  TreeCleaner(std::string_view mask, platform::FolderWalk& walk, CleanObserver* observer)
      : mask_(mask), walk_(walk), observer_(observer) {}

  bool Run() {
    if (!BeginLevel()) {
      return false;
    }
    for (;;) {
      Level& level = levels_[depth_ - 1];
      if (level.ended || level.next == level.listing.size()) {
        const bool result = !level.ended;
        if (--depth_ == 0) {
          return result;
        }
        // Without a verified way back up nothing above can be trusted.
        if (!walk_.Leave()) {
          return false;
        }
        FinishEntry(levels_[depth_ - 1]);
        continue;
      }
      if (!StartEntry(level)) {
        return false;
      }
    }
  }

private:
  // Lists the folder the walk stands in and makes it the current level.
  // False when it cannot be listed or nothing in it matches the mask; the
  // folder is then not processed at all.
  bool BeginLevel() {
    if (levels_.size() == depth_) {
      levels_.emplace_back();
    }
    Level& level = levels_[depth_];
    level.next = 0;
    level.ended = false;
    if (!walk_.List(level.listing) || !AnyMatch(level.listing)) {
      return false;
    }
    ++depth_;
    return true;
  }

  // Every folder lists "." and "..", so a mask matching those matches in
  // any folder that can be listed.
  bool AnyMatch(const platform::FolderListing& listing) const {
    if (MatchesMask(mask_, ".") || MatchesMask(mask_, "..")) {
      return true;
    }
    for (std::size_t i = 0; i < listing.size(); ++i) {
      if (MatchesMask(mask_, listing.Name(i))) {
        return true;
      }
    }
    return false;
  }

  // Handles the entry at level.next up to the point where a subfolder is
  // entered. False when the walk lost its way back up and the run must end.
  bool StartEntry(Level& level) {
    const std::string_view name = level.listing.Name(level.next);
    const std::uint32_t listed = level.listing.Attributes(level.next);
    if (!MatchesMask(mask_, name)) {
      ++level.next;
      return true;
    }
    if ((listed & Directory) == 0 && DeletedStraightAway(level, name)) {
      return true;
    }
    const auto status = ClearEntryAttributes(walk_, name);
    if (!status) {
      // Vanished or unreadable: the rest of this folder waits for the next run.
      level.ended = true;
      return true;
    }
    level.status = *status;
    if (status->foreignVolume || (status->inUse && (listed & Directory) == 0)) {
      Report(false);
      ++level.next;
      return true;
    }
    // The listing decides what is a folder. A link is never entered; should
    // the entry have turned into a link since, Enter refuses it.
    if ((listed & Directory) != 0 && (listed & ReparsePoint) == 0 && walk_.Enter(name, *status)) {
      if (BeginLevel()) {
        return true;
      }
      // Entered but not listable: step out again, then try to remove it.
      if (!walk_.Leave()) {
        return false;
      }
    }
    FinishEntry(levels_[depth_ - 1]);
    return true;
  }

  // A file whose read-only attribute cannot stop its deletion goes without
  // the attribute steps where the platform allows; see DeleteListedFile.
  // True when the entry is dealt with.
  bool DeletedStraightAway(Level& level, std::string_view name) {
    switch (walk_.DeleteListedFile(name, level.listing.Inode(level.next))) {
    case platform::ListedDelete::Deleted:
      Report(true);
      ++level.next;
      return true;
    case platform::ListedDelete::InUse:
      Report(false);
      ++level.next;
      return true;
    case platform::ListedDelete::Vanished:
      // As when its attributes cannot be read: the pass ends here.
      level.ended = true;
      return true;
    case platform::ListedDelete::NeedsFullSteps:
      break;
    }
    return false;
  }

  // Removes the entry at level.next, a subfolder now as empty as it gets or
  // anything else, and moves on.
  void FinishEntry(Level& level) {
    const std::string_view name = level.listing.Name(level.next);
    if ((level.listing.Attributes(level.next) & Directory) != 0) {
      // A folder in use (someone's current folder) keeps its place, but
      // what was inside it has gone.
      Report(!level.status.inUse && RemoveSubDirectory(walk_, name));
    } else {
      Report(DeleteFileEntry(name, walk_));
    }
    ++level.next;
  }

  void Report(bool removed) {
    if (observer_ == nullptr) {
      return;
    }
    if (removed) {
      observer_->EntryRemoved();
    } else {
      observer_->EntryLeft();
    }
  }

  std::string_view mask_;
  platform::FolderWalk& walk_;
  CleanObserver* observer_;
  std::vector<Level> levels_;
  std::size_t depth_ = 0;
};

} // namespace

bool MatchesMask(std::string_view mask, std::string_view name) {
  // The clean cycle always passes "*.*"; it takes every name.
  if (mask == "*.*" || mask == "*") {
    return !name.empty();
  }
  if (MatchesWildcards(mask, name)) {
    return true;
  }
  // "name.*" also takes "name" with no extension at all, so "*.*" takes
  // every name, dotted or not.
  return mask.size() >= 2 && mask.substr(mask.size() - 2) == ".*" &&
         MatchesWildcards(mask.substr(0, mask.size() - 2), name);
}

std::optional<platform::EntryStatus> ClearEntryAttributes(platform::FolderWalk& folder,
                                                          std::string_view name) {
  auto status = folder.Query(name);
  if (!status || status->inUse || status->foreignVolume) {
    return status;
  }
  const std::uint32_t cleared = status->attributes & ~(ReadOnly | Hidden);
  if (cleared != status->attributes) {
    folder.SetAttributes(name, *status, cleared);
  }
  return status;
}

bool DeleteFileEntry(std::string_view name, platform::FolderWalk& folder) {
  return folder.DeleteFile(name);
}

bool RemoveSubDirectory(platform::FolderWalk& folder, std::string_view name) {
  return folder.RemoveDirectory(name);
}

bool CleanDirectory(std::string_view mask, std::string_view directory, CleanObserver* observer) {
  const std::string folder = NormalizeDirPath(directory);
  // Empty, or separators only: that would be the root of everything.
  if (folder.size() <= 1) {
    return false;
  }
  const auto walk = platform::OpenFolderWalk(folder);
  if (!walk) {
    return false;
  }
  return TreeCleaner(mask, *walk, observer).Run();
}

// ---------------------------------------------------------------------------
// System folders
// ---------------------------------------------------------------------------

std::pair<std::string, std::string> SplitParentPath(std::string_view path, PathStyle style) {
  const bool windows = Resolve(style) == PathStyle::Windows;
  const char separator = PathSeparator(style);
  const auto found = path.rfind(separator);
  // `cut` counts the characters that belong to the parent.
  std::size_t cut = found == std::string_view::npos ? 0 : found + 1;
  std::string last(path.substr(cut));
  if (cut > 1) {
    const char before = path[cut - 2];
    // The separator stays after a drive colon and after another separator.
    if (before != separator && !(windows && before == ':')) {
      --cut;
    }
  }
  std::string parent(path.substr(0, cut));
  // "\\server" alone is no folder: a share root is not split further.
  if (windows && parent.size() >= 3 && parent[0] == separator && parent.rfind(separator) == 1) {
    parent = std::string(path);
    last.clear();
  }
  return {std::move(parent), std::move(last)};
}

std::string GetLongDisplayPath(std::string_view path, const DisplayNameLookup& displayName,
                               PathStyle style) {
  const char separator = PathSeparator(style);
  if (path.empty()) {
    return {};
  }
  // A bare drive root has no component to look up; it stands for itself.
  const std::string stripped = StripTrailingBackslashes(path, style);
  if (Resolve(style) == PathStyle::Windows && stripped.size() == 2 && stripped[1] == ':') {
    return stripped + separator;
  }
  std::string current(path);
  if (EndsWith(current, separator)) {
    current.pop_back();
  }
  std::string result;
  for (;;) {
    auto [parent, last] = SplitParentPath(current, style);
    std::string piece;
    if (last.empty()) {
      piece = AddTrailingBackslash(parent, style);
    } else {
      auto name = displayName(current);
      if (!name) {
        return {};
      }
      piece = std::move(*name);
    }
    if (result.empty()) {
      result = std::move(piece);
    } else {
      result = AddTrailingBackslash(piece, style) + result;
    }
    if (last.empty()) {
      return result;
    }
    current = std::move(parent);
  }
}

std::string GetLongDisplayPath(std::string_view path, PathStyle style) {
  return GetLongDisplayPath(path, platform::GetDisplayName, style);
}

std::string GetWindowsTempDir(std::string_view systemDirectory, std::string_view tempName,
                              const FolderProbe& isFolder, PathStyle style) {
  // A system that named no folder must not turn into the root's "Temp".
  if (systemDirectory.empty() || tempName.empty()) {
    return {};
  }
  const std::string base = NormalizeDirPath(systemDirectory, style);
  std::string candidate = base + std::string(tempName);
  if (isFolder(candidate)) {
    return candidate;
  }
  candidate = base;
  for (const char c : tempName) {
    candidate += AsciiUpper(c);
  }
  if (isFolder(candidate)) {
    return candidate;
  }
  return {};
}

std::string GetWindowsTempDir() {
  const platform::SystemTempLocation location = platform::GetSystemTempLocation();
  const auto isFolder = [](std::string_view path) {
    const auto attributes = platform::ReadAttributes(path);
    return attributes && (*attributes & Directory) != 0;
  };
  return GetWindowsTempDir(location.baseDirectory, location.folderName, isFolder,
                           PathStyle::Native);
}

std::string GetTempDirPath() {
  const std::string path = platform::GetUserTempPath();
  return path.empty() ? std::string() : NormalizeDirPath(path);
}

} // namespace fegolin
