#pragma once

// Opening the hive database: creating the schema in a new file, checking an
// existing one, and moving a damaged file aside so the program can go on
// with a fresh hive without destroying what was there.

#include "platform/posix/SqliteDb.h"

#include <string>

namespace fegolin::platform::posix {

struct OpenedHive {
  SqliteHandle db;     // null when the hive cannot be used
  std::string problem; // why not, naming the location
};

// Opens or creates the hive at `location`, a file path or ":memory:".
OpenedHive OpenHiveDatabase(const std::string& location);

} // namespace fegolin::platform::posix
