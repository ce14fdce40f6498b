// The tray icon in a real notification area (trayer on Xvfb), shown by a
// program that has nothing but the icon: it is embedded once, comes back
// when the notification area dies and returns or only starts after the
// program, takes clicks, and leaves with the program.

#include "tests/support/DesktopSession.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <thread>
#include <vector>

namespace fegolin::test {
namespace {

// The colour of the host's icon.
constexpr std::uint32_t kIconColour = 0x00c000;

// Short, so that the presence check notices a returning tray quickly.
constexpr auto kMonitorInterval = 250ms;

DesktopProcess StartHost(DesktopSession& session) {
  auto host = session.launch(FEGOLIN_PROGRAM_E2ETRAYICONHOST,
                             {"--monitor-interval", std::to_string(kMonitorInterval.count())});
  EXPECT_TRUE(host.waitForOutput("ready\n")) << host.describe() << '\n' << host.output();
  return host;
}

// Exactly one icon in the tray, painted with the host's picture, and never
// two at a time on the way. When the tray comes back, the icon may show and
// go once more before it stays: the toolkit docks it again by itself, and
// then the presence check removes and adds it anew.
::testing::AssertionResult IconShows(const DesktopSession& session) {
  std::size_t most = 0;
  std::vector<ScreenRect> icons;
  // While trayer makes room for an icon, the icon can stand outside the
  // screen for a moment.
  const bool shown = WaitUntil([&] {
    icons = session.trayIcons();
    most = std::max(most, icons.size());
    return icons.size() == 1 && session.onScreen(icons[0]) &&
           session.pixel(icons[0].centerX(), icons[0].centerY()) == kIconColour;
  });
  if (most > 1) {
    return ::testing::AssertionFailure() << most << " icons in the tray at one time";
  }
  if (!shown) {
    return ::testing::AssertionFailure()
           << icons.size() << " icons in the tray, none painted with the picture";
  }
  return ::testing::AssertionSuccess();
}

// The icon shows, and still shows once the presence check has had a few
// turns: whatever it does about a returning tray, the icon stays.
::testing::AssertionResult IconStays(const DesktopSession& session) {
  if (auto shown = IconShows(session); !shown) {
    return shown;
  }
  std::this_thread::sleep_for(4 * kMonitorInterval);
  return IconShows(session);
}

TEST(TrayIconE2ETest, EmbedsOneIconShowingItsPicture) {
  DesktopSession session;
  const auto host = StartHost(session);
  EXPECT_TRUE(IconShows(session));
  const auto icon = session.trayIconGeometry(0);
  ASSERT_TRUE(icon);
  // trayer sits at the top right of the screen.
  EXPECT_LT(icon->y, 24);
  EXPECT_GT(icon->x, session.width() / 2);
  // Nothing but the icon: the form stays hidden, and the icon's own window
  // (titled after the application) sits inside trayer, not on the desktop.
  for (const char* title : {"Fegolin", "e2eTrayIconHost"}) {
    for (const WindowId window : session.findWindows(title)) {
      EXPECT_FALSE(session.isViewable(window)) << title;
    }
  }
  EXPECT_TRUE(host.running()) << host.describe() << '\n' << host.output();
}

TEST(TrayIconE2ETest, IconComesBackWhenTheTrayRestarts) {
  DesktopSession session;
  const auto host = StartHost(session);
  ASSERT_TRUE(IconShows(session));

  session.stopTray();
  EXPECT_EQ(session.trayIconCount(), 0);
  session.startTray();
  EXPECT_TRUE(IconStays(session));

  // And again, the second time round.
  session.stopTray();
  session.startTray();
  EXPECT_TRUE(IconStays(session));
  EXPECT_TRUE(host.running()) << host.describe() << '\n' << host.output();
}

TEST(TrayIconE2ETest, IconAppearsWhenTheTrayStartsAfterTheProgram) {
  DesktopSession session(DesktopSession::Options{.tray = false});
  // The icon is added while there is no notification area.
  const auto host = StartHost(session);
  session.startTray();
  EXPECT_TRUE(IconStays(session));
}

TEST(TrayIconE2ETest, EndsCleanlyOnSigtermAndTakesTheIconAlong) {
  DesktopSession session;
  const auto host = StartHost(session);
  ASSERT_TRUE(IconShows(session));

  host.terminate();
  ASSERT_TRUE(host.waitForExit());
  EXPECT_EQ(host.exitCode(), 0) << host.describe() << '\n' << host.output();
  EXPECT_TRUE(WaitUntil([&] { return session.trayIconCount() == 0; }));
  EXPECT_TRUE(session.trayOwned());
}

struct ClickCase {
  const char* name;
  int button;
  bool twice;
  const char* events;
};

class TrayIconClickTest : public ::testing::TestWithParam<ClickCase> {};

TEST_P(TrayIconClickTest, ReachesTheProgramAsTheIconsEvents) {
  const ClickCase& clickCase = GetParam();
  DesktopSession session;
  const auto host = StartHost(session);
  ASSERT_TRUE(IconShows(session));
  const auto icon = session.trayIconGeometry(0);
  ASSERT_TRUE(icon);

  if (clickCase.twice) {
    session.doubleClick(icon->centerX(), icon->centerY(), clickCase.button);
  } else {
    session.click(icon->centerX(), icon->centerY(), clickCase.button);
  }
  const std::string expected = std::string("ready\n") + clickCase.events;
  EXPECT_TRUE(host.waitForOutput(clickCase.events)) << host.output();
  EXPECT_EQ(host.output(), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Buttons, TrayIconClickTest,
    ::testing::Values(ClickCase{"Left", 1, false, "down left\nup left\nclick\n"},
                      ClickCase{"Middle", 2, false, "down middle\nup middle\nclick\n"},
                      ClickCase{"RightWithoutMenu", 3, false, "down right\nup right\nclick\n"},
                      ClickCase{"DoubleLeft", 1, true,
                                "down left\nup left\nclick\ndblclick\nup left\nclick\n"}),
    [](const ::testing::TestParamInfo<ClickCase>& param) { return param.param.name; });

} // namespace
} // namespace fegolin::test
