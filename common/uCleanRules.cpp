#include "common/uCleanRules.h"

#include <algorithm>

namespace fegolin {

static_assert(static_cast<std::size_t>(CleanReason::Failed) + 1 == kCleanReasonCount,
              "kCleanReasonCount counts every reason");

namespace {

// One "[...]" set at the start of `pattern` tested against `c`; `length`
// receives the set's length, 0 when it is not closed (then "[" is a plain
// character).
bool MatchesSet(std::string_view pattern, char c, std::size_t& length) {
  std::size_t i = 1;
  const bool negated = i < pattern.size() && (pattern[i] == '!' || pattern[i] == '^');
  if (negated) {
    ++i;
  }
  bool found = false;
  bool first = true;
  for (; i < pattern.size() && (first || pattern[i] != ']'); ++i, first = false) {
    if (i + 2 < pattern.size() && pattern[i + 1] == '-' && pattern[i + 2] != ']') {
      found = found || (pattern[i] <= c && c <= pattern[i + 2]);
      i += 2;
    } else {
      found = found || pattern[i] == c;
    }
  }
  if (i >= pattern.size()) {
    length = 0;
    return false;
  }
  length = i + 1;
  return found != negated;
}

std::string_view Trimmed(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t'; };
  while (!text.empty() && blank(text.front())) {
    text.remove_prefix(1);
  }
  while (!text.empty() && blank(text.back())) {
    text.remove_suffix(1);
  }
  return text;
}

} // namespace

std::string_view CleanReasonText(CleanReason reason) {
  switch (reason) {
  case CleanReason::None:
    return "removed";
  case CleanReason::KeepPattern:
    return "keep pattern";
  case CleanReason::OtherFileSystem:
    return "another file system";
  case CleanReason::InUse:
    return "in use";
  case CleanReason::TooYoung:
    return "too young";
  case CleanReason::NotEmpty:
    return "holds kept entries";
  case CleanReason::NoPermission:
    return "no permission";
  case CleanReason::Failed:
    return "failed";
  }
  return "kept";
}

bool MatchesGlob(std::string_view pattern, std::string_view name) {
  // Backtracking to the last "*" only: linear in practice, never
  // exponential, however many stars a pattern has.
  std::size_t p = 0;
  std::size_t n = 0;
  std::size_t starPattern = std::string_view::npos;
  std::size_t starName = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      starPattern = p++;
      starName = n;
      continue;
    }
    std::size_t step = 0; // pattern characters that matched name[n]
    if (p < pattern.size() && pattern[p] == '[') {
      std::size_t setLength = 0;
      const bool inSet = MatchesSet(pattern.substr(p), name[n], setLength);
      step = setLength == 0 ? (name[n] == '[' ? 1 : 0) : (inSet ? setLength : 0);
    } else if (p < pattern.size() && (pattern[p] == '?' || pattern[p] == name[n])) {
      step = 1;
    }
    if (step != 0) {
      p += step;
      ++n;
      continue;
    }
    if (starPattern == std::string_view::npos) {
      return false;
    }
    p = starPattern + 1;
    n = ++starName;
  }
  while (p < pattern.size() && pattern[p] == '*') {
    ++p;
  }
  return p == pattern.size();
}

bool MatchesKeepPattern(const CleanRules& rules, std::string_view name) {
  return std::any_of(rules.keepPatterns.begin(), rules.keepPatterns.end(),
                     [&](const std::string& pattern) { return MatchesGlob(pattern, name); });
}

CleanReason DecideEntry(const CleanRules& rules, std::string_view name,
                        const platform::EntryStatus& status) {
  if (MatchesKeepPattern(rules, name)) {
    return CleanReason::KeepPattern;
  }
  if (status.foreignVolume) {
    return CleanReason::OtherFileSystem;
  }
  if (status.inUse) {
    return CleanReason::InUse;
  }
  // Old means old by every clock: written, changed and read (the rule of
  // the system's own temp-file cleaner), so nothing recently touched goes.
  if (rules.minimumAgeSeconds > 0 && status.newestTime > rules.now - rules.minimumAgeSeconds) {
    return CleanReason::TooYoung;
  }
  return CleanReason::None;
}

bool DescendsInto(CleanReason reason) {
  return reason == CleanReason::None || reason == CleanReason::InUse ||
         reason == CleanReason::TooYoung;
}

bool NeedsTimes(const CleanRules& rules) {
  return rules.minimumAgeSeconds > 0;
}

const std::vector<std::string>& DefaultKeepPatterns() {
  static const std::vector<std::string> patterns{
      "krb5cc_*",   ".X*-lock",          ".X11-unix", ".ICE-unix", ".XIM-unix",
      ".font-unix", "systemd-private-*", "ssh-*",     "tmux-*",    "gpg-*"};
  return patterns;
}

std::vector<std::string> SplitKeepPatterns(std::string_view text) {
  std::vector<std::string> patterns;
  for (;;) {
    const std::size_t cut = text.find(';');
    const std::string_view piece = Trimmed(text.substr(0, cut));
    if (!piece.empty()) {
      patterns.emplace_back(piece);
    }
    if (cut == std::string_view::npos) {
      return patterns;
    }
    text.remove_prefix(cut + 1);
  }
}

std::string JoinKeepPatterns(const std::vector<std::string>& patterns) {
  std::string text;
  for (const std::string& pattern : patterns) {
    const std::string_view piece = Trimmed(pattern);
    if (piece.empty() || piece.find(';') != std::string_view::npos) {
      continue;
    }
    if (!text.empty()) {
      text += ';';
    }
    text += piece;
  }
  return text;
}

} // namespace fegolin
