#include "platform/SystemFolders.h"

#include <sys/stat.h>

#include <cstdlib>

namespace fegolin::platform {

SystemTempLocation GetSystemTempLocation() {
  return {"/", "tmp"};
}

std::string GetUserTempPath() {
  // $TMPDIR counts only when it is an absolute path to a folder: a relative
  // one would depend on whatever the current folder happens to be.
  const char* value = std::getenv("TMPDIR");
  struct stat st {};
  if (value != nullptr && value[0] == '/' && ::stat(value, &st) == 0 && S_ISDIR(st.st_mode)) {
    return value;
  }
  return "/tmp";
}

std::optional<std::string> GetDisplayName(std::string_view path) {
  // POSIX has no separate display names: a component is shown by its own
  // name, provided it exists.
  const std::string text(path);
  struct stat st {};
  if (text.empty() || ::lstat(text.c_str(), &st) != 0) {
    return std::nullopt;
  }
  std::string_view name = path;
  while (name.size() > 1 && name.back() == '/') {
    name.remove_suffix(1);
  }
  const auto slash = name.rfind('/');
  if (slash != std::string_view::npos && name.size() > 1) {
    name.remove_prefix(slash + 1);
  }
  return std::string(name);
}

} // namespace fegolin::platform
