#include "platform/SessionSignals.h"

// Windows ends a session with window messages (WM_QUERYENDSESSION,
// WM_ENDSESSION), which reach the window as a close; there is no signal to
// catch beside them.

namespace fegolin::platform {

Result<int> WatchSessionEndRequests() {
  return -1;
}

void DrainSessionEndRequests() {}

} // namespace fegolin::platform
