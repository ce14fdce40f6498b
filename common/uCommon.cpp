#include "common/uCommon.h"

#include "common/uWorkPool.h"
#include "platform/FileSystem.h"
#include "platform/SystemFolders.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <exception>
#include <memory>
#include <mutex>
#include <optional>
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

// A subfolder another thread empties, and what came of it.
struct BranchState {
  std::string name;
  platform::EntryStatus status;
  bool attributesCleared = false;
  bool done = false;      // guarded by the pool's lock
  bool innerKept = false; // valid once done
};

// The back part of a big folder's listing that another thread works
// through, and what came of it.
struct SliceState {
  platform::FolderListing listing; // handed to the slice's cleaner
  bool done = false;               // guarded by the pool's lock
  bool kept = true;                // valid once done: something stays
  bool complete = false;           // valid once done: the pass went through
};

// A folder's listing is shared out only when at least twice this much of it
// is left, and asked about every this many entries.
constexpr std::size_t kSliceEntries = 256;

// One folder level of a run: its listing, read whole before anything in it
// changes, and how far the pass over it got.
struct Level {
  platform::FolderListing listing;
  std::size_t next = 0;
  std::size_t end = 0;        // of this thread's part of the listing
  bool ended = false;         // a failure ended the pass over this folder
  bool keptSomething = false; // something in it stays (or would stay)
  std::size_t pathLength = 0; // of the path prefix of its entries
  // The subfolder at `next` while the walk is inside it: its status from
  // before anything in it was touched, the decision on the folder itself,
  // and whether its attributes were cleared to empty it.
  platform::EntryStatus status;
  CleanReason reason = CleanReason::None;
  bool attributesCleared = false;
  // Subfolders and parts of the listing handed to other threads; they are
  // finished here once the pass over this folder is through.
  std::vector<std::shared_ptr<BranchState>> branches;
  std::vector<std::shared_ptr<SliceState>> slices;
};

// What the threads of one run share: the rules, the observer (called under
// a lock when threads share the run) and the totals.
struct RunShared {
  std::string_view mask;
  const CleanRules& rules;
  bool preview;
  CleanObserver* observer;
  WorkPool* pool; // null: one thread does everything
  std::mutex lock;
  CleanSummary& summary;
};

// Hands every call on to the run's observer, one thread at a time.
class SerialObserver final : public CleanObserver {
public:
  SerialObserver(CleanObserver& inner, std::mutex& lock) : inner_(inner), lock_(lock) {}
  void EntryRemoved() override {
    const std::lock_guard hold(lock_);
    inner_.EntryRemoved();
  }
  void EntryLeft() override {
    const std::lock_guard hold(lock_);
    inner_.EntryLeft();
  }
  [[nodiscard]] bool WantsDetails() const override { return inner_.WantsDetails(); }
  void Entry(const CleanEvent& event) override {
    const std::lock_guard hold(lock_);
    inner_.Entry(event);
  }
  void EntryFailed(const CleanEvent& event) override {
    const std::lock_guard hold(lock_);
    inner_.EntryFailed(event);
  }

private:
  CleanObserver& inner_;
  std::mutex& lock_;
};

// Cleans one tree, or one branch of it. The depth of the tree lives in
// `levels_`, not on the call stack, so no depth of folders can exhaust the
// stack. Level objects are reused from one folder to the next to keep
// their buffers.
//
// Every entry ends in exactly one outcome, reported once: removed (or, in a
// preview, to be removed), kept for a CleanReason, or failed with the
// system's error. Keep rules come first, then the engine's own (another
// file system, in use), then the age; a folder goes only when everything
// in it went.
//
// Where threads share a run, a subfolder about to be entered goes to a free
// thread instead, as a branch with a walk of its own, and so does the back
// half of what is left of a big folder's listing, as a slice; the folder
// waits for its branches and slices before it is finished itself.
class TreeCleaner {
public:
  // `slice`: the part of the walk's own folder to work through, instead of
  // its whole listing.
  TreeCleaner(RunShared& shared, platform::FolderWalk& walk, CleanObserver* observer,
              std::string pathPrefix, platform::FolderListing* slice = nullptr)
      : shared_(shared), mask_(shared.mask), rules_(shared.rules), preview_(shared.preview),
        walk_(walk), observer_(observer), details_(observer != nullptr && observer->WantsDetails()),
        path_(std::move(pathPrefix)), slice_(slice) {}

  // Cleans the tree; the totals go to `summary`. Whether something in the
  // walk's own folder stays comes back.
  bool Run(CleanSummary& summary) {
    summary_ = &summary;
    const std::size_t rootPath = path_.size();
    if (!BeginLevel({}, rootPath)) {
      return true;
    }
    for (;;) {
      Level& level = levels_[depth_ - 1];
      if (level.ended || level.next == level.end) {
        FinishBranches(level);
        if (--depth_ == 0) {
          summary.complete = !level.ended;
          return level.keptSomething;
        }
        // Without a verified way back up nothing above can be trusted.
        if (!walk_.Leave()) {
          return true;
        }
        Level& parent = levels_[depth_ - 1];
        FinishFolder(parent, parent.listing.Name(parent.next), parent.status, parent.reason,
                     parent.attributesCleared, level.keptSomething);
        ++parent.next;
        continue;
      }
      if (level.next % kSliceEntries == 0) {
        SliceOff(level);
      }
      if (!StartEntry(level)) {
        return true;
      }
    }
  }

private:
  // Lists the folder the walk stands in (entered through `name`) and makes
  // it the current level. False when it cannot be listed or nothing in it
  // matches the mask; the folder is then not processed at all.
  bool BeginLevel(std::string_view name, std::size_t rootPath) {
    // `name` lies in the listing of the level above: used before a new
    // level may move the listings around.
    path_.resize(depth_ == 0 ? rootPath : levels_[depth_ - 1].pathLength);
    if (!name.empty()) {
      path_.append(name);
      path_ += platform::NativePathSeparator();
    }
    if (levels_.size() == depth_) {
      levels_.emplace_back();
    }
    Level& level = levels_[depth_];
    level.next = 0;
    level.ended = false;
    level.keptSomething = false;
    level.branches.clear();
    level.slices.clear();
    level.pathLength = path_.size();
    if (slice_ != nullptr) {
      level.listing = std::move(*slice_);
      slice_ = nullptr;
    } else if (!walk_.List(level.listing) || !AnyMatch(level.listing)) {
      return false;
    }
    level.end = level.listing.size();
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
      ++level.next;
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
    if (!folder || !DescendsInto(reason)) {
      if (reason != CleanReason::None) {
        Kept(level, name, folder, reason, status->size);
      } else {
        RemoveFile(level, name, *status);
      }
      ++level.next;
      return true;
    }
    // A folder is opened up only when it is to go: one that stays because
    // it is young or in use is not touched, so its clock keeps running.
    const bool cleared =
        !preview_ && reason == CleanReason::None && ClearEntryAttributes(walk_, name, *status);
    if (reason == CleanReason::None && Handed(level, name, *status, cleared)) {
      ++level.next;
      return true;
    }
    level.status = *status;
    level.reason = reason;
    level.attributesCleared = cleared;
    if (walk_.Enter(name, *status)) {
      if (BeginLevel(name, 0)) {
        return true;
      }
      // Entered but not listable: step out again; what it holds is unknown.
      if (!walk_.Leave()) {
        return false;
      }
    }
    // A new level may have moved `level` and the name it holds.
    Level& here = levels_[depth_ - 1];
    FinishFolder(here, here.listing.Name(here.next), here.status, here.reason,
                 here.attributesCleared, preview_);
    ++here.next;
    return true;
  }

  // What another thread's part of the run left.
  struct AsideOutcome {
    bool kept = true;      // something in its folder stays
    bool complete = false; // its pass went through
  };

  // Cleans a branch or a slice on a pool thread and adds its totals to the
  // run's.
  static AsideOutcome CleanAside(RunShared& shared, platform::FolderWalk& walk,
                                 CleanObserver* observer, const std::string& prefix,
                                 platform::FolderListing* slice) {
    AsideOutcome outcome;
    try {
      CleanSummary totals;
      outcome.kept = TreeCleaner(shared, walk, observer, prefix, slice).Run(totals);
      outcome.complete = totals.complete;
      const std::lock_guard hold(shared.lock);
      shared.summary.Add(totals);
    } catch (const std::exception&) {
      // Out of memory, the only thing that throws down here: what is left
      // of the part stays. Nothing may leave a pool thread.
    }
    return outcome;
  }

  // Hands the subfolder `name` to a free thread, if there is one.
  bool Handed(Level& level, std::string_view name, const platform::EntryStatus& status,
              bool cleared) {
    WorkPool* pool = shared_.pool;
    if (pool == nullptr || !pool->Hungry()) {
      return false;
    }
    std::shared_ptr<platform::FolderWalk> branchWalk = walk_.Branch(name, status);
    if (!branchWalk) {
      return false;
    }
    auto branch = std::make_shared<BranchState>();
    branch->name = std::string(name);
    branch->status = status;
    branch->attributesCleared = cleared;
    std::string prefix =
        path_.substr(0, level.pathLength) + branch->name + platform::NativePathSeparator();
    RunShared& shared = shared_;
    CleanObserver* observer = observer_;
    const bool spawned = pool->TrySpawn([&shared, observer, branch, branchWalk, prefix] {
      const AsideOutcome outcome = CleanAside(shared, *branchWalk, observer, prefix, nullptr);
      shared.pool->Finished([&] {
        branch->innerKept = outcome.kept;
        branch->done = true;
      });
    });
    if (spawned) {
      level.branches.push_back(std::move(branch));
    }
    return spawned;
  }

  // Hands the back half of what is left of this folder's listing to a free
  // thread. Within one folder the kernel removes the entries one at a time
  // under the folder's lock, but frees what each of them held outside it,
  // so two threads empty a folder of many files nearly twice as fast as one.
  void SliceOff(Level& level) {
    WorkPool* pool = shared_.pool;
    const std::size_t left = level.end - level.next;
    if (pool == nullptr || left < 2 * kSliceEntries || !pool->Hungry()) {
      return;
    }
    std::shared_ptr<platform::FolderWalk> twin = walk_.Twin();
    if (!twin) {
      return;
    }
    const std::size_t from = level.next + left / 2;
    auto slice = std::make_shared<SliceState>();
    for (std::size_t i = from; i < level.end; ++i) {
      slice->listing.Add(level.listing.Name(i), level.listing.Attributes(i),
                         level.listing.Inode(i));
    }
    std::string prefix = path_.substr(0, level.pathLength);
    RunShared& shared = shared_;
    CleanObserver* observer = observer_;
    const bool spawned = pool->TrySpawn([&shared, observer, slice, twin, prefix] {
      const AsideOutcome outcome = CleanAside(shared, *twin, observer, prefix, &slice->listing);
      shared.pool->Finished([&] {
        slice->kept = outcome.kept;
        slice->complete = outcome.complete;
        slice->done = true;
      });
    });
    if (spawned) {
      level.end = from;
      level.slices.push_back(std::move(slice));
    }
  }

  // Waits for the subfolders and listing parts of `level` that other
  // threads work through, helping with queued work meanwhile, and finishes
  // the subfolders here.
  void FinishBranches(Level& level) {
    if (level.branches.empty() && level.slices.empty()) {
      return;
    }
    shared_.pool->HelpUntil([&] {
      return std::all_of(level.branches.begin(), level.branches.end(),
                         [](const auto& branch) { return branch->done; }) &&
             std::all_of(level.slices.begin(), level.slices.end(),
                         [](const auto& slice) { return slice->done; });
    });
    for (const auto& branch : level.branches) {
      FinishFolder(level, branch->name, branch->status, CleanReason::None,
                   branch->attributesCleared, branch->innerKept);
    }
    level.branches.clear();
    for (const auto& slice : level.slices) {
      level.keptSomething = level.keptSomething || slice->kept;
      level.ended = level.ended || !slice->complete;
    }
    level.slices.clear();
  }

  // A file whose read-only attribute cannot stop its deletion goes without
  // the attribute steps where the platform allows: one system call per file
  // is what makes a big run fast; see DeleteListedFile. True when the entry
  // is dealt with.
  bool DeletedStraightAway(Level& level, std::string_view name) {
    switch (walk_.DeleteListedFile(name, level.listing.Inode(level.next))) {
    case platform::ListedDelete::Deleted:
      Removed(level, name, false, 0);
      ++level.next;
      return true;
    case platform::ListedDelete::InUse:
      Kept(level, name, false, CleanReason::InUse, 0);
      ++level.next;
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
    ClearEntryAttributes(walk_, name, status);
    if (const int error = DeleteFileEntry(name, walk_); error != 0) {
      Failed(level, name, false, error, status.size);
      return;
    }
    Removed(level, name, false, status.size);
  }

  // The subfolder `name` of the current folder, emptied as far as it goes:
  // removed when it is to go and nothing stayed inside, otherwise kept with
  // its mode put back. `innerKept`: something inside stays, or may (a pass
  // cut short by a vanished entry, or a folder a preview could not look
  // into).
  void FinishFolder(Level& level, std::string_view name, const platform::EntryStatus& status,
                    CleanReason reason, bool& attributesCleared, bool innerKept) {
    if (reason != CleanReason::None || innerKept) {
      RestoreFolder(name, status, attributesCleared);
      Kept(level, name, true, reason != CleanReason::None ? reason : CleanReason::NotEmpty, 0);
      return;
    }
    if (preview_) {
      if (walk_.MayRemove(status)) {
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
    RestoreFolder(name, status, attributesCleared);
    if (error == ENOTEMPTY || error == EEXIST) {
      Kept(level, name, true, CleanReason::NotEmpty, 0);
    } else {
      Failed(level, name, true, error, 0);
    }
  }

  void RestoreFolder(std::string_view name, const platform::EntryStatus& status,
                     bool& attributesCleared) {
    if (attributesCleared) {
      walk_.RestoreAttributes(name, status);
      attributesCleared = false;
    }
  }

  void Removed(const Level& level, std::string_view name, bool folder, std::uint64_t size) {
    ++summary_->removed;
    if (preview_) {
      summary_->bytes += size;
    }
    if (observer_ != nullptr) {
      observer_->EntryRemoved();
    }
    Tell(level, name, folder, CleanReason::None, 0, size);
  }

  void Kept(Level& level, std::string_view name, bool folder, CleanReason reason,
            std::uint64_t size) {
    ++summary_->kept;
    ++summary_->reasons[static_cast<std::size_t>(reason)];
    level.keptSomething = true;
    if (observer_ != nullptr) {
      observer_->EntryLeft();
    }
    Tell(level, name, folder, reason, 0, size);
  }

  void Failed(Level& level, std::string_view name, bool folder, int error, std::uint64_t size) {
    ++summary_->failed;
    ++summary_->reasons[static_cast<std::size_t>(ReasonOfError(error))];
    level.keptSomething = true;
    if (observer_ != nullptr) {
      observer_->EntryLeft();
    }
    Tell(level, name, folder, ReasonOfError(error), error, size);
  }

  void Tell(const Level& level, std::string_view name, bool folder, CleanReason reason, int error,
            std::uint64_t size) {
    const bool failed = reason == CleanReason::NoPermission || reason == CleanReason::Failed;
    if (observer_ == nullptr || (!details_ && !failed)) {
      return;
    }
    std::string& path = eventPath_;
    path.assign(path_, 0, level.pathLength);
    path.append(name);
    const CleanEvent event{path, folder, reason, error, size};
    if (details_) {
      observer_->Entry(event);
    }
    if (failed) {
      observer_->EntryFailed(event);
    }
  }

  RunShared& shared_;
  std::string_view mask_;
  const CleanRules& rules_;
  bool preview_;
  platform::FolderWalk& walk_;
  CleanObserver* observer_;
  bool details_;
  CleanSummary* summary_ = nullptr;
  std::vector<Level> levels_;
  std::size_t depth_ = 0;
  std::string path_;               // of the current folder, from the listed folder down
  std::string eventPath_;          // of the entry last told
  platform::FolderListing* slice_; // until the first level takes it over
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
  // A preview reports in the order of the tree, so one thread walks it.
  const unsigned threads = mode == CleanMode::Delete ? CleanThreads() : 1;
  std::optional<WorkPool> pool;
  if (threads > 1) {
    pool.emplace(threads);
  }
  RunShared shared{mask, rules,  mode == CleanMode::Preview, observer, pool ? &*pool : nullptr,
                   {},   summary};
  std::optional<SerialObserver> serial;
  if (observer != nullptr && pool) {
    serial.emplace(*observer, shared.lock);
  }
  // This thread's totals are its own until the other threads are done.
  CleanSummary own;
  TreeCleaner(shared, *opening.walk, serial ? &*serial : observer, {}).Run(own);
  pool.reset();
  summary.Add(own);
  summary.complete = own.complete;
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

void CleanSummary::Add(const CleanSummary& other) {
  removed += other.removed;
  kept += other.kept;
  failed += other.failed;
  bytes += other.bytes;
  for (std::size_t i = 0; i < reasons.size(); ++i) {
    reasons[i] += other.reasons[i];
  }
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
