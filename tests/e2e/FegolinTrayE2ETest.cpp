// The fegolin program in a real notification area: an ordinary start leaves
// only its icon, a click brings the window up on the Info page, closing and
// minimizing hide it, the menu's exit entry ends it; one instance at a time, also after
// the first one was killed; the window's size limits under a window manager.

#include "tests/e2e/FegolinE2E.h"
#include "tests/support/DesktopSession.h"

#include <gtest/gtest.h>

#include <chrono>
#include <iostream>

namespace fegolin::test {
namespace {

// Not a first start, and no splash holding the window code up.
const OptionValues kQuietStart{{"Show Splash", 0}};

// For the tests under a window manager: it comes first, and the
// notification area starts under it, as on a desktop.
const DesktopSession::Options kNoTrayYet{.tray = false};

constexpr int kWidth = 452;
constexpr int kHeight = 305; // "Save Window Size" on, nothing stored yet

// Clicks the icon and waits for the main window.
std::optional<WindowId> ShowByIcon(DesktopSession& session, int height = kHeight) {
  const auto icon = WaitForOneIcon(session);
  if (!icon) {
    return std::nullopt;
  }
  session.click(icon->centerX(), icon->centerY());
  return WaitForVisibleWindow(session, "Fegolin", kWidth, height);
}

bool Hidden(const DesktopSession& session, WindowId window) {
  return WaitUntil([&] { return !session.isViewable(window); });
}

TEST(FegolinTrayE2ETest, LivesInTheIconUntilExitFromItsMenu) {
  DesktopSession session;
  StoreOptions(session, kQuietStart);
  const DesktopProcess app = session.launch(FEGOLIN_PROGRAM_FEGOLIN);
  ASSERT_TRUE(WaitForOneIcon(session)) << app.output();
  EXPECT_TRUE(VisibleWindows(session, "Fegolin").empty());

  const auto window = ShowByIcon(session);
  ASSERT_TRUE(window) << app.output();
  EXPECT_TRUE(InfoPictureShows(session, *session.windowGeometry(*window)));

  session.closeWindow(*window); // the close box
  EXPECT_TRUE(Hidden(session, *window));
  EXPECT_TRUE(app.running());
  ASSERT_TRUE(ShowByIcon(session));

  ASSERT_TRUE(ExitThroughIconMenu(session, app)) << app.describe();
  EXPECT_EQ(app.exitCode(), 0);
  EXPECT_TRUE(WaitUntil([&] { return session.trayIconCount() == 0; }));
}

// The end a desktop session asks for on log-out takes the way of the exit entry:
// the window's new size is written, the icon goes, the exit code is 0.
TEST(FegolinTrayE2ETest, TerminationEndsLikeExitAndKeepsTheWindowSize) {
  DesktopSession session;
  StoreOptions(session, {{"Show Splash", 0}, {"Save Window Size", 1}});
  const DesktopProcess app = session.launch(FEGOLIN_PROGRAM_FEGOLIN);
  const auto window = ShowByIcon(session);
  ASSERT_TRUE(window) << app.output();
  session.launch("xdotool", {"windowsize", std::to_string(*window), "600", "500"}).waitForExit();
  ASSERT_TRUE(WaitForVisibleWindow(session, "Fegolin", 600, 500));

  app.terminate();
  ASSERT_TRUE(app.waitForExit()) << app.describe();
  EXPECT_EQ(app.exitCode(), 0) << app.describe();
  EXPECT_TRUE(WaitUntil([&] { return session.trayIconCount() == 0; }));
  EXPECT_EQ(StoredOption(session, "Form Width"), 600u);
  EXPECT_EQ(StoredOption(session, "Form Height"), 500u);
}

TEST(FegolinTrayE2ETest, MinimizingHidesTheWindowAndTheIconBringsItBack) {
  DesktopSession session(kNoTrayYet);
  const DesktopProcess wm = StartWindowManager(session);
  session.startTray();
  StoreOptions(session, kQuietStart);
  const DesktopProcess app = session.launch(FEGOLIN_PROGRAM_FEGOLIN);
  const auto window = ShowByIcon(session);
  ASSERT_TRUE(window) << app.output();

  session.launch("xdotool", {"windowminimize", std::to_string(*window)}).waitForExit();
  EXPECT_TRUE(Hidden(session, *window));
  EXPECT_TRUE(app.running());

  const auto again = ShowByIcon(session);
  ASSERT_TRUE(again);
  EXPECT_TRUE(InfoPictureShows(session, *session.windowGeometry(*again)));
  EXPECT_TRUE(app.running());
}

TEST(FegolinTrayE2ETest, ASecondStartBringsTheFirstForwardAndEnds) {
  DesktopSession session;
  StoreOptions(session, kQuietStart);
  const DesktopProcess first = session.launch(FEGOLIN_PROGRAM_FEGOLIN);
  const auto window = ShowByIcon(session);
  ASSERT_TRUE(window) << first.output();
  // A window over the whole screen hides the first instance's window.
  const DesktopProcess cover = session.launch(
      "xmessage",
      {"-geometry",
       std::to_string(session.width()) + "x" + std::to_string(session.height()) + "+0+0", "cover"});
  ASSERT_TRUE(
      WaitUntil([&] { return !InfoPictureShows(session, *session.windowGeometry(*window)); }));

  const auto started = std::chrono::steady_clock::now();
  const DesktopProcess second = session.launch(FEGOLIN_PROGRAM_FEGOLIN);
  ASSERT_TRUE(second.waitForExit()) << second.output();
  const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(
      std::chrono::steady_clock::now() - started);
  std::cout << "second start ended after " << took.count() << " ms\n";
  ::testing::Test::RecordProperty("SecondStartMs", static_cast<int>(took.count()));
  EXPECT_EQ(second.exitCode(), 0);

  EXPECT_TRUE(
      WaitUntil([&] { return InfoPictureShows(session, *session.windowGeometry(*window)); }));
  EXPECT_TRUE(first.running());
  // Its own icon went with it.
  EXPECT_TRUE(WaitForOneIcon(session));
}

// Starting the program from the menu while it sits in the notification
// area is how a user looks for its window.
TEST(FegolinTrayE2ETest, ASecondStartShowsTheWindowHiddenInTheIcon) {
  DesktopSession session;
  StoreOptions(session, kQuietStart);
  const DesktopProcess first = session.launch(FEGOLIN_PROGRAM_FEGOLIN);
  ASSERT_TRUE(WaitForOneIcon(session)) << first.output();
  EXPECT_TRUE(VisibleWindows(session, "Fegolin").empty());

  const DesktopProcess second = session.launch(FEGOLIN_PROGRAM_FEGOLIN);
  ASSERT_TRUE(second.waitForExit()) << second.output();
  EXPECT_EQ(second.exitCode(), 0);
  EXPECT_TRUE(WaitForVisibleWindow(session, "Fegolin", kWidth, kHeight)) << first.output();
  EXPECT_TRUE(WaitForOneIcon(session));
}

TEST(FegolinTrayE2ETest, ASecondStartWithItsSplashStillEnds) {
  DesktopSession session;
  StoreOptions(session, {{"Show Splash", 1}});
  const DesktopProcess first = session.launch(FEGOLIN_PROGRAM_FEGOLIN, {"-ns"});
  ASSERT_TRUE(WaitForOneIcon(session)) << first.output();

  // The splash's own loop runs before the program's: the end asked for
  // while the window was made must outlast it.
  const DesktopProcess second = session.launch(FEGOLIN_PROGRAM_FEGOLIN);
  ASSERT_TRUE(second.waitForExit()) << second.output();
  EXPECT_EQ(second.exitCode(), 0);
  EXPECT_TRUE(first.running());
  EXPECT_TRUE(WaitForOneIcon(session));
}

TEST(FegolinTrayE2ETest, AfterTheFirstInstanceWasKilledTheNextStartRuns) {
  DesktopSession session;
  StoreOptions(session, kQuietStart);
  const DesktopProcess killed = session.launch(FEGOLIN_PROGRAM_FEGOLIN);
  ASSERT_TRUE(WaitForOneIcon(session)) << killed.output();
  killed.kill();
  ASSERT_TRUE(WaitUntil([&] { return session.trayIconCount() == 0; }));

  const DesktopProcess next = session.launch(FEGOLIN_PROGRAM_FEGOLIN);
  ASSERT_TRUE(ShowByIcon(session)) << next.describe() << '\n' << next.output();
  EXPECT_TRUE(next.running());

  // And it is the one instance now: a further start ends.
  const DesktopProcess third = session.launch(FEGOLIN_PROGRAM_FEGOLIN);
  ASSERT_TRUE(third.waitForExit());
  EXPECT_EQ(third.exitCode(), 0);
  EXPECT_TRUE(next.running());
}

TEST(FegolinTrayE2ETest, WithoutSavedSizeTheWindowIs452By444AndDragsNoSmallerThan452By305) {
  DesktopSession session(kNoTrayYet);
  const DesktopProcess wm = StartWindowManager(session);
  session.startTray();
  StoreOptions(session, {{"Show Splash", 0}, {"Save Window Size", 0}});
  const DesktopProcess app = session.launch(FEGOLIN_PROGRAM_FEGOLIN);
  const auto window = ShowByIcon(session, 444);
  ASSERT_TRUE(window) << app.output();

  // The frame's bottom edge lies just below the window: drag it by its
  // bottom right corner far up and left.
  const auto settled = SettledGeometry(session, *window);
  ASSERT_TRUE(settled);
  const ScreenRect before = *settled;
  const int cornerX = before.x + before.width - 1;
  const int cornerY = before.y + before.height + 3;
  SlowDrag(session, cornerX, cornerY, cornerX - 300, cornerY - 300);
  EXPECT_TRUE(WaitUntil([&] {
    const auto now = session.windowGeometry(*window);
    return now && now->width == 452 && now->height == 305;
  })) << "now "
      << session.windowGeometry(*window)->width << " x " << session.windowGeometry(*window)->height;
}

} // namespace
} // namespace fegolin::test
