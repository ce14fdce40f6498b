#pragma once

// The polite end a desktop session or `kill` asks a running program for,
// turned into something an event loop can watch. POSIX: SIGTERM, SIGHUP and
// SIGINT. Windows ends a session with window messages, which the window
// system already delivers as a close; there is nothing more to catch.

#include "platform/Result.h"

namespace fegolin::platform {

// Catches the end requests from now on instead of letting them end the
// process. Gives a descriptor that becomes readable when a request has
// arrived (a socket, so an event loop's socket notifier can watch it), or
// -1 where the system has no such requests. Call once per process. On
// failure nothing is caught and the system's default stays: the process
// ends at once.
Result<int> WatchSessionEndRequests();

// Reads away the requests that arrived, so the descriptor stays quiet until
// the next one.
void DrainSessionEndRequests();

} // namespace fegolin::platform
