#include "common/uCommon.h"

#include "platform/FileSystem.h"
#include "platform/SystemFolders.h"

#include <cerrno>
#include <chrono>
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

std::string LexicallyNormalPath(std::string_view path, PathStyle style) {
  const bool windows = Resolve(style) == PathStyle::Windows;
  const char separator = PathSeparator(style);
  const auto isSeparator = [&](char c) { return c == separator || (windows && c == '/'); };
  // The root part stays as written: "/", "X:\" or "\\server\share\".
  std::size_t rootLength = 0;
  if (windows && path.size() >= 2 && path[1] == ':') {
    rootLength = path.size() >= 3 && isSeparator(path[2]) ? 3 : 2;
  } else if (windows && path.size() >= 2 && isSeparator(path[0]) && isSeparator(path[1])) {
    std::size_t slashes = 0;
    while (rootLength < path.size() && slashes < 4) {
      slashes += isSeparator(path[rootLength++]) ? 1 : 0;
    }
  } else if (!path.empty() && isSeparator(path[0])) {
    rootLength = 1;
  }
  std::string root(path.substr(0, rootLength));
  std::vector<std::string_view> parts;
  std::size_t start = rootLength;
  while (start <= path.size()) {
    std::size_t end = start;
    while (end < path.size() && !isSeparator(path[end])) {
      ++end;
    }
    const std::string_view part = path.substr(start, end - start);
    if (part == "..") {
      if (!parts.empty() && parts.back() != "..") {
        parts.pop_back();
      } else if (root.empty()) {
        parts.push_back(part);
      }
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    start = end + 1;
  }
  std::string result = std::move(root);
  for (std::size_t i = 0; i < parts.size(); ++i) {
    if (i > 0) {
      result += separator;
    }
    result += parts[i];
  }
  return result.empty() ? std::string(".") : result;
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

constexpr std::string_view kEveryName = "*.*";

CleanReason ReasonOfError(int error) {
  return error == EACCES || error == EPERM || error == EROFS ? CleanReason::NoPermission
                                                             : CleanReason::Failed;
}

// One folder level of a run: its listing, read whole before anything in it
// changes, and how far the pass over it got.
struct Level {
  platform::FolderListing listing;
  std::size_t next = 0;
  bool ended = false;         // a failure ended the pass over this folder
  bool keptSomething = false; // something in it stays (or would stay)
  std::size_t pathLength = 0; // of the path prefix of its entries
  // The subfolder at `next` while the walk is inside it: its status from
  // before anything in it was touched, the decision on the folder itself,
  // and whether its attributes were cleared to empty it.
  platform::EntryStatus status;
  CleanReason reason = CleanReason::None;
  bool attributesCleared = false;
};

// Cleans one tree. The depth of the tree lives in `levels_`, not on the
// call stack, so no depth of folders can exhaust the stack. Level objects
// are reused from one folder to the next to keep their buffers.
//
// Every entry ends in exactly one outcome, reported once: removed (or, in a
// preview, to be removed), kept for a CleanReason, or failed with the
// system's error. Keep rules come first, then the engine's own (another
// file system, in use), then the age; a folder goes only when everything
// in it went.
class TreeCleaner {
public:
  TreeCleaner(std::string_view mask, const CleanRules& rules, CleanMode mode,
              platform::FolderWalk& walk, CleanObserver* observer, CleanSummary& summary)
      : mask_(mask), rules_(rules), preview_(mode == CleanMode::Preview), walk_(walk),
        observer_(observer), details_(observer != nullptr && observer->WantsDetails()),
        summary_(summary) {}

  void Run() {
    if (!BeginLevel({})) {
      return;
    }
    for (;;) {
      Level& level = levels_[depth_ - 1];
      if (level.ended || level.next == level.listing.size()) {
        if (--depth_ == 0) {
          summary_.complete = !level.ended;
          return;
        }
        // Without a verified way back up nothing above can be trusted.
        if (!walk_.Leave()) {
          return;
        }
        FinishFolder(levels_[depth_ - 1], level.keptSomething);
        continue;
      }
      if (!StartEntry(level)) {
        return;
      }
    }
  }

private:
  // Lists the folder the walk stands in (entered through `name`) and makes
  // it the current level. False when it cannot be listed or nothing in it
  // matches the mask; the folder is then not processed at all.
  bool BeginLevel(std::string_view name) {
    if (levels_.size() == depth_) {
      levels_.emplace_back();
    }
    Level& level = levels_[depth_];
    level.next = 0;
    level.ended = false;
    level.keptSomething = false;
    path_.resize(depth_ == 0 ? 0 : levels_[depth_ - 1].pathLength);
    if (!name.empty()) {
      path_.append(name);
      path_ += platform::NativePathSeparator();
    }
    level.pathLength = path_.size();
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

  // Deals with the entry at level.next, or enters it when it is a folder
  // to be emptied. False when the walk lost its way back up and the run
  // must end.
  bool StartEntry(Level& level) {
    const std::string_view name = level.listing.Name(level.next);
    const std::uint32_t listed = level.listing.Attributes(level.next);
    // The listing decides what is a folder; a link is never entered.
    const bool folder = (listed & Directory) != 0 && (listed & ReparsePoint) == 0;
    if (!MatchesMask(mask_, name)) {
      ++level.next;
      return true;
    }
    if (MatchesKeepPattern(rules_, name)) {
      Kept(level, name, folder, CleanReason::KeepPattern, 0);
      return true;
    }
    if (!folder && !preview_ && !NeedsTimes(rules_) && DeletedStraightAway(level, name)) {
      return true;
    }
    const auto status = walk_.Query(name);
    if (!status) {
      // Vanished or unreadable: the rest of this folder waits for the next run.
      level.ended = true;
      level.keptSomething = true;
      return true;
    }
    const CleanReason reason = DecideEntry(rules_, name, *status);
    if (!folder) {
      if (reason != CleanReason::None) {
        Kept(level, name, false, reason, status->size);
      } else {
        RemoveFile(level, name, *status);
      }
      return true;
    }
    if (!DescendsInto(reason)) {
      Kept(level, name, true, reason, 0);
      return true;
    }
    level.status = *status;
    level.reason = reason;
    // A folder is opened up only when it is to go: one that stays because
    // it is young or in use is not touched, so its clock keeps running.
    level.attributesCleared =
        !preview_ && reason == CleanReason::None && ClearEntryAttributes(walk_, name, *status);
    if (walk_.Enter(name, *status)) {
      if (BeginLevel(name)) {
        return true;
      }
      // Entered but not listable: step out again; what it holds is unknown.
      if (!walk_.Leave()) {
        return false;
      }
    }
    FinishFolder(level, preview_);
    return true;
  }

  // A file whose read-only attribute cannot stop its deletion goes without
  // the attribute steps where the platform allows: one system call per file
  // is what makes a big run fast; see DeleteListedFile. True when the entry
  // is dealt with.
  bool DeletedStraightAway(Level& level, std::string_view name) {
    switch (walk_.DeleteListedFile(name, level.listing.Inode(level.next))) {
    case platform::ListedDelete::Deleted:
      Removed(level, name, false, 0);
      return true;
    case platform::ListedDelete::InUse:
      Kept(level, name, false, CleanReason::InUse, 0);
      return true;
    case platform::ListedDelete::Vanished:
      // As when its attributes cannot be read: the pass ends here.
      level.ended = true;
      level.keptSomething = true;
      return true;
    case platform::ListedDelete::NeedsFullSteps:
      break;
    }
    return false;
  }

  void RemoveFile(Level& level, std::string_view name, const platform::EntryStatus& status) {
    if (preview_) {
      if (walk_.MayRemove(status)) {
        Removed(level, name, false, status.size);
      } else {
        Failed(level, name, false, EACCES, status.size);
      }
      return;
    }
    const bool cleared = ClearEntryAttributes(walk_, name, status);
    if (const int error = DeleteFileEntry(name, walk_); error != 0) {
      if (cleared) {
        walk_.RestoreAttributes(name, status);
      }
      Failed(level, name, false, error, status.size);
      return;
    }
    Removed(level, name, false, status.size);
  }

  // The subfolder at level.next, emptied as far as it goes: removed when
  // it is to go and nothing stayed inside, otherwise kept with its mode
  // put back. `innerKept`: something inside stays, or may (a pass cut
  // short by a vanished entry, or a folder a preview could not look into).
  void FinishFolder(Level& level, bool innerKept) {
    const std::string_view name = level.listing.Name(level.next);
    if (level.reason != CleanReason::None || innerKept) {
      RestoreFolder(name, level);
      Kept(level, name, true, level.reason != CleanReason::None ? level.reason : CleanReason::NotEmpty, 0);
      return;
    }
    if (preview_) {
      if (walk_.MayRemove(level.status)) {
        Removed(level, name, true, 0);
      } else {
        Failed(level, name, true, EACCES, 0);
      }
      return;
    }
    const int error = RemoveSubDirectory(walk_, name);
    if (error == 0) {
      Removed(level, name, true, 0);
      return;
    }
    RestoreFolder(name, level);
    if (error == ENOTEMPTY || error == EEXIST) {
      Kept(level, name, true, CleanReason::NotEmpty, 0);
    } else {
      Failed(level, name, true, error, 0);
    }
  }

  void RestoreFolder(std::string_view name, Level& level) {
    if (level.attributesCleared) {
      walk_.RestoreAttributes(name, level.status);
      level.attributesCleared = false;
    }
  }

  void Removed(Level& level, std::string_view name, bool folder, std::uint64_t size) {
    ++summary_.removed;
    if (preview_) {
      summary_.bytes += size;
    }
    if (observer_ != nullptr) {
      observer_->EntryRemoved();
    }
    Tell(level, name, folder, CleanReason::None, 0, size);
    ++level.next;
  }

  void Kept(Level& level, std::string_view name, bool folder, CleanReason reason,
            std::uint64_t size) {
    ++summary_.kept;
    level.keptSomething = true;
    if (observer_ != nullptr) {
      observer_->EntryLeft();
    }
    Tell(level, name, folder, reason, 0, size);
    ++level.next;
  }

  void Failed(Level& level, std::string_view name, bool folder, int error, std::uint64_t size) {
    ++summary_.failed;
    level.keptSomething = true;
    if (observer_ != nullptr) {
      observer_->EntryLeft();
    }
    Tell(level, name, folder, ReasonOfError(error), error, size);
    ++level.next;
  }

  void Tell(const Level& level, std::string_view name, bool folder, CleanReason reason, int error,
            std::uint64_t size) {
    const bool failed = reason == CleanReason::NoPermission || reason == CleanReason::Failed;
    if (observer_ == nullptr || (!details_ && !failed)) {
      return;
    }
    path_.resize(level.pathLength);
    path_.append(name);
    const CleanEvent event{path_, folder, reason, error, size};
    if (details_) {
      observer_->Entry(event);
    }
    if (failed) {
      observer_->EntryFailed(event);
    }
  }

  std::string_view mask_;
  const CleanRules& rules_;
  bool preview_;
  platform::FolderWalk& walk_;
  CleanObserver* observer_;
  bool details_;
  CleanSummary& summary_;
  std::vector<Level> levels_;
  std::size_t depth_ = 0;
  std::string path_; // of the current folder below the top, then of the entry last told
};

CleanSummary RunClean(std::string_view mask, std::string_view directory, CleanRules rules,
                      CleanMode mode, CleanObserver* observer) {
  CleanSummary summary;
  platform::FolderWalkOpening opening = platform::OpenFolderWalk(directory);
  summary.target = opening.check;
  if (!opening.walk) {
    if (summary.target.ok()) {
      summary.target = {platform::TargetRefusal::CannotOpen, 0};
    }
    return summary;
  }
  if (rules.now == 0) {
    rules.now = std::chrono::duration_cast<std::chrono::seconds>(
                    std::chrono::system_clock::now().time_since_epoch())
                    .count();
  }
  const auto freeBefore = opening.walk->FreeBytes();
  TreeCleaner(mask, rules, mode, *opening.walk, observer, summary).Run();
  if (mode == CleanMode::Delete) {
    const auto freeAfter = opening.walk->FreeBytes();
    // What others wrote meanwhile counts against it; never below nothing.
    if (freeBefore && freeAfter && *freeAfter > *freeBefore) {
      summary.bytes = *freeAfter - *freeBefore;
    }
  }
  return summary;
}

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

bool ClearEntryAttributes(platform::FolderWalk& folder, std::string_view name,
                          const platform::EntryStatus& status) {
  if (status.inUse || status.foreignVolume) {
    return false;
  }
  const std::uint32_t cleared = status.attributes & ~(ReadOnly | Hidden);
  return cleared != status.attributes && folder.SetAttributes(name, status, cleared);
}

int DeleteFileEntry(std::string_view name, platform::FolderWalk& folder) {
  return folder.DeleteFile(name);
}

int RemoveSubDirectory(platform::FolderWalk& folder, std::string_view name) {
  return folder.RemoveDirectory(name);
}

CleanSummary CleanFolder(std::string_view directory, const CleanRules& rules, CleanMode mode,
                         CleanObserver* observer) {
  return RunClean(kEveryName, directory, rules, mode, observer);
}

bool CleanDirectory(std::string_view mask, std::string_view directory, CleanObserver* observer) {
  const CleanSummary summary = RunClean(mask, directory, {}, CleanMode::Delete, observer);
  return summary.target.ok() && summary.complete;
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
  // "$TMPDIR" may be written with "." and ".." and doubled separators; the
  // list shows and stores the folder in its plain form.
  const std::string path = platform::GetUserTempPath();
  return path.empty() ? std::string() : NormalizeDirPath(LexicallyNormalPath(path));
}

} // namespace fegolin
