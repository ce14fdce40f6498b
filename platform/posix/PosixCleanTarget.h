#pragma once

// Finds the folder a listed path names, the way the kernel would, but one
// component at a time, so that every link and folder on the way can be
// judged before it is trusted.

#include "platform/FileSystem.h"
#include "platform/posix/PosixFd.h"

#include <sys/stat.h>

#include <string_view>

namespace fegolin::platform::posix {

struct ResolvedTarget {
  UniqueFd fd; // the folder, opened for listing; invalid when refused
  struct stat st {};
  TargetCheck check;
};

// Resolves `directory` and decides whether it may be cleaned: an absolute
// path, not the root, not the home folder or any folder above it, owned by
// this account or root, and reached only through links and folders that no
// other account controls.
ResolvedTarget ResolveCleanTarget(std::string_view directory);

} // namespace fegolin::platform::posix
