#pragma once

#include "common/uCommon.h"

#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>

namespace fegolin::test {

// Everything below `root` by relative path: kind, mode and content (or link
// target). Links are described, never followed. Two equal fingerprints mean
// the trees are byte-for-byte and mode-for-mode the same.
std::map<std::string, std::string> Fingerprint(const std::filesystem::path& root);

class CountingObserver final : public CleanObserver {
public:
  void EntryRemoved() override { ++removed; }
  void EntryLeft() override { ++left; }
  int removed = 0;
  int left = 0;
};

struct CleanOutcome {
  bool result = false;
  int removed = 0;
  int left = 0;
};

// The unprivileged account the privilege tests drop to.
inline constexpr unsigned kNobody = 65534;

// Runs CleanDirectory("*.*", directory) in a forked child whose current
// folder is `cwd`. With `asNobody` the child first drops every privilege to
// kNobody (only possible when running as root). `prepare` runs in the child
// before the privileges are dropped; false from it means the child cannot be
// set up. Nothing when the child could not be set up.
std::optional<CleanOutcome> CleanInChild(const std::filesystem::path& cwd,
                                         const std::string& directory, bool asNobody,
                                         const std::function<bool()>& prepare = {});

// Runs `body` in a forked child; its return value is the child's exit code.
// -1 when the child did not exit normally.
int RunInChild(const std::function<int()>& body);

// Exit code of a child that found the system does not allow the test.
inline constexpr int kChildSkipped = 77;

// Hands every entry below and including `root` to `uid` (links themselves).
void ChownTree(const std::filesystem::path& root, unsigned uid);

bool RunningAsRoot();

} // namespace fegolin::test
