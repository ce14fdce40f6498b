#pragma once

// What a clean run may take and what it keeps, decided in one place for the
// run, the preview and the dry run alike. Nothing here uses Qt.

#include "platform/FileSystem.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace fegolin {

// The user's rules on top of what the engine always keeps.
struct CleanRules {
  // Only entries older than this many seconds go; 0 takes every age.
  std::int64_t minimumAgeSeconds = 0;
  // Names (shell globs: "*", "?", "[...]") kept at any depth, with
  // everything below a kept folder.
  std::vector<std::string> keepPatterns;
  // "Now" for the age rule, seconds since 1970; set when a run starts.
  std::int64_t now = 0;
};

// Why an entry stays, or None when it goes.
enum class CleanReason : std::uint8_t {
  None,
  KeepPattern,     // its name matches a keep pattern
  OtherFileSystem, // a mount point: another file system's business
  InUse,           // a running process uses it
  TooYoung,        // changed, modified or read within the minimum age
  NotEmpty,        // a folder that still holds kept entries
  NoPermission,    // the system does not let this account remove it
  Failed,          // the system refused for another reason (see the error)
};
inline constexpr std::size_t kCleanReasonCount = 8;

// A short English text for a reason ("in use", "too young", ...).
std::string_view CleanReasonText(CleanReason reason);

// Whether `name` matches the shell glob `pattern`: "*" any run of
// characters, "?" one character, "[abc]", "[a-z]" and "[!abc]" one
// character of (or not of) a set; letters compare exactly. A leading dot
// needs no special match.
bool MatchesGlob(std::string_view pattern, std::string_view name);

// The keep pattern `name` matches, if any.
bool MatchesKeepPattern(const CleanRules& rules, std::string_view name);

// The decision on one entry from its name and a fresh status. For a folder
// the answer is about the folder itself; see DescendsInto for its contents.
CleanReason DecideEntry(const CleanRules& rules, std::string_view name,
                        const platform::EntryStatus& status);

// Whether a folder kept for `reason` still has its contents cleaned: a
// folder in use or too young does, a kept or foreign tree is left whole.
bool DescendsInto(CleanReason reason);

// Whether deciding needs the entry's times (and so a fresh status even for
// files the engine could otherwise delete straight from the listing).
bool NeedsTimes(const CleanRules& rules);

// The keep patterns a new configuration starts with: session sockets,
// locks and credentials that programs still running rely on.
const std::vector<std::string>& DefaultKeepPatterns();

// Patterns from their stored text (separated by ';', blanks around each
// trimmed, empty pieces dropped) and back.
std::vector<std::string> SplitKeepPatterns(std::string_view text);
std::string JoinKeepPatterns(const std::vector<std::string>& patterns);

} // namespace fegolin
