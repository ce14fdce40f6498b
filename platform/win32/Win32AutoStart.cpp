#include "platform/AutoStart.h"

// Windows starts what the Run value names; there is nothing beside it to
// keep in step.

namespace fegolin::platform {

Status RegisterAutoStart(std::string_view /*appTitle*/, std::string_view /*executablePath*/) {
  return {};
}

Status UnregisterAutoStart(std::string_view /*appTitle*/) {
  return {};
}

} // namespace fegolin::platform
