#include "tests/support/DesktopSession.h"

#include "tests/support/DesktopDetail.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <exception>
#include <iostream>
#include <sstream>
#include <stdexcept>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

extern char** environ;

namespace fegolin::test {
namespace {

using detail::KillGroup;
using detail::ReadFile;
using detail::Reap;

constexpr auto kStartTimeout = 15s;
constexpr auto kToolTimeout = 20s;
constexpr const char* kTraySelection = "_NET_SYSTEM_TRAY_S0";
constexpr const char* kWaylandSocket = "wayland-fegolin";

// Variables of the desktop around the tests that would let a program in the
// session reach out of it.
constexpr const char* kForeignVariables[] = {
    "DBUS_SESSION_BUS_ADDRESS", "WAYLAND_DISPLAY", "XAUTHORITY",       "SESSION_MANAGER",
    "QT_QPA_PLATFORMTHEME",     "DESKTOP_SESSION", "XDG_SESSION_TYPE", "XDG_CURRENT_DESKTOP"};

// A pipe's descriptor, closed on every way out.
class Fd {
public:
  explicit Fd(int fd = -1) : fd_(fd) {}
  ~Fd() {
    if (fd_ >= 0) {
      ::close(fd_);
    }
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  [[nodiscard]] int get() const { return fd_; }
  void reset(int fd = -1) {
    if (fd_ >= 0) {
      ::close(fd_);
    }
    fd_ = fd;
  }

private:
  int fd_;
};

std::string Tail(const std::string& text, std::size_t length = 4000) {
  return text.size() <= length ? text : "..." + text.substr(text.size() - length);
}

std::vector<std::string> SplitWords(std::string_view text) {
  std::vector<std::string> words;
  std::istringstream in{std::string(text)};
  for (std::string word; in >> word;) {
    words.push_back(word);
  }
  return words;
}

// The name of the running test as a folder name, empty outside a test.
std::string CurrentTestName() {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  if (info == nullptr) {
    return {};
  }
  std::string name = std::string(info->test_suite_name()) + '.' + info->name();
  std::replace(name.begin(), name.end(), '/', '_');
  return name;
}

} // namespace

// A folder of its own in /tmp, mode 0700, removed again with everything in
// it; links are not followed.
class ShortFolder {
public:
  ShortFolder() {
    std::string name = "/tmp/fegolin-e2e-XXXXXX";
    if (::mkdtemp(name.data()) == nullptr) {
      throw std::runtime_error("cannot create a runtime folder in /tmp");
    }
    path_ = name;
  }
  ~ShortFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  ShortFolder(const ShortFolder&) = delete;
  ShortFolder& operator=(const ShortFolder&) = delete;
  [[nodiscard]] const std::filesystem::path& path() const { return path_; }

private:
  std::filesystem::path path_;
};

struct DesktopSession::Impl {
  explicit Impl(Options opts) : options(opts) {}

  Options options;
  TempTree tree;
  ShortFolder runtime;
  std::string display;
  std::string busAddress;
  std::shared_ptr<DesktopProcess::State> xserver;
  std::shared_ptr<DesktopProcess::State> bus;
  std::shared_ptr<DesktopProcess::State> compositor;
  std::shared_ptr<DesktopProcess::State> tray;
  std::vector<std::shared_ptr<DesktopProcess::State>> launched;
  std::unique_ptr<detail::XConnection> x;
  int logCount = 0;

  std::filesystem::path logFile(const std::string& program) {
    return tree.path("logs") / (std::to_string(++logCount) + '-' +
                                std::filesystem::path(program).filename().string() + ".log");
  }

  std::shared_ptr<DesktopProcess::State> spawn(const std::string& program,
                                               std::vector<std::string> args,
                                               Environment environment, int passAsFd3 = -1) {
    return detail::Spawn(
        {program, std::move(args), std::move(environment), logFile(program), passAsFd3});
  }

  // Runs a tool of the session to its end; throws when it fails.
  void run(const std::string& program, std::vector<std::string> args,
           const Environment& environment) {
    auto state = spawn(program, std::move(args), environment);
    const DesktopProcess process(state);
    if (!process.waitForExit(kToolTimeout)) {
      throw std::runtime_error(program + " did not finish:\n" + Tail(process.output()));
    }
    if (process.exitCode() != 0) {
      throw std::runtime_error(process.describe() + ":\n" + Tail(process.output()));
    }
  }

  // Starts a server that writes a line to its descriptor 3 once it takes
  // connections (Xvfb's display number, dbus-daemon's address), and returns
  // that line.
  std::string startWithReadyLine(std::shared_ptr<DesktopProcess::State>& server,
                                 const std::string& program, std::vector<std::string> args,
                                 const Environment& environment) {
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0) {
      throw std::runtime_error("cannot create a pipe for " + program);
    }
    Fd reader(ends[0]);
    // Moved above the descriptors a child gets by number, so that handing
    // it over as descriptor 3 always makes a copy without close-on-exec.
    Fd writer(::fcntl(ends[1], F_DUPFD_CLOEXEC, 10));
    ::close(ends[1]);
    if (writer.get() < 0) {
      throw std::runtime_error("cannot move the pipe for " + program);
    }
    server = spawn(program, std::move(args), environment, writer.get());
    writer.reset();

    std::string line;
    const auto deadline = std::chrono::steady_clock::now() + kStartTimeout;
    while (line.empty() || line.back() != '\n') {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          deadline - std::chrono::steady_clock::now());
      pollfd wait{reader.get(), POLLIN, 0};
      const int ready = ::poll(&wait, 1, static_cast<int>(std::max<long>(left.count(), 0)));
      if (ready < 0 && errno == EINTR) {
        continue;
      }
      char buffer[256];
      const ssize_t got = ready > 0 ? ::read(reader.get(), buffer, sizeof buffer) : 0;
      if (got <= 0) {
        throw std::runtime_error(program + " did not start:\n" + Tail(ReadFile(server->log)));
      }
      line.append(buffer, static_cast<std::size_t>(got));
    }
    line.pop_back();
    return line;
  }

  void startXServer(const Environment& environment) {
    const std::string screen = std::to_string(options.width) + 'x' +
                               std::to_string(options.height) + 'x' + std::to_string(options.depth);
    display = ':' + startWithReadyLine(xserver, "Xvfb",
                                       {"-displayfd", "3", "-screen", "0", screen, "-nolisten",
                                        "tcp", "-dpi", "96", "-noreset"},
                                       environment);
    x = std::make_unique<detail::XConnection>(display);
  }

  // A bus that knows no services to start on demand: nothing from the
  // machine joins it.
  void startBus(const Environment& environment) {
    const auto config = tree.file(
        "bus.conf",
        R"(<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:path=)" +
            (runtime.path() / "bus").string() + R"(</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
)");
    busAddress = startWithReadyLine(
        bus, "dbus-daemon",
        {"--config-file=" + config.string(), "--nofork", "--nopidfile", "--print-address=3"},
        environment);
  }

  void startCompositor(const Environment& environment) {
    const bool nested = options.wayland == Compositor::Nested;
    // The pixman renderer draws without a GPU; --debug lets
    // weston-screenshooter take its pictures.
    compositor = spawn(
        "weston",
        {nested ? "--backend=x11-backend.so" : "--backend=headless-backend.so", "--use-pixman",
         "--width=" + std::to_string(options.width), "--height=" + std::to_string(options.height),
         std::string("--socket=") + kWaylandSocket, "--idle-time=0", "--no-config", "--debug"},
        environment);
    const auto socket = runtime.path() / kWaylandSocket;
    if (!WaitUntil([&] { return std::filesystem::exists(socket) && !Reap(*compositor); },
                   kStartTimeout)) {
      throw std::runtime_error("weston did not start:\n" + Tail(ReadFile(compositor->log)));
    }
  }

  // trayer's panel window, when it shows.
  std::optional<WindowId> trayPanel() const {
    if (!tray) {
      return std::nullopt;
    }
    // Anywhere in the tree: under a window manager the panel sits in a frame.
    for (const WindowId window : x->subtree(x->root())) {
      if (x->pid(window) == tray->pid && x->windowClass(window).first == "panel" &&
          x->viewable(window)) {
        return window;
      }
    }
    return std::nullopt;
  }

  std::vector<ScreenRect> trayIcons() const {
    std::vector<ScreenRect> icons;
    const auto panel = trayPanel();
    if (!panel) {
      return icons;
    }
    // An embedded icon is a client window carrying the embedding protocol's
    // info; trayer's own windows do not have it.
    for (const WindowId window : x->subtree(*panel)) {
      if (window != *panel && x->hasProperty(window, "_XEMBED_INFO") && x->viewable(window)) {
        if (const auto rect = x->geometry(window)) {
          icons.push_back(*rect);
        }
      }
    }
    std::sort(icons.begin(), icons.end(), [](const ScreenRect& a, const ScreenRect& b) {
      return std::pair(a.x, a.y) < std::pair(b.x, b.y);
    });
    return icons;
  }

  // xdotool's move to (x, y) that returns once the pointer is there. With
  // the pointer already there no motion comes, and "--sync" would wait for
  // one until xdotool gives up: that move goes without it.
  [[nodiscard]] std::vector<std::string> moveTo(int toX, int toY) const {
    std::vector<std::string> args{"mousemove", "--sync", std::to_string(toX), std::to_string(toY)};
    if (x && x->pointer() == std::pair{toX, toY}) {
      args.erase(args.begin() + 1);
    }
    return args;
  }

  void xdotool(std::vector<std::string> args, const Environment& environment) {
    run("xdotool", std::move(args), environment);
  }

  // On a failed test: the screen and the programs' output go where they
  // survive the session, and the output goes to the log as well.
  void keepEvidence(const Environment& environment) {
    const std::string test = CurrentTestName();
    const char* scratch = std::getenv("FEGOLIN_TEST_SCRATCH");
    // An exception on its way to GoogleTest is a failure it has not yet
    // counted.
    const bool failed = ::testing::Test::HasFailure() || std::uncaught_exceptions() > 0;
    if (test.empty() || scratch == nullptr || !failed) {
      return;
    }
    const auto folder = std::filesystem::path(scratch) / "failures" / test;
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (x) {
      try {
        run("import", {"-display", display, "-window", "root", (folder / "screen.png").string()},
            environment);
      } catch (const std::exception& error) {
        std::cerr << "desktop session: no screenshot: " << error.what() << '\n';
      }
    }
    std::filesystem::copy(tree.path("logs"), folder,
                          std::filesystem::copy_options::recursive |
                              std::filesystem::copy_options::overwrite_existing,
                          ec);
    for (const auto& state : launched) {
      std::cerr << "--- output of " << state->name << " (pid " << state->pid << ") ---\n"
                << Tail(ReadFile(state->log)) << '\n';
    }
    std::cerr << "desktop session: screenshot and program output kept in " << folder.string()
              << '\n';
  }
};

DesktopSession::DesktopSession() : DesktopSession(Options{}) {}

DesktopSession::DesktopSession(Options options) : impl_(std::make_unique<Impl>(options)) {
  impl_->tree.dir("logs");
  impl_->tree.dir("config");
  impl_->tree.dir("home");
  impl_->tree.dir("tmp");
  try {
    impl_->startXServer(environment());
    if (options.sessionBus) {
      impl_->startBus(environment());
    }
    if (options.wayland != Compositor::None) {
      impl_->startCompositor(environment());
    }
    if (options.tray) {
      startTray();
    }
  } catch (...) {
    // The destructor does not run for a half-made object.
    for (const auto& server : {impl_->tray, impl_->compositor, impl_->bus}) {
      if (server) {
        KillGroup(*server);
      }
    }
    if (impl_->xserver) {
      impl_->x.reset();
      detail::Stop(*impl_->xserver, 5s);
    }
    throw;
  }
}

DesktopSession::~DesktopSession() {
  try {
    impl_->keepEvidence(environment());
  } catch (const std::exception& error) {
    std::cerr << "desktop session: cannot keep the evidence of the failure: " << error.what()
              << '\n';
  }
  for (const auto& state : impl_->launched) {
    KillGroup(*state);
  }
  if (impl_->tray) {
    KillGroup(*impl_->tray);
  }
  if (impl_->compositor) {
    detail::Stop(*impl_->compositor, 5s);
  }
  if (impl_->bus) {
    KillGroup(*impl_->bus);
  }
  impl_->x.reset();
  // A polite end lets Xvfb remove its lock file and socket.
  detail::Stop(*impl_->xserver, 5s);
}

const std::string& DesktopSession::display() const {
  return impl_->display;
}

int DesktopSession::width() const {
  return impl_->options.width;
}

int DesktopSession::height() const {
  return impl_->options.height;
}

const TempTree& DesktopSession::tree() const {
  return impl_->tree;
}

std::filesystem::path DesktopSession::registryPath() const {
  return impl_->tree.path("registry.db");
}

std::filesystem::path DesktopSession::configHome() const {
  return impl_->tree.path("config");
}

std::filesystem::path DesktopSession::runtimeDir() const {
  return impl_->runtime.path();
}

const std::string& DesktopSession::busAddress() const {
  return impl_->busAddress;
}

Environment DesktopSession::environment() const {
  Environment result;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string_view text(*entry);
    if (const auto equals = text.find('='); equals != std::string_view::npos) {
      result.emplace(text.substr(0, equals), text.substr(equals + 1));
    }
  }
  for (const char* name : kForeignVariables) {
    result.erase(name);
  }
  result.erase("DISPLAY");
  if (!impl_->display.empty()) {
    result["DISPLAY"] = impl_->display;
  }
  result["QT_QPA_PLATFORM"] = "xcb";
  result["FEGOLIN_REGISTRY"] = registryPath().string();
  result["XDG_CONFIG_HOME"] = configHome().string();
  result["XDG_RUNTIME_DIR"] = runtimeDir().string();
  result["TMPDIR"] = impl_->tree.path("tmp").string();
  result["HOME"] = impl_->tree.path("home").string();
  if (!impl_->busAddress.empty()) {
    result["DBUS_SESSION_BUS_ADDRESS"] = impl_->busAddress;
  }
  if (impl_->compositor) {
    result["WAYLAND_DISPLAY"] = kWaylandSocket;
  }
  // GTK's accessibility bridge would look for a session bus.
  result["NO_AT_BRIDGE"] = "1";
  return result;
}

Environment DesktopSession::waylandClient() const {
  if (!impl_->compositor) {
    throw std::logic_error("the session has no Wayland compositor");
  }
  return {{"QT_QPA_PLATFORM", "wayland"}, {"DISPLAY", ""}};
}

void DesktopSession::waylandScreenshot(const std::filesystem::path& file) const {
  if (!impl_->compositor) {
    throw std::logic_error("the session has no Wayland compositor");
  }
  // weston-screenshooter writes into the folder it runs in, under a name
  // of its own.
  static int count = 0;
  const auto folder = impl_->tree.dir("screenshots/" + std::to_string(++count));
  impl_->run("sh", {"-c", "cd \"$1\" && exec weston-screenshooter", "sh", folder.string()},
             environment());
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (entry.path().extension() == ".png") {
      std::filesystem::copy_file(entry.path(), file,
                                 std::filesystem::copy_options::overwrite_existing);
      return;
    }
  }
  throw std::runtime_error("weston-screenshooter left no picture");
}

DesktopProcess DesktopSession::launch(const std::string& program,
                                      const std::vector<std::string>& args,
                                      const Environment& overrides) {
  Environment environment = this->environment();
  for (const auto& [name, value] : overrides) {
    if (value.empty()) {
      environment.erase(name);
    } else {
      environment[name] = value;
    }
  }
  auto state = impl_->spawn(program, args, std::move(environment));
  impl_->launched.push_back(state);
  return DesktopProcess(std::move(state));
}

// --- The notification area ----------------------------------------------------

void DesktopSession::stopTray() {
  if (!impl_->tray) {
    return;
  }
  KillGroup(*impl_->tray);
  impl_->tray.reset();
  if (!WaitUntil([&] { return !trayOwned(); }, kStartTimeout)) {
    throw std::runtime_error("the tray selection is still owned after trayer ended");
  }
}

void DesktopSession::startTray() {
  if (impl_->tray) {
    return;
  }
  // Now and then, with openbox only just started, trayer's panel is never
  // mapped (seen about once in fifteen runs under load); a second trayer
  // gets its panel shown. Twice is enough: a real fault fails both times.
  for (int attempt = 1;; ++attempt) {
    impl_->tray =
        impl_->spawn("trayer",
                     {"--edge", "top", "--align", "right", "--SetDockType", "true", "--transparent",
                      "false", "--tint", "0x202020", "--widthtype", "request", "--height", "24"},
                     environment());
    if (WaitUntil([&] { return trayOwned() && impl_->trayPanel(); },
                  attempt == 1 ? 5s : kStartTimeout)) {
      return;
    }
    if (attempt == 2) {
      throw std::runtime_error("trayer did not take the notification area:\n" +
                               Tail(ReadFile(impl_->tray->log)));
    }
    stopTray();
  }
}

bool DesktopSession::trayOwned() const {
  return impl_->x->selectionOwned(kTraySelection);
}

std::vector<ScreenRect> DesktopSession::trayIcons() const {
  return impl_->trayIcons();
}

int DesktopSession::trayIconCount() const {
  return static_cast<int>(impl_->trayIcons().size());
}

std::optional<ScreenRect> DesktopSession::trayIconGeometry(int index) const {
  const auto icons = impl_->trayIcons();
  if (index < 0 || index >= static_cast<int>(icons.size())) {
    return std::nullopt;
  }
  return icons[static_cast<std::size_t>(index)];
}

// --- Windows ------------------------------------------------------------------

std::vector<WindowId> DesktopSession::findWindows(std::string_view title) const {
  // The whole tree, so that windows a window manager has put into frames
  // are found too; but not inside the notification area, where icons carry
  // their program's title.
  const auto panel = impl_->trayPanel();
  std::vector<WindowId> found;
  std::vector<WindowId> pending{impl_->x->root()};
  while (!pending.empty()) {
    const WindowId window = pending.back();
    pending.pop_back();
    if (panel && window == *panel) {
      continue;
    }
    if (impl_->x->title(window) == title) {
      found.push_back(window);
    }
    const auto below = impl_->x->children(window);
    pending.insert(pending.end(), below.rbegin(), below.rend());
  }
  return found;
}

std::optional<WindowId> DesktopSession::waitForWindow(std::string_view title,
                                                      std::chrono::milliseconds timeout) const {
  std::optional<WindowId> found;
  WaitUntil(
      [&] {
        for (const WindowId window : findWindows(title)) {
          if (isViewable(window)) {
            found = window;
            return true;
          }
        }
        return false;
      },
      timeout);
  return found;
}

bool DesktopSession::isViewable(WindowId window) const {
  return impl_->x->viewable(window);
}

std::optional<ScreenRect> DesktopSession::windowGeometry(WindowId window) const {
  return impl_->x->geometry(window);
}

std::string DesktopSession::windowTitle(WindowId window) const {
  return impl_->x->title(window);
}

pid_t DesktopSession::windowPid(WindowId window) const {
  return impl_->x->pid(window);
}

void DesktopSession::activate(WindowId window) const {
  impl_->x->activate(window);
}

void DesktopSession::closeWindow(WindowId window) const {
  impl_->x->close(window);
}

// --- Input ----------------------------------------------------------------------

void DesktopSession::moveMouse(int x, int y) const {
  impl_->xdotool(impl_->moveTo(x, y), environment());
}

void DesktopSession::click(int x, int y, int button) const {
  auto args = impl_->moveTo(x, y);
  args.insert(args.end(), {"click", std::to_string(button)});
  impl_->xdotool(std::move(args), environment());
}

void DesktopSession::doubleClick(int x, int y, int button) const {
  auto args = impl_->moveTo(x, y);
  args.insert(args.end(), {"click", "--repeat", "2", "--delay", "80", std::to_string(button)});
  impl_->xdotool(std::move(args), environment());
}

void DesktopSession::drag(int fromX, int fromY, int toX, int toY, int button) const {
  // Through a point on the way, so that the program sees a move before the
  // end point and starts its drag.
  const std::string b = std::to_string(button);
  auto args = impl_->moveTo(fromX, fromY);
  args.insert(args.end(), {"mousedown", b, "mousemove", "--sync", std::to_string((fromX + toX) / 2),
                           std::to_string((fromY + toY) / 2), "mousemove", "--sync",
                           std::to_string(toX), std::to_string(toY), "mouseup", b});
  impl_->xdotool(std::move(args), environment());
}

void DesktopSession::key(std::string_view combinations) const {
  std::vector<std::string> args{"key", "--delay", "30", "--"};
  for (auto& word : SplitWords(combinations)) {
    args.push_back(std::move(word));
  }
  impl_->xdotool(std::move(args), environment());
}

void DesktopSession::type(std::string_view text) const {
  impl_->xdotool({"type", "--delay", "30", "--", std::string(text)}, environment());
}

// --- Pictures ---------------------------------------------------------------------

bool DesktopSession::onScreen(const ScreenRect& rect) const {
  return rect.x >= 0 && rect.y >= 0 && rect.width > 0 && rect.height > 0 &&
         rect.x + rect.width <= width() && rect.y + rect.height <= height();
}

std::uint32_t DesktopSession::pixel(int x, int y) const {
  if (!onScreen({x, y, 1, 1})) {
    throw std::out_of_range("no pixel at " + std::to_string(x) + "," + std::to_string(y) +
                            " on the screen");
  }
  return impl_->x->pixel(x, y);
}

void DesktopSession::screenshot(const std::filesystem::path& file) const {
  impl_->run("import", {"-display", impl_->display, "-window", "root", file.string()},
             environment());
}

} // namespace fegolin::test
