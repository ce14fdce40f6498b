// The fegolin program where the notification area is a D-Bus
// StatusNotifierItem host (Plasma, GNOME's AppIndicator extension, waybar):
// a private session bus with a watcher and host of our own, and no XEmbed
// notification area at all. The host sees the icon, its tooltip and its
// menu; a left click shows the window; "Exit" in the menu ends the program
// the way "&Exit" does.

#include "tests/e2e/FegolinE2E.h"
#include "tests/support/DesktopSession.h"

#include <gtest/gtest.h>

#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace fegolin::test {
namespace {

// Runs one call of the host helper to its end; its output.
std::string Host(DesktopSession& session, const std::vector<std::string>& args) {
  const DesktopProcess call = session.launch(FEGOLIN_PROGRAM_E2ESTATUSNOTIFIERHOST, args);
  EXPECT_TRUE(call.waitForExit()) << call.output();
  EXPECT_EQ(call.exitCode(), 0) << call.output();
  return call.output();
}

std::vector<std::string> Lines(const std::string& text, const std::string& prefix) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (line.rfind(prefix, 0) == 0) {
      lines.push_back(line.substr(prefix.size()));
    }
  }
  return lines;
}

TEST(StatusNotifierItemE2ETest, IconTooltipAndMenuReachTheHostAndItsExitEndsTheProgram) {
  DesktopSession session({.tray = false, .sessionBus = true});
  const DesktopProcess host = session.launch(FEGOLIN_PROGRAM_E2ESTATUSNOTIFIERHOST, {"watch"});
  ASSERT_TRUE(host.waitForOutput("ready\n")) << host.output();
  // English, and the window's size kept at the end.
  StoreOptions(session, {{"Show Splash", 0}, {"Save Window Size", 1}, {"Language", 1}});
  const DesktopProcess app = session.launch(FEGOLIN_PROGRAM_FEGOLIN);

  ASSERT_TRUE(host.waitForOutput("item ")) << app.output();
  std::istringstream registered(Lines(host.output(), "item ").at(0));
  std::string service;
  std::string path;
  registered >> service >> path;
  const std::vector<std::string> item{service, path};
  const auto call = [&](std::vector<std::string> args) {
    args.insert(args.begin() + 1, item.begin(), item.end());
    return Host(session, args);
  };

  const std::string properties = call({"properties"});
  EXPECT_EQ(Lines(properties, "Title: "), std::vector<std::string>{"Fegolin"}) << properties;
  const auto pixmaps = Lines(properties, "IconPixmap: ");
  ASSERT_EQ(pixmaps.size(), 1u) << properties;
  EXPECT_TRUE(std::regex_match(pixmaps[0], std::regex(R"((\d+x\d+ )*\d+x\d+)"))) << properties;
  const auto tooltip = Lines(properties, "ToolTip: ");
  ASSERT_EQ(tooltip.size(), 1u) << properties;
  EXPECT_TRUE(std::regex_match(tooltip[0], std::regex("Fegolin – next run \\d\\d:\\d\\d")))
      << properties;
  const auto menu = Lines(properties, "Menu: ");
  ASSERT_EQ(menu.size(), 1u);
  EXPECT_NE(menu[0], "/NO_DBUSMENU");
  EXPECT_NE(menu[0], "/");

  std::vector<std::string> entries;
  for (const std::string& entry : Lines(call({"menu"}), "entry ")) {
    entries.push_back(entry.substr(entry.find(' ') + 1));
  }
  // The menu speaks the chosen language too.
  EXPECT_EQ(entries,
            (std::vector<std::string>{"_Show Folders", "_Info", "_Preview…", "-", "_Exit"}));

  // The host is there: the window keeps out of the way, also once a late
  // panel would have had its chance.
  std::this_thread::sleep_for(4s);
  EXPECT_TRUE(VisibleWindows(session, "Fegolin").empty());

  call({"activate"}); // a left click on the icon
  const auto window = WaitForVisibleWindow(session, "Fegolin", 452, 305);
  ASSERT_TRUE(window) << app.output();
  EXPECT_TRUE(InfoPictureShows(session, *session.windowGeometry(*window)));
  session.launch("xdotool", {"windowsize", std::to_string(*window), "600", "500"}).waitForExit();
  ASSERT_TRUE(WaitForVisibleWindow(session, "Fegolin", 600, 500));

  call({"click", "Exit"});
  ASSERT_TRUE(app.waitForExit()) << app.describe();
  EXPECT_EQ(app.exitCode(), 0) << app.describe();
  EXPECT_TRUE(host.waitForOutput("gone " + service));
  EXPECT_EQ(StoredOption(session, "Form Width"), 600u);
  EXPECT_EQ(StoredOption(session, "Form Height"), 500u);
}

} // namespace
} // namespace fegolin::test
