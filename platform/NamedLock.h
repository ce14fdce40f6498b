#pragma once

// Named objects shared by all processes of the current user: a mutex whose
// only question is "did it exist already?", a counting semaphore, and the
// name of a local socket. The single-instance guard builds on them.
//
// Every object lives exactly as long as some process holds a handle to it.
// A process that dies, even by SIGKILL, gives up its handles, so a crashed
// instance never blocks the next start. (POSIX: flock on files in the first
// private folder of $XDG_RUNTIME_DIR, "fegolin-<uid>" in the temp folder
// and "fegolin" in the user's cache folder, where private means owned by
// the user and writable by nobody else, so another account can neither
// hold these objects nor stand in for them. Windows: CreateMutexA,
// CreateSemaphoreA, kernel handles.)

#include "platform/Result.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace fegolin::platform {

// A handle to a named mutex. Closing it (destruction) gives the handle back.
class NamedMutex {
public:
  virtual ~NamedMutex() = default;
  NamedMutex(const NamedMutex&) = delete;
  NamedMutex& operator=(const NamedMutex&) = delete;

  // True when the mutex existed before this handle was made, i.e. another
  // handle (another instance) held it (Windows: ERROR_ALREADY_EXISTS).
  // False: this handle created the mutex and owns it.
  [[nodiscard]] virtual bool AlreadyExisted() const = 0;

protected:
  NamedMutex() = default;
};

// Creates the mutex `name` with initial ownership, or opens it when it
// exists (CreateMutexA(nullptr, TRUE, name)). When neither works, why: a
// start that cannot tell whether it is the first one has to say so.
Result<std::unique_ptr<NamedMutex>> CreateNamedMutex(std::string_view name);

// A handle to a named counting semaphore whose count starts at its maximum:
// every unit is free until a process takes one with Wait. Closing the handle
// gives back the units it still holds.
class NamedSemaphore {
public:
  virtual ~NamedSemaphore() = default;
  NamedSemaphore(const NamedSemaphore&) = delete;
  NamedSemaphore& operator=(const NamedSemaphore&) = delete;

  // Takes one unit, waiting without limit while none is free
  // (WaitForSingleObject(INFINITE)). False on failure.
  virtual bool Wait() = 0;

  // Gives back the unit this handle took last (ReleaseSemaphore with 1).
  // `previousCount` receives the number of free units before the release.
  // False when this handle holds no unit or the release fails.
  virtual bool Release(std::int32_t& previousCount) = 0;

protected:
  NamedSemaphore() = default;
};

// Creates the semaphore `name` with `maximumCount` free units, or opens it
// when it exists (CreateSemaphoreA(nullptr, max, max, name), falling back
// to OpenSemaphoreA). Null when neither works or `maximumCount` < 1.
std::unique_ptr<NamedSemaphore> CreateNamedSemaphore(std::string_view name,
                                                     std::int32_t maximumCount);

// The name under which a local channel (platform/LocalChannel.h) called `name`
// is private to the current user: a full path in the same folder as the
// named objects on POSIX, a pipe name on Windows. Empty when that folder
// cannot be had, or when something other than a socket of the user's own
// is in the way.
std::string LocalServerName(std::string_view name);

} // namespace fegolin::platform
