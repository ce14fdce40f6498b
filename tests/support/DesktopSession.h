#pragma once

// DesktopSession: a private X desktop for the end-to-end tests.
//
// It starts Xvfb on a free display, trayer as the notification area (a
// panel at the top right of the screen), and the programs a test launches
// into it. On request it adds a private D-Bus session bus (dbus-daemon),
// and a Wayland compositor (weston) either headless or nested in the X
// display, where its output and input go through one X window. The programs share the session's own
// registry hive, configuration, runtime and temp folders, so a second instance finds the first.
// Everything it started ends with it. A test that fails leaves a screenshot and the programs'
// output in $FEGOLIN_TEST_SCRATCH/failures/<suite>.<test>/ and prints the output.
//
// In a test registered with fegolin_add_e2e_test(... PROGRAMS fegolin)
// (cmake/FegolinE2E.cmake):
//
//   DesktopSession session;
//   auto app = session.launch(FEGOLIN_PROGRAM_FEGOLIN);
//   ASSERT_TRUE(WaitUntil([&] { return session.trayIconCount() == 1; }));
//   const auto icon = session.trayIconGeometry(0);
//   session.click(icon->centerX(), icon->centerY());
//   const auto window = session.waitForWindow("Fegolin");
//   ASSERT_TRUE(window);
//   session.closeWindow(*window);      // the close box, as a window manager sends it
//   EXPECT_TRUE(WaitUntil([&] { return !session.isViewable(*window); }));
//   app.terminate();                   // SIGTERM, as at the end of a desktop session
//   ASSERT_TRUE(app.waitForExit());
//
// Setting up throws std::runtime_error with the reason (and the output of
// the program that failed), which GoogleTest reports as a failure.

#include "tests/support/TempTree.h"

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include <sys/types.h>

namespace fegolin::test {

using namespace std::chrono_literals;

// Polls `condition` until it holds or `timeout` has passed; true when it
// held. The way to wait for something another process does.
template <class Condition>
bool WaitUntil(Condition condition, std::chrono::milliseconds timeout = 10s,
               std::chrono::milliseconds poll = 20ms) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!condition()) {
    if (std::chrono::steady_clock::now() >= deadline) {
      return false;
    }
    std::this_thread::sleep_for(poll);
  }
  return true;
}

// An X window.
using WindowId = unsigned long;

// A rectangle in screen (root window) coordinates.
struct ScreenRect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  [[nodiscard]] int centerX() const { return x + width / 2; }
  [[nodiscard]] int centerY() const { return y + height / 2; }
  friend bool operator==(const ScreenRect&, const ScreenRect&) = default;
};

// Variable name -> value.
using Environment = std::map<std::string, std::string>;

// A program started in a session, in a process group of its own. The
// process (with everything it started) is killed when the last handle goes
// away or the session ends, whichever comes first. Movable, not copyable.
class DesktopProcess {
public:
  struct State;
  explicit DesktopProcess(std::shared_ptr<State> state);
  ~DesktopProcess();
  DesktopProcess(DesktopProcess&&) noexcept;
  DesktopProcess& operator=(DesktopProcess&&) noexcept;
  DesktopProcess(const DesktopProcess&) = delete;
  DesktopProcess& operator=(const DesktopProcess&) = delete;

  [[nodiscard]] pid_t pid() const;
  [[nodiscard]] bool running() const;
  // True once the process has ended (it is then reaped).
  bool waitForExit(std::chrono::milliseconds timeout = 10s) const;
  // After the end: the exit code of a normal exit, else empty.
  [[nodiscard]] std::optional<int> exitCode() const;
  // After the end: the signal that killed it, else 0.
  [[nodiscard]] int termSignal() const;
  // "running", "exit code 3", "killed by signal 9": for messages.
  [[nodiscard]] std::string describe() const;

  // SIGTERM to the process: the polite request a desktop session makes.
  void terminate() const;
  // SIGKILL to the whole process group, then waits for the end.
  void kill() const;

  // What the process wrote to stdout and stderr so far (one file).
  [[nodiscard]] std::string output() const;
  // Waits until the output contains `text`.
  bool waitForOutput(std::string_view text, std::chrono::milliseconds timeout = 10s) const;

private:
  std::shared_ptr<State> state_;
};

class DesktopSession {
public:
  enum class Compositor {
    None,
    // weston --backend=headless-backend.so: no X at all, and no input.
    Headless,
    // weston --backend=x11-backend.so in a window of the X display: what is
    // typed and clicked there reaches the Wayland clients.
    Nested,
  };

  struct Options {
    int width = 1024;
    int height = 768;
    int depth = 24;
    // Start trayer at once; without it, startTray() brings it up later.
    bool tray = true;
    // A session bus of the session's own, its address in the environment.
    bool sessionBus = false;
    Compositor wayland = Compositor::None;
  };

  DesktopSession();
  explicit DesktopSession(Options options);
  ~DesktopSession();
  DesktopSession(const DesktopSession&) = delete;
  DesktopSession& operator=(const DesktopSession&) = delete;

  // ":N".
  [[nodiscard]] const std::string& display() const;
  [[nodiscard]] int width() const;
  [[nodiscard]] int height() const;

  // The session's own folders, below one TempTree: the registry hive file
  // (not created), XDG_CONFIG_HOME, TMPDIR and HOME. XDG_RUNTIME_DIR (0700)
  // is a folder of its own in /tmp, removed with the session: the sockets
  // in it (the single instance's, the bus, the Wayland display) must fit the
  // 108 bytes of a socket address, which a build folder's path may not.
  [[nodiscard]] const TempTree& tree() const;
  [[nodiscard]] std::filesystem::path registryPath() const;
  [[nodiscard]] std::filesystem::path configHome() const;
  [[nodiscard]] std::filesystem::path runtimeDir() const;

  // The environment programs in the session get: this process's, with
  // DISPLAY, QT_QPA_PLATFORM=xcb, FEGOLIN_REGISTRY and the folders above,
  // and the session's own bus and Wayland display when it has them;
  // without the D-Bus, Wayland and X authority variables of the surrounding
  // desktop, so nothing can reach outside the session.
  [[nodiscard]] Environment environment() const;

  // The private bus's address; empty without one.
  [[nodiscard]] const std::string& busAddress() const;

  // The overrides for launch() that make a Qt program a native client of
  // the session's Wayland compositor, with no X display to fall back on.
  [[nodiscard]] Environment waylandClient() const;
  // The compositor's own picture of its output (weston-screenshooter).
  void waylandScreenshot(const std::filesystem::path& file) const;

  // Starts `program` (a path, or a name looked up in PATH) with `args` in
  // the environment above; `overrides` replaces or adds variables (an empty
  // value removes one). Throws when the program cannot be started.
  DesktopProcess launch(const std::string& program, const std::vector<std::string>& args = {},
                        const Environment& overrides = {});

  // --- The notification area ----------------------------------------------
  // Kills trayer (as a crash would) and waits until the tray selection is
  // free again.
  void stopTray();
  // Starts trayer and waits until it owns the tray selection and shows.
  void startTray();
  // Whether someone owns _NET_SYSTEM_TRAY_S0.
  [[nodiscard]] bool trayOwned() const;
  // The icons showing in trayer now: its embedded client windows that are
  // mapped, ordered left to right.
  [[nodiscard]] std::vector<ScreenRect> trayIcons() const;
  [[nodiscard]] int trayIconCount() const;
  [[nodiscard]] std::optional<ScreenRect> trayIconGeometry(int index) const;

  // --- Windows -----------------------------------------------------------
  // Every window whose title (_NET_WM_NAME, else WM_NAME) is exactly
  // `title`, hidden ones included, wherever it sits (a window manager puts
  // windows into frames of its own), except inside trayer: a tray icon
  // carrying its program's title is not that program's window.
  [[nodiscard]] std::vector<WindowId> findWindows(std::string_view title) const;
  // Waits for a window of that title that is viewable.
  std::optional<WindowId> waitForWindow(std::string_view title,
                                        std::chrono::milliseconds timeout = 10s) const;
  [[nodiscard]] bool isViewable(WindowId window) const;
  // Empty when the window does not exist (any more).
  [[nodiscard]] std::optional<ScreenRect> windowGeometry(WindowId window) const;
  [[nodiscard]] std::string windowTitle(WindowId window) const;
  // _NET_WM_PID; 0 when not set.
  [[nodiscard]] pid_t windowPid(WindowId window) const;
  // Raises the window and gives it the keyboard focus.
  void activate(WindowId window) const;
  // Asks the window to close the way a window manager does when the user
  // clicks its close box (WM_DELETE_WINDOW).
  void closeWindow(WindowId window) const;

  // --- Input (xdotool, through the XTEST extension) ------------------------
  // Buttons: 1 left, 2 middle, 3 right.
  void moveMouse(int x, int y) const;
  void click(int x, int y, int button = 1) const;
  void doubleClick(int x, int y, int button = 1) const;
  void drag(int fromX, int fromY, int toX, int toY, int button = 1) const;
  // One or more key combinations separated by spaces, e.g. "ctrl+a Delete",
  // to the window that has the focus.
  void key(std::string_view combinations) const;
  void type(std::string_view text) const;

  // --- Pictures -------------------------------------------------------------
  // Whether the rectangle lies wholly on the screen.
  [[nodiscard]] bool onScreen(const ScreenRect& rect) const;
  // The colour at a screen position as 0xRRGGBB. Throws for a position
  // outside the screen.
  [[nodiscard]] std::uint32_t pixel(int x, int y) const;
  // The whole screen as a PNG file (ImageMagick's import).
  void screenshot(const std::filesystem::path& file) const;

private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

} // namespace fegolin::test
