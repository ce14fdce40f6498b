// The window under a real X server, where the keyboard and the painting
// are the platform's own: Space and Enter in the folder list and Enter in
// the interval box, the question when ending with unsaved changes, and a
// long clean run during which the window keeps painting while the user's
// input is held back.

#include "tests/e2e/FegolinE2E.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace fegolin::test {
namespace {

namespace fs = std::filesystem;

std::string Program() {
  const char* installed = std::getenv("FEGOLIN_E2E_PROGRAM");
  return installed != nullptr && *installed != '\0' ? installed : FEGOLIN_PROGRAM_FEGOLIN;
}

// Places in the window (client coordinates) at its size on a start with
// the stored defaults, 452 x 305.
constexpr Spot kStatusTab{27, 18};
constexpr Spot kOptionsTab{212, 18};
constexpr Spot kFirstItemGlyph{19, 106};
constexpr Spot kFirstItemText{60, 106};
constexpr Spot kIntervalValue{55, 76};
constexpr Spot kApplyOptions{400, 219};
// A line through the digits of the clock ("Zeit:") on the Status page.
constexpr int kClockLine = 137;
constexpr int kClockLeft = 95;
constexpr int kClockRight = 175;

void Settle() {
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
}

class WindowInput : public ::testing::Test {
protected:
  std::vector<std::uint32_t> ClockPixels(const ScreenRect& window) const {
    std::vector<std::uint32_t> line;
    for (int x = kClockLeft; x <= kClockRight; ++x) {
      line.push_back(session_.pixel(window.x + x, window.y + kClockLine));
    }
    return line;
  }

  std::string ExportedHive() {
    auto exporter = session_.launch(Program(), {"--reg-export", "-"});
    return exporter.waitForExit(20s) ? exporter.output() : std::string();
  }

  void Import(const std::string& lines) {
    const fs::path file = session_.tree().path("import.reg");
    std::ofstream(file) << "Windows Registry Editor Version 5.00\r\n\r\n" << lines;
    auto importer = session_.launch(Program(), {"--reg-import", file.string()});
    ASSERT_TRUE(importer.waitForExit(20s));
    ASSERT_EQ(importer.exitCode(), 0) << importer.output();
  }

  DesktopSession session_;
};

TEST_F(WindowInput, SpaceTicksEnterEndsNothingAndEndeAsksAboutTheUnsavedList) {
  // A first start opens on the folder page; its first entry is the
  // session's own temp folder. Nothing is cleaned here.
  auto app = session_.launch(Program(), {"-ns"});
  const auto window = session_.waitForWindow("Fegolin", 20s);
  ASSERT_TRUE(window) << app.output();
  session_.activate(*window);
  Settle();
  const auto area = session_.windowGeometry(*window);
  ASSERT_TRUE(area);

  const auto unticked = PatchAt(session_, *area, kFirstItemGlyph);
  ClickAt(session_, *area, kFirstItemText);
  Settle();
  EXPECT_EQ(PatchAt(session_, *area, kFirstItemGlyph), unticked)
      << "a click beside the glyph ticks nothing";
  session_.key("space");
  EXPECT_TRUE(WaitUntil([&] { return PatchAt(session_, *area, kFirstItemGlyph) != unticked; }));
  session_.key("Return");
  Settle();
  EXPECT_TRUE(app.running());
  EXPECT_TRUE(session_.isViewable(*window));

  // A value typed into the interval box and confirmed with Enter stays,
  // and Save stores it.
  ClickAt(session_, *area, kOptionsTab);
  Settle();
  ClickAt(session_, *area, kIntervalValue);
  session_.key("ctrl+a");
  session_.type("10");
  session_.key("Return");
  Settle();
  ASSERT_TRUE(app.running()) << app.output();
  ClickAt(session_, *area, kApplyOptions);
  EXPECT_TRUE(WaitUntil(
      [&] {
        return ExportedHive().find("\"Run Interval Value\"=dword:0000000a") != std::string::npos;
      },
      20s))
      << ExportedHive();

  // "&Ende" with the tick not saved asks; "&Nein" ends without storing it.
  session_.activate(*window);
  session_.key("alt+e");
  std::optional<WindowId> question;
  ASSERT_TRUE(WaitUntil([&] {
    for (const WindowId candidate : session_.findWindows("Fegolin")) {
      if (candidate != *window && session_.isViewable(candidate)) {
        question = candidate;
        return true;
      }
    }
    return false;
  })) << app.output();
  EXPECT_TRUE(app.running());
  session_.activate(*question);
  Settle();
  session_.key("alt+n");
  ASSERT_TRUE(app.waitForExit(20s)) << app.output();
  EXPECT_EQ(ExportedHive().find("\"State 0\"=dword:00000001"), std::string::npos);
}

TEST_F(WindowInput, ALongRunKeepsTheWindowPaintingAndDropsTheUsersInput) {
  // Enough files for a run of a few seconds.
  const fs::path folder = fs::path(session_.environment().at("HOME")) / "Kehricht";
  for (int d = 0; d < 300; ++d) {
    const fs::path sub = folder / ("d" + std::to_string(d));
    fs::create_directories(sub);
    for (int f = 0; f < 1000; ++f) {
      const int fd =
          ::open((sub / std::to_string(f)).c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
      ASSERT_GE(fd, 0);
      ::close(fd);
    }
  }
  std::string escaped;
  for (const char c : folder.string()) {
    escaped += c == '\\' || c == '"' ? std::string("\\") + c : std::string(1, c);
  }
  Import("[HKEY_CURRENT_USER\\Software\\Norvalt\\Fegolin]\r\n\"Show Splash\"=dword:00000000\r\n\r\n"
         "[HKEY_CURRENT_USER\\Software\\Norvalt\\Fegolin\\Paths]\r\n\"Display Name "
         "0\"=\"Kehricht\"\r\n"
         "\"Directory 0\"=\"" +
         escaped + "\"\r\n\"State 0\"=dword:00000001\r\n");

  auto app = session_.launch(Program(), {"-ns"});
  ASSERT_TRUE(WaitUntil([&] { return session_.trayIconCount() == 1; }, 20s)) << app.output();
  const auto icon = session_.trayIconGeometry(0);
  ASSERT_TRUE(icon);
  session_.click(icon->centerX(), icon->centerY());
  const auto window = session_.waitForWindow("Fegolin", 20s);
  ASSERT_TRUE(window) << app.output();
  session_.activate(*window);
  const auto area = session_.windowGeometry(*window);
  ASSERT_TRUE(area);
  ClickAt(session_, *area, kStatusTab);
  Settle();

  // "&Jetzt Löschen"; while the folder still holds files, the clock goes on
  // and "&Ende" is pressed.
  session_.key("alt+j");
  std::set<std::vector<std::uint32_t>> clockDuringRun;
  bool endPressed = false;
  const auto deadline = std::chrono::steady_clock::now() + 180s;
  while (!fs::is_empty(folder) && std::chrono::steady_clock::now() < deadline) {
    const auto clock = ClockPixels(*area);
    if (fs::is_empty(folder)) {
      break;
    }
    clockDuringRun.insert(clock);
    if (!endPressed && clockDuringRun.size() >= 2) {
      session_.key("alt+e");
      endPressed = true;
    }
    std::this_thread::sleep_for(100ms);
  }
  ASSERT_TRUE(fs::is_empty(folder));
  EXPECT_GE(clockDuringRun.size(), 2u) << "the clock moved while the run worked";
  EXPECT_TRUE(endPressed);
  Settle();
  Settle();
  EXPECT_TRUE(app.running()) << "the key pressed during the run was dropped, not saved for later";
  EXPECT_TRUE(session_.isViewable(*window));
  app.terminate();
  EXPECT_TRUE(app.waitForExit());
}

} // namespace
} // namespace fegolin::test
