#pragma once

// The parts DesktopSession is built from: starting programs in process
// groups of their own, and a connection to the X server that answers the
// questions the tests ask about windows. Not for tests to use directly.

#include "tests/support/DesktopSession.h"

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <sys/types.h>

struct _XDisplay;

namespace fegolin::test {

struct DesktopProcess::State {
  std::string name;
  pid_t pid = -1;
  std::filesystem::path log;
  bool reaped = false;
  int status = 0;
  // The group has had its SIGKILL; never signal it again, as its number
  // may belong to someone else by now.
  bool groupKilled = false;
};

namespace detail {

struct SpawnRequest {
  std::string program;
  std::vector<std::string> args;
  Environment environment;
  // stdout and stderr go here.
  std::filesystem::path log;
  // When >= 0, handed to the program as its descriptor 3.
  int passAsFd3 = -1;
};

// Throws std::runtime_error when the program cannot be started.
std::shared_ptr<DesktopProcess::State> Spawn(const SpawnRequest& request);
// Reaps the process if it has ended; true when it has.
bool Reap(DesktopProcess::State& state);
bool WaitForEnd(DesktopProcess::State& state, std::chrono::milliseconds timeout);
// SIGKILL to the process group (once), then reaps the process.
void KillGroup(DesktopProcess::State& state);
// SIGTERM, up to `grace` for the end, then KillGroup.
void Stop(DesktopProcess::State& state, std::chrono::milliseconds grace);
// The whole file, empty when it cannot be read.
std::string ReadFile(const std::filesystem::path& file);

// One Xlib connection. Errors about windows that went away in the meantime
// are ignored: every query then answers "nothing".
class XConnection {
public:
  explicit XConnection(const std::string& display);
  ~XConnection();
  XConnection(const XConnection&) = delete;
  XConnection& operator=(const XConnection&) = delete;

  [[nodiscard]] WindowId root() const;
  [[nodiscard]] bool selectionOwned(const char* selection) const;
  // The window and everything below it, parents before children.
  [[nodiscard]] std::vector<WindowId> subtree(WindowId top) const;
  [[nodiscard]] std::vector<WindowId> children(WindowId parent) const;
  [[nodiscard]] bool hasProperty(WindowId window, const char* name) const;
  [[nodiscard]] std::string title(WindowId window) const;
  [[nodiscard]] pid_t pid(WindowId window) const;
  // WM_CLASS: instance and class name.
  [[nodiscard]] std::pair<std::string, std::string> windowClass(WindowId window) const;
  [[nodiscard]] bool viewable(WindowId window) const;
  [[nodiscard]] std::optional<ScreenRect> geometry(WindowId window) const;
  void activate(WindowId window) const;
  void close(WindowId window) const;
  [[nodiscard]] std::uint32_t pixel(int x, int y) const;
  // Where the pointer is, in root coordinates.
  [[nodiscard]] std::pair<int, int> pointer() const;

private:
  _XDisplay* display_;
};

} // namespace detail
} // namespace fegolin::test
