#pragma once

// Opening the hive database: creating the schema in a new file, checking an
// existing one, falling back to reading it where it cannot be written, and
// moving a damaged hive of ours aside so the program can go on with a fresh
// one without destroying what was there. A file that is not ours is never
// moved, replaced or written.

#include "platform/Registry.h"
#include "platform/posix/SqliteDb.h"

#include <string>

namespace fegolin::platform::posix {

struct OpenedHive {
  SqliteHandle db;            // null when the hive cannot be used
  std::string problem;        // why not, naming the location
  std::string storageProblem; // why changes will not be stored, if they will not
};

// Opens the hive at `location`, a file path or ":memory:", as `access`
// says (see RegAccess); only ReadWrite and BestEffort create a missing one.
OpenedHive OpenHiveDatabase(const std::string& location, RegAccess access);

} // namespace fegolin::platform::posix
