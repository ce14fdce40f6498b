#pragma once

// The shared unit of the program: the cleaning engine with its path helpers
// and the six registry routines. Nothing here uses Qt.

#include "common/uCleanRules.h"
#include "platform/FileSystem.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>

namespace fegolin {

// ---------------------------------------------------------------------------
// Paths
// ---------------------------------------------------------------------------

// Which rules a path routine applies. Windows: "\" separates, "X:" drive
// roots and "\\server\share" roots. Posix: "/" separates, root "/".
// Native is the style of the platform the program runs on.
enum class PathStyle : std::uint8_t { Windows, Posix, Native };

// The separator of a style ('\\' or '/'); Native resolves to the platform's.
char PathSeparator(PathStyle style = PathStyle::Native);

std::string StripTrailingBackslashes(std::string_view path, PathStyle style = PathStyle::Native);
std::string AddTrailingBackslash(std::string_view path, PathStyle style = PathStyle::Native);
std::string NormalizeDirPath(std::string_view path, PathStyle style = PathStyle::Native);
// `path` by its text alone with "." components, ".." components (together
// with the component before them) and repeated separators taken out; a
// ".." at the root stays there, and a relative path stays relative. Links
// are not looked at: this tidies how a path is shown, it says nothing
// about where the path leads.
std::string LexicallyNormalPath(std::string_view path, PathStyle style = PathStyle::Native);

// ---------------------------------------------------------------------------
// Cleaning
// ---------------------------------------------------------------------------

// One entry the engine dealt with, for observers that want the details.
struct CleanEvent {
  // The entry below the listed folder, its components joined by the
  // platform's separator.
  std::string_view path;
  bool folder = false;
  // None: removed (in a preview: would be removed). Otherwise why it stays.
  CleanReason reason = CleanReason::None;
  // The system's error number behind NoPermission and Failed in a run.
  int error = 0;
  // Its size in bytes where it was read (files).
  std::uint64_t size = 0;
};

// Told about every entry the engine disposes of, so the window can move its
// animation and the headless mode can count. Called on the cleaning thread.
class CleanObserver {
public:
  virtual ~CleanObserver() = default;
  // One entry (file, link, special file or emptied folder) was removed.
  virtual void EntryRemoved() {}
  // One entry could not be removed, or was kept by a rule, and stays.
  virtual void EntryLeft() {}
  // Whether Entry is to be called: building the path of every entry costs
  // time that a plain run should not spend.
  [[nodiscard]] virtual bool WantsDetails() const { return false; }
  virtual void Entry(const CleanEvent& /*event*/) {}
  // An entry the system would not let go (NoPermission, Failed), with its
  // path and reason, whether details are wanted or not.
  virtual void EntryFailed(const CleanEvent& /*event*/) {}
};

// Whether a clean deletes, or only tells what it would delete.
enum class CleanMode : std::uint8_t { Delete, Preview };

// What one clean of one listed folder came to.
struct CleanSummary {
  // Not ok: the folder was refused or could not be opened; nothing in it
  // was touched.
  platform::TargetCheck target;
  std::uint64_t removed = 0; // entries removed (in a preview: to be removed)
  std::uint64_t kept = 0;    // entries a rule keeps, and folders holding them
  std::uint64_t failed = 0;  // entries the system would not let go
  // Bytes freed on the folder's file system during the run; in a preview,
  // the size of the files that would go.
  std::uint64_t bytes = 0;
  // The listing of the folder itself ran to its end.
  bool complete = false;
  // How many of the kept and failed entries stayed for each reason.
  std::array<std::uint64_t, kCleanReasonCount> reasons{};

  // Adds the counts of `other` (a branch of the same run, or another
  // folder of the same run) to these.
  void Add(const CleanSummary& other);
};

// Empties the folder tree below `directory` by the rules, the folder itself
// staying. A folder that must never be emptied (see platform::TargetRefusal)
// is refused before anything is touched, whatever the spelling of its path.
// Links are removed as entries, never followed; other file systems mounted
// below (bind mounts included) are left alone; entries running processes
// use stay; a folder that stays gets back the mode it had.
CleanSummary CleanFolder(std::string_view directory, const CleanRules& rules, CleanMode mode,
                         CleanObserver* observer = nullptr);

// Empties the folder tree below `directory`; the folder itself stays.
// Only entries whose names match `mask` ("*" and "?" wildcards, matched the
// way Windows matches them, so "*.*" takes every name) are processed, at
// every level. True when the folder could be listed and its listing ran to
// its end. A folder CleanFolder refuses is never cleaned: false. No keep
// patterns and no age apply.
bool CleanDirectory(std::string_view mask, std::string_view directory,
                    CleanObserver* observer = nullptr);

// The per-entry steps of CleanDirectory. They work on an entry of the
// folder the walk currently stands in.

// Clears read-only and hidden on the entry `status` (a fresh Query)
// describes; writes only when something changes. True when it changed the
// entry, which then gets its attributes back should it stay. Entries in
// use or on another file system are not changed.
bool ClearEntryAttributes(platform::FolderWalk& folder, std::string_view name,
                          const platform::EntryStatus& status);
// Deletes a file (or link): 0 when it is gone, else the errno reason.
int DeleteFileEntry(std::string_view name, platform::FolderWalk& folder);
// Removes an empty subfolder: 0 when it is gone, else the errno reason.
int RemoveSubDirectory(platform::FolderWalk& folder, std::string_view name);

// Whether `name` matches the wildcard mask: "*" any run of characters, "?"
// one character, letters compared without regard to ASCII case, and a mask
// ending in ".*" also matching names without that extension.
bool MatchesMask(std::string_view mask, std::string_view name);

// ---------------------------------------------------------------------------
// System folders
// ---------------------------------------------------------------------------

// The system's own temporary folder without trailing separator, or the
// empty string when it does not exist.
std::string GetWindowsTempDir();
// The user's temporary path in directory form; empty when the system names
// none.
std::string GetTempDirPath();
// Parent and last component of a path. The parent keeps its separator only
// where it is a root; a Windows "\\server\share" root is not split.
std::pair<std::string, std::string> SplitParentPath(std::string_view path,
                                                    PathStyle style = PathStyle::Native);
// The path rebuilt from the names the system shows for its components, the
// root kept as written; empty when one component cannot be looked up.
std::string GetLongDisplayPath(std::string_view path, PathStyle style = PathStyle::Native);

// The same routines with the system services passed in, so the rules can be
// run against any system's conventions.

// True when `path` exists and is a folder.
using FolderProbe = std::function<bool(std::string_view path)>;
// The display name of the last component of `path`, nothing on failure.
using DisplayNameLookup = std::function<std::optional<std::string>(std::string_view path)>;

std::string GetWindowsTempDir(std::string_view systemDirectory, std::string_view tempName,
                              const FolderProbe& isFolder, PathStyle style);
std::string GetLongDisplayPath(std::string_view path, const DisplayNameLookup& displayName,
                               PathStyle style);

// ---------------------------------------------------------------------------
// Registry
// ---------------------------------------------------------------------------

// The root handle every registry routine takes. The program only ever uses
// the current user's root.
using RegRoot = std::uint32_t;
inline constexpr RegRoot kCurrentUserRoot = 0x80000001u;

// Kind codes of the typed registry routines. The numbers are stored nowhere
// but are part of the routines' contract: codes without a member here are
// accepted and do nothing.
enum class TFieldType : std::uint8_t {
  ftUnknown = 0,
  ftString = 1,
  ftSmallint = 2,
  ftInteger = 3,
  ftWord = 4,
  ftBoolean = 5,
  ftFloat = 6,
  ftDateTime = 11,
};

// A point in time as an OLE Automation date: days since 1899-12-30 with the
// time of day as the fraction.
struct TDateTime {
  double value = 0.0;
  friend bool operator==(const TDateTime&, const TDateTime&) = default;
};

// The dynamically typed value that travels in and out of the registry
// routines. std::monostate is the empty value.
using RegVariant = std::variant<std::monostate, std::string, std::int32_t, bool, double, TDateTime>;

// Conversions of the dynamically typed value, as the typed routines apply
// them before writing; callers use them to get a plain type from a read.
// Nothing when the value does not convert. Text conversion: the empty value
// is the empty text, integers in decimal, booleans "True"/"False", doubles
// in the shortest form that reads back exactly ('.' as the decimal point),
// date-times "YYYY-MM-DD HH:MM:SS". Text converts to a number only when it
// is one as a whole, to a boolean when it is "true"/"false" (any case) or an
// integer (non-zero = true), and to a date-time from "YYYY-MM-DD" with an
// optional " HH:MM" or " HH:MM:SS" ('T' also separates). Doubles convert to
// integers only when they are whole numbers in range.
std::optional<std::string> RegVariantToText(const RegVariant& value);
std::optional<std::int32_t> RegVariantToInteger(const RegVariant& value);
std::optional<bool> RegVariantToBoolean(const RegVariant& value);
std::optional<double> RegVariantToFloat(const RegVariant& value);
std::optional<TDateTime> RegVariantToDateTime(const RegVariant& value);

// The routines: root and key path (leading backslash optional), never an
// exception, failures turned into the fallback results.
bool KeyExists(RegRoot root, std::string_view key);
bool WriteRegValue(RegRoot root, std::string_view key, std::string_view name,
                   const RegVariant& value, TFieldType kind);
RegVariant ReadRegValueDef(RegRoot root, std::string_view key, std::string_view name,
                           const RegVariant& defaultValue, TFieldType kind);
RegVariant ReadRegValue(RegRoot root, std::string_view key, std::string_view name, TFieldType kind);
// The value as stored, converted to `kind`; nothing when the key or the
// value is missing or does not convert. Unlike the routines above it
// creates nothing, so a command that only reads leaves no trace.
std::optional<RegVariant> ReadStoredRegValue(RegRoot root, std::string_view key,
                                             std::string_view name, TFieldType kind);
void DeleteRegKey(RegRoot root, std::string_view key);
void DeleteRegValue(RegRoot root, std::string_view key, std::string_view name);

namespace platform {
class RegTransaction;
}

// Makes the registry changes made while it is open one unit: either all of
// them are kept or none. The routines above join it on their own. A change
// that fails dooms it (later changes fail at once), and it rolls back when it
// goes away uncommitted. Transactions nest; only the outermost one decides.
class RegTransaction {
public:
  RegTransaction();
  ~RegTransaction();
  RegTransaction(const RegTransaction&) = delete;
  RegTransaction& operator=(const RegTransaction&) = delete;

  // True when every change is kept; false when they were all rolled back.
  bool Commit();

private:
  std::unique_ptr<platform::RegTransaction> transaction_;
};

} // namespace fegolin
