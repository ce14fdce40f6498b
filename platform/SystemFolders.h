#pragma once

// The system folders the default folder list is built from, and the names
// the system shows for folders.

#include <optional>
#include <string>
#include <string_view>

namespace fegolin::platform {

// Where the system's own temporary folder lives: a base folder (the Windows
// directory on Windows, "/" on POSIX) and the name of the temporary folder
// inside it ("Temp" on Windows, "tmp" on POSIX).
struct SystemTempLocation {
  std::string baseDirectory;
  std::string folderName;
};

SystemTempLocation GetSystemTempLocation();

// The user's temporary folder as the system reports it; empty when the
// system reports none.
std::string GetUserTempPath();

// The name the system shows for the last component of `path`; nothing when
// the entry does not exist or cannot be queried.
std::optional<std::string> GetDisplayName(std::string_view path);

} // namespace fegolin::platform
