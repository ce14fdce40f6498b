// The fegolin program on a desktop with no notification area at all (a
// stock GNOME): it must never run out of reach. After a late panel's chance
// the window shows; closing and minimizing leave it on the task bar; a
// start from the menu brings it back; a notification area that comes later
// takes over as usual.

#include "tests/e2e/FegolinE2E.h"
#include "tests/support/DesktopSession.h"

#include <gtest/gtest.h>

#include <string>

namespace fegolin::test {
namespace {

const OptionValues kQuietStart{{"Show Splash", 0}};
constexpr int kWidth = 452;
constexpr int kHeight = 305;

// ICCCM's WM_STATE as the window manager keeps it: "Normal", "Iconic"
// (minimized, on the task bar) or empty once the window is withdrawn.
std::string WindowState(DesktopSession& session, WindowId window) {
  const DesktopProcess xprop = session.launch("xprop", {"-id", std::to_string(window), "WM_STATE"});
  xprop.waitForExit();
  const std::string text = xprop.output();
  const std::string label = "window state: ";
  const auto at = text.find(label);
  if (at == std::string::npos) {
    return {};
  }
  const auto start = at + label.size();
  return text.substr(start, text.find('\n', start) - start);
}

bool BecomesIconic(DesktopSession& session, WindowId window) {
  return WaitUntil(
      [&] { return WindowState(session, window) == "Iconic" && !session.isViewable(window); });
}

bool ComesBackBySecondStart(DesktopSession& session, WindowId window) {
  const DesktopProcess second = session.launch(FEGOLIN_PROGRAM_FEGOLIN);
  return second.waitForExit() && second.exitCode() == 0 &&
         WaitUntil([&] { return session.isViewable(window); });
}

TEST(NoTrayE2ETest, TheWindowShowsStaysOnTheTaskBarAndALaterPanelTakesOver) {
  DesktopSession session({.tray = false});
  const DesktopProcess wm = StartWindowManager(session);
  StoreOptions(session, kQuietStart);
  const DesktopProcess app = session.launch(FEGOLIN_PROGRAM_FEGOLIN);

  // As a click on the icon would show it.
  const auto window = WaitForVisibleWindow(session, "Fegolin", kWidth, kHeight);
  ASSERT_TRUE(window) << app.output();
  EXPECT_TRUE(InfoPictureShows(session, *SettledGeometry(session, *window)));

  session.closeWindow(*window); // the close box
  EXPECT_TRUE(BecomesIconic(session, *window));
  EXPECT_TRUE(app.running());
  EXPECT_TRUE(ComesBackBySecondStart(session, *window));

  session.launch("xdotool", {"windowminimize", std::to_string(*window)}).waitForExit();
  EXPECT_TRUE(BecomesIconic(session, *window));
  EXPECT_TRUE(ComesBackBySecondStart(session, *window));

  // A panel now: the icon shows, and the close box hides into it again.
  session.startTray();
  const auto icon = WaitForOneIcon(session);
  ASSERT_TRUE(icon) << app.output();
  session.closeWindow(*window);
  EXPECT_TRUE(WaitUntil(
      [&] { return !session.isViewable(*window) && WindowState(session, *window) != "Iconic"; }));
  session.click(icon->centerX(), icon->centerY());
  EXPECT_TRUE(WaitUntil([&] { return session.isViewable(*window); }));

  ASSERT_TRUE(ExitThroughIconMenu(session, app)) << app.describe();
  EXPECT_EQ(app.exitCode(), 0);
}

// A panel that starts a moment after the program (a log-in with the program
// in autostart) gets the icon, and the window stays out of the way.
TEST(NoTrayE2ETest, APanelComingUpWithinAFewSecondsKeepsTheWindowHidden) {
  DesktopSession session({.tray = false});
  StoreOptions(session, kQuietStart);
  const DesktopProcess app = session.launch(FEGOLIN_PROGRAM_FEGOLIN);
  std::this_thread::sleep_for(1s);
  session.startTray();
  ASSERT_TRUE(WaitForOneIcon(session)) << app.output();
  std::this_thread::sleep_for(4s);
  EXPECT_TRUE(VisibleWindows(session, "Fegolin").empty());
  EXPECT_TRUE(app.running());
}

} // namespace
} // namespace fegolin::test
