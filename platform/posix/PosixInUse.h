#pragma once

// Which files running processes use right now. Windows refuses to delete a
// file that is open, mapped or a current folder; POSIX does not, so the walk
// looks such files up here and leaves them alone the same way.

#include "platform/FileSystem.h"

#include <vector>

namespace fegolin::platform::posix {

class InUseSnapshot {
public:
  // One pass over /proc: for every process we may look at, its open files,
  // its mapped files and its current folder; plus every bound Unix socket.
  // Processes we may not inspect are skipped; without /proc the set is empty.
  static InUseSnapshot Take();

  [[nodiscard]] bool Contains(const FileIdentity& id) const;
  [[nodiscard]] bool empty() const { return ids_.empty(); }

private:
  std::vector<FileIdentity> ids_; // sorted, unique
};

} // namespace fegolin::platform::posix
