#include "platform/AutoStart.h"

// Windows starts what the Run value names; there is nothing beside it to
// keep in step.

namespace fegolin::platform {

bool RegisterAutoStart(std::string_view /*appTitle*/, std::string_view /*executablePath*/) {
  return true;
}

bool UnregisterAutoStart(std::string_view /*appTitle*/) { return true; }

} // namespace fegolin::platform
