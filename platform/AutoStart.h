#pragma once

// The desktop session's own list of programs to start at log-in, kept in
// step with the program's Run value. On Windows the Run value itself is
// that list, so there these do nothing and succeed.

#include "platform/Result.h"

#include <string_view>

namespace fegolin::platform {

// Registers `executablePath` (absolute, started without arguments) to start
// with the session under the name `appTitle`. Done when the registration is
// in place; else why it could not be written or the path is unusable.
Status RegisterAutoStart(std::string_view appTitle, std::string_view executablePath);

// Removes what RegisterAutoStart put in place for `appTitle`. Done when
// nothing of it is left (also when there was nothing to remove).
Status UnregisterAutoStart(std::string_view appTitle);

} // namespace fegolin::platform
