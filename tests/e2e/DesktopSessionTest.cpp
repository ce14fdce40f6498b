// The desktop session the end-to-end tests stand on: it must come up with a
// notification area, give its programs an environment of their own, deliver
// input to the window under the pointer, and leave nothing running behind.

#include "tests/support/DesktopDetail.h"
#include "tests/support/DesktopSession.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>

#include <sys/stat.h>

namespace fegolin::test {
namespace {

struct PngSize {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
};

std::uint32_t BigEndian32(const std::string& bytes, std::size_t at) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < 4; ++i) {
    value = (value << 8) | static_cast<unsigned char>(bytes.at(at + i));
  }
  return value;
}

// The size in the header of a complete PNG file: signature, IHDR first and
// IEND last, so that a cut-off file does not pass.
std::optional<PngSize> ReadPngSize(const std::filesystem::path& file) {
  const std::string bytes = detail::ReadFile(file);
  const std::string signature("\x89PNG\r\n\x1a\n", 8);
  const std::string end("\0\0\0\0IEND\xae\x42\x60\x82", 12);
  if (bytes.size() < 8 + 25 + 12 || bytes.compare(0, 8, signature) != 0 ||
      bytes.compare(12, 4, "IHDR") != 0 ||
      bytes.compare(bytes.size() - end.size(), end.size(), end) != 0) {
    return std::nullopt;
  }
  return PngSize{BigEndian32(bytes, 16), BigEndian32(bytes, 20)};
}

Environment ParseEnv(const std::string& output) {
  Environment result;
  std::istringstream in(output);
  for (std::string line; std::getline(in, line);) {
    if (const auto equals = line.find('='); equals != std::string::npos) {
      result[line.substr(0, equals)] = line.substr(equals + 1);
    }
  }
  return result;
}

bool Below(const std::filesystem::path& path, const std::filesystem::path& folder) {
  const auto relative = path.lexically_relative(folder);
  return !relative.empty() && *relative.begin() != "..";
}

// Gone, or a zombie nobody has collected yet: either way no longer running.
bool Ended(pid_t pid) {
  if (::kill(pid, 0) != 0) {
    return errno == ESRCH;
  }
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string field;
  for (int i = 0; i < 3 && stat >> field; ++i) {
  }
  return field == "Z";
}

// Waits until the program's output matches `pattern`.
::testing::AssertionResult Shows(const DesktopProcess& process, const std::string& pattern) {
  const std::regex expression(pattern);
  if (WaitUntil([&] {
        const std::string output = process.output();
        return std::regex_search(output, expression);
      })) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure() << "no match for " << pattern << " in:\n"
                                       << process.output();
}

TEST(DesktopSessionTest, StartsWithAnOwnedTrayAndTakesAScreenshot) {
  DesktopSession session;
  EXPECT_EQ(session.display().front(), ':');
  EXPECT_TRUE(session.trayOwned());
  EXPECT_EQ(session.trayIconCount(), 0);

  const auto file = session.tree().path("screen.png");
  session.screenshot(file);
  const auto size = ReadPngSize(file);
  ASSERT_TRUE(size) << "not a complete PNG file: " << file;
  EXPECT_EQ(size->width, 1024u);
  EXPECT_EQ(size->height, 768u);
}

TEST(DesktopSessionTest, StopsAndRestartsTheTray) {
  DesktopSession session;
  session.stopTray();
  EXPECT_FALSE(session.trayOwned());
  session.startTray();
  EXPECT_TRUE(session.trayOwned());
}

TEST(DesktopSessionTest, ProgramsGetTheSessionsOwnEnvironment) {
  DesktopSession session;
  const auto process = session.launch("env", {}, {{"FEGOLIN_E2E_EXTRA", "1"}, {"LANG", ""}});
  ASSERT_TRUE(process.waitForExit());
  ASSERT_EQ(process.exitCode(), 0) << process.describe();
  const Environment env = ParseEnv(process.output());

  EXPECT_EQ(env.at("DISPLAY"), session.display());
  EXPECT_EQ(env.at("QT_QPA_PLATFORM"), "xcb");
  EXPECT_EQ(env.at("FEGOLIN_REGISTRY"), session.registryPath().string());
  EXPECT_EQ(env.at("XDG_CONFIG_HOME"), session.configHome().string());
  EXPECT_EQ(env.at("XDG_RUNTIME_DIR"), session.runtimeDir().string());
  for (const char* name : {"FEGOLIN_REGISTRY", "XDG_CONFIG_HOME", "TMPDIR", "HOME"}) {
    EXPECT_TRUE(Below(env.at(name), session.tree().root())) << name << "=" << env.at(name);
  }
  // Room for a socket's name in it within the 108 bytes of its address.
  EXPECT_LT(session.runtimeDir().string().size(), 40u);
  struct stat runtime {};
  ASSERT_EQ(::stat(session.runtimeDir().c_str(), &runtime), 0);
  EXPECT_EQ(runtime.st_mode & 0777, 0700u);
  EXPECT_EQ(env.count("DBUS_SESSION_BUS_ADDRESS"), 0u);
  EXPECT_EQ(env.at("FEGOLIN_E2E_EXTRA"), "1");
  EXPECT_EQ(env.count("LANG"), 0u);
}

TEST(DesktopSessionTest, ProcessesReportHowTheyEnded) {
  DesktopSession session;
  const auto exits = session.launch("sh", {"-c", "echo bye; exit 3"});
  ASSERT_TRUE(exits.waitForExit());
  EXPECT_EQ(exits.exitCode(), 3);
  EXPECT_EQ(exits.termSignal(), 0);
  EXPECT_EQ(exits.output(), "bye\n");

  const auto killed = session.launch("sleep", {"600"});
  EXPECT_TRUE(killed.running());
  killed.kill();
  EXPECT_FALSE(killed.running());
  EXPECT_EQ(killed.exitCode(), std::nullopt);
  EXPECT_EQ(killed.termSignal(), SIGKILL);
  EXPECT_EQ(killed.describe(), "sleep was killed by signal 9");
}

TEST(DesktopSessionTest, EndsEverythingItStarted) {
  pid_t child = 0;
  pid_t grandchild = 0;
  std::string socket;
  {
    // The handle outlives the session: the session ends the process.
    std::optional<DesktopProcess> process;
    DesktopSession session;
    socket = "/tmp/.X11-unix/X" + session.display().substr(1);
    process.emplace(session.launch("sh", {"-c", "sleep 600 & echo $!; wait"}));
    ASSERT_TRUE(WaitUntil([&] { return process->output().find('\n') != std::string::npos; }));
    child = process->pid();
    grandchild = std::stoi(process->output());
    EXPECT_TRUE(std::filesystem::exists(socket));
  }
  EXPECT_TRUE(WaitUntil([&] { return Ended(child) && Ended(grandchild); }, 5s));
  // Xvfb was asked to end, not killed: it removed its socket.
  EXPECT_FALSE(std::filesystem::exists(socket));
}

TEST(DesktopSessionTest, InputReachesTheWindowUnderThePointer) {
  DesktopSession session;
  // xev reports every event of its window on stdout.
  auto xev = session.launch("xev", {"-geometry", "200x150+100+100"});
  const auto window = session.waitForWindow("Event Tester");
  ASSERT_TRUE(window) << xev.output();
  const auto rect = session.windowGeometry(*window);
  ASSERT_TRUE(rect);
  // The inside of the window, within its border.
  EXPECT_EQ(rect->width, 200);
  EXPECT_EQ(rect->height, 150);
  EXPECT_GE(rect->x, 100);
  EXPECT_LE(rect->x, 110);
  EXPECT_EQ(rect->y - 100, rect->x - 100);
  EXPECT_TRUE(session.isViewable(*window));
  EXPECT_EQ(session.findWindows("Event Tester"), std::vector<WindowId>{*window});
  const auto at = [&](int x, int y) {
    return "\\(" + std::to_string(x) + "," + std::to_string(y) + "\\), root:\\(" +
           std::to_string(rect->x + x) + "," + std::to_string(rect->y + y) + "\\),";
  };

  session.click(rect->x + 50, rect->y + 60, 3);
  EXPECT_TRUE(Shows(xev, "ButtonPress event.*\n.*" + at(50, 60) + "\n +state 0x0, button 3,"));

  session.key("ctrl+b");
  EXPECT_TRUE(Shows(xev, R"(KeyPress event.*\n.*\n +state 0x4, keycode \d+ \(keysym 0x62, b\))"));
  session.type("Q");
  EXPECT_TRUE(Shows(xev, R"(KeyPress event.*\n.*\n +state 0x1, keycode \d+ \(keysym 0x51, Q\))"));

  session.drag(rect->x + 10, rect->y + 10, rect->x + 190, rect->y + 140);
  EXPECT_TRUE(Shows(xev, "ButtonPress event.*\n.*" + at(10, 10) + "\n +state 0x0, button 1,"));
  EXPECT_TRUE(Shows(xev, "MotionNotify event.*\n.*" + at(100, 75) + "\n +state 0x100,"));
  EXPECT_TRUE(
      Shows(xev, "ButtonRelease event.*\n.*" + at(190, 140) + "\n +state 0x100, button 1,"));

  // xev only reports the request; a program would close its window.
  session.closeWindow(*window);
  EXPECT_TRUE(Shows(xev, R"(ClientMessage event.*\n.*\(WM_PROTOCOLS\).*\(WM_DELETE_WINDOW\))"));
}

TEST(DesktopSessionTest, FindsWindowsInsideAWindowManagersFrames) {
  DesktopSession session;
  auto wm = session.launch("openbox", {"--sm-disable"});
  ASSERT_TRUE(WaitUntil([&] { return !session.findWindows("Openbox").empty() || !wm.running(); }))
      << wm.output();
  ASSERT_TRUE(wm.running()) << wm.describe() << '\n' << wm.output();
  const auto xev = session.launch("xev", {"-geometry", "200x150+100+100"});
  const auto window = session.waitForWindow("Event Tester");
  ASSERT_TRUE(window) << xev.output();
  const auto rect = session.windowGeometry(*window);
  ASSERT_TRUE(rect);
  EXPECT_EQ(rect->width, 200);
  EXPECT_EQ(rect->height, 150);
  session.click(rect->centerX(), rect->centerY());
  EXPECT_TRUE(Shows(xev, "ButtonPress event.*\n.*\\(100,75\\)"));
}

} // namespace
} // namespace fegolin::test
