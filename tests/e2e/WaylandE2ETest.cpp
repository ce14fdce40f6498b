// The fegolin program as a native Wayland client of weston, with no X
// display to fall back on.
//
// Headless weston has no input devices at all. There the program is reached
// the way a Plasma or waybar session reaches it without touching the
// window: through its StatusNotifierItem on the session bus. The clean
// through the button needs a keyboard: weston nested in the X display takes
// the keys typed into its window and hands them to the program like any
// Wayland seat.

#include "tests/e2e/FegolinE2E.h"
#include "tests/support/DesktopSession.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace fegolin::test {
namespace {

namespace fs = std::filesystem;
using Compositor = DesktopSession::Compositor;

// Waits until weston's own picture of its output satisfies `shows`.
template <class Check>
bool ShowsOnWeston(const DesktopSession& session, const fs::path& file, Check shows) {
  return WaitUntil(
      [&] {
        session.waylandScreenshot(file);
        return shows(file);
      },
      20s, 300ms);
}

TEST(WaylandE2ETest, HeadlessFirstStartOnTheFolderPageThenReachedAndEndedThroughItsIcon) {
  DesktopSession session({.tray = false, .sessionBus = true, .wayland = Compositor::Headless});
  const DesktopProcess host = session.launch(FEGOLIN_PROGRAM_E2ESTATUSNOTIFIERHOST, {"watch"});
  ASSERT_TRUE(host.waitForOutput("ready\n")) << host.output();

  // A first start, splash included.
  const DesktopProcess app = session.launch(FEGOLIN_PROGRAM_FEGOLIN, {}, session.waylandClient());
  const fs::path shot = session.tree().path("weston.png");
  ASSERT_TRUE(ShowsOnWeston(session, shot, FolderPageIn)) << app.output();

  ASSERT_TRUE(host.waitForOutput("item ")) << app.output();
  std::istringstream registered(host.output().substr(host.output().find("item ") + 5));
  std::string service;
  std::string path;
  registered >> service >> path;
  const auto call = [&](const std::vector<std::string>& args) {
    std::vector<std::string> full{args.front(), service, path};
    full.insert(full.end(), args.begin() + 1, args.end());
    const DesktopProcess run = session.launch(FEGOLIN_PROGRAM_E2ESTATUSNOTIFIERHOST, full);
    EXPECT_TRUE(run.waitForExit());
    EXPECT_EQ(run.exitCode(), 0) << run.output();
  };

  call({"activate"});
  EXPECT_TRUE(ShowsOnWeston(session, shot, InfoPictureIn)) << app.output();

  call({"click", "Beenden"}); // the German menu's exit entry
  ASSERT_TRUE(app.waitForExit()) << app.describe();
  EXPECT_EQ(app.exitCode(), 0) << app.describe();
}

// A panel with its StatusNotifierItem host that starts after the program
// (waybar launched beside it by the compositor's start-up) gets the icon,
// and the window goes into it from the task bar.
TEST(WaylandE2ETest, AStatusNotifierHostComingLaterGetsTheIcon) {
  DesktopSession session({.tray = false, .sessionBus = true, .wayland = Compositor::Headless});
  StoreOptions(session, {{"Show Splash", 0}});
  const DesktopProcess app = session.launch(FEGOLIN_PROGRAM_FEGOLIN, {}, session.waylandClient());
  const fs::path shot = session.tree().path("weston.png");
  ASSERT_TRUE(ShowsOnWeston(session, shot, InfoPictureIn)) << app.output();

  const DesktopProcess host = session.launch(FEGOLIN_PROGRAM_E2ESTATUSNOTIFIERHOST, {"watch"});
  EXPECT_TRUE(host.waitForOutput("item ", 15s)) << app.output();
  EXPECT_TRUE(app.running());
}

TEST(WaylandE2ETest, WithoutATrayTheWindowShowsCleansByItsButtonAndEndsByItsOwn) {
  DesktopSession session({.tray = false, .wayland = Compositor::Nested});
  const fs::path folder = session.tree().dir("to-clean");
  session.tree().file("to-clean/a.txt");
  session.tree().file("to-clean/sub/b.txt");
  StoreOptions(session, {{"Show Splash", 0}});
  StoreFolders(session, {{"Scratch", folder.string() + "/", true}});

  const DesktopProcess app = session.launch(FEGOLIN_PROGRAM_FEGOLIN, {}, session.waylandClient());
  // No notification area on this Wayland desktop: after a late panel's
  // chance the window shows as a click on the icon would show it.
  const fs::path shot = session.tree().path("weston.png");
  ASSERT_TRUE(ShowsOnWeston(session, shot, InfoPictureIn)) << app.output();

  // Weston's window on the X display is the whole screen; the pointer on it
  // gives it the keyboard, and weston gives it to the program's window.
  session.moveMouse(session.width() / 2, session.height() / 2);
  std::this_thread::sleep_for(300ms);
  session.key("alt+j"); // "&Jetzt Löschen"
  EXPECT_TRUE(WaitUntil([&] { return fs::is_empty(folder); })) << app.output();
  EXPECT_TRUE(fs::is_directory(folder));

  session.key("alt+e"); // "&Ende"
  ASSERT_TRUE(app.waitForExit()) << app.describe();
  EXPECT_EQ(app.exitCode(), 0) << app.describe();
}

} // namespace
} // namespace fegolin::test
