// A user's first session with the real program, by mouse and keyboard
// only: the first start shows the folder page, a folder is added through
// the folder dialog, ticked and saved, "Jetzt Löschen" empties it, "Ende"
// quits, and the next start still has the entry ticked.
//
// With FEGOLIN_UPDATE_SCREENSHOTS=1 every step leaves a picture in
// docs/screenshots/flow-*.png.

#include "tests/e2e/FegolinE2E.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>

namespace fegolin::test {
namespace {

namespace fs = std::filesystem;

// The program of this build, or the installed one that the package test
// names in FEGOLIN_E2E_PROGRAM.
std::string Program() {
  const char* installed = std::getenv("FEGOLIN_E2E_PROGRAM");
  return installed != nullptr && *installed != '\0' ? installed : FEGOLIN_PROGRAM_FEGOLIN;
}
constexpr std::string_view kFolderName = "Kehricht";

// Where the controls sit in the window (client coordinates) at its size on
// a first start: the layout's own arithmetic, taken once from a picture.
constexpr Spot kStatusTab{27, 18};
constexpr Spot kFolderTab{116, 18};
constexpr Spot kAddFolderButton{140, 75};
constexpr Spot kFirstItemGlyph{19, 106};

// Anything that settles within a frame or two: a key's effect on a widget
// that gives no outside sign of it.
void Settle() {
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
}

void Snapshot(const DesktopSession& session, std::string_view step) {
  const char* update = std::getenv("FEGOLIN_UPDATE_SCREENSHOTS");
  if (update == nullptr || std::string_view(update) != "1") {
    return;
  }
  const fs::path dir = fs::path(FEGOLIN_SOURCE_DIR) / "docs" / "screenshots";
  session.screenshot(dir / ("flow-" + std::string(step) + ".png"));
}

bool IsEmpty(const fs::path& dir) {
  return fs::is_empty(dir);
}

fs::path WriteFile(const fs::path& file, std::string_view content) {
  std::ofstream(file) << content;
  return file;
}

class UserFlow : public ::testing::Test {
protected:
  // The hive as "fegolin --reg-export -" writes it.
  std::string ExportedHive() {
    auto exporter = session_.launch(Program(), {"--reg-export", "-"});
    if (!exporter.waitForExit(20s)) {
      return {};
    }
    return exporter.output();
  }

  std::optional<ScreenRect> Geometry(WindowId window) const {
    return session_.windowGeometry(window);
  }

  DesktopSession session_;
};

TEST_F(UserFlow, AddTickSaveCleanQuitAndFindTheEntryTickedAgain) {
  const fs::path home = session_.environment().at("HOME");
  const fs::path folder = home / kFolderName;
  fs::create_directories(folder / "Unterordner");
  WriteFile(folder / "notiz.txt", "weg damit");
  WriteFile(folder / "Unterordner" / "bild.jpg", "jpeg");
  const fs::path readOnly = WriteFile(folder / "schreibgeschuetzt.txt", "fest");
  fs::permissions(readOnly,
                  fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);

  // First start on an empty hive: the window comes up on the folder page.
  auto first = session_.launch(Program(), {"-ns"});
  const auto window = session_.waitForWindow("Fegolin", 20s);
  ASSERT_TRUE(window) << first.output();
  session_.activate(*window);
  Settle();
  const auto area = Geometry(*window);
  ASSERT_TRUE(area);
  Snapshot(session_, "1-first-start");

  // The add button opens the folder dialog on the home folder; the user
  // opens it and types the start of the folder's name.
  const auto unticked = PatchAt(session_, *area, kFirstItemGlyph);
  ClickAt(session_, *area, kAddFolderButton);
  std::optional<WindowId> dialog;
  ASSERT_TRUE(WaitUntil(
      [&] {
        // Its title follows the system language.
        for (const char* title : {"Current folder:", "Ausgewählter Ordner:"}) {
          for (const WindowId candidate : session_.findWindows(title)) {
            if (session_.isViewable(candidate)) {
              dialog = candidate;
              return true;
            }
          }
        }
        return false;
      },
      20s))
      << first.output();
  session_.activate(*dialog);
  session_.key("Right");
  // The folder's children are read in the background after it opens.
  Settle();
  Settle();
  session_.type(std::string(kFolderName));
  Settle();
  Snapshot(session_, "2-folder-dialog");
  session_.key("Return");
  ASSERT_TRUE(WaitUntil([&] { return !session_.isViewable(*dialog); }));

  // Tick the new entry by its glyph, then save with "&Speichern".
  session_.activate(*window);
  Settle();
  ClickAt(session_, *area, kFirstItemGlyph);
  ASSERT_TRUE(WaitUntil([&] { return PatchAt(session_, *area, kFirstItemGlyph) != unticked; }));
  const auto ticked = PatchAt(session_, *area, kFirstItemGlyph);
  Snapshot(session_, "3-ticked");
  session_.key("alt+s");
  ASSERT_TRUE(WaitUntil(
      [&] {
        const std::string hive = ExportedHive();
        return hive.find("\"State 0\"=dword:00000001") != std::string::npos &&
               hive.find(std::string(kFolderName)) != std::string::npos;
      },
      20s))
      << ExportedHive();

  // "&Jetzt Löschen" empties the folder and keeps it; the Status page
  // tells how long it took.
  session_.key("alt+j");
  ASSERT_TRUE(WaitUntil([&] { return IsEmpty(folder); }, 20s));
  EXPECT_TRUE(fs::is_directory(folder));
  ClickAt(session_, *area, kStatusTab);
  Settle();
  Snapshot(session_, "4-cleaned-status");

  // "&Ende" ends the program.
  session_.activate(*window);
  session_.key("alt+e");
  ASSERT_TRUE(first.waitForExit(20s)) << first.output();

  // The next start keeps to the tray; a click on the icon shows the window,
  // and its folder page has the entry ticked as it was saved.
  auto second = session_.launch(Program(), {"-ns"});
  ASSERT_TRUE(WaitUntil([&] { return session_.trayIconCount() == 1; }, 20s)) << second.output();
  const auto icon = session_.trayIconGeometry(0);
  ASSERT_TRUE(icon);
  session_.click(icon->centerX(), icon->centerY());
  const auto again = session_.waitForWindow("Fegolin", 20s);
  ASSERT_TRUE(again) << second.output();
  session_.activate(*again);
  const auto againArea = Geometry(*again);
  ASSERT_TRUE(againArea);
  ClickAt(session_, *againArea, kFolderTab);
  EXPECT_TRUE(WaitUntil([&] { return PatchAt(session_, *againArea, kFirstItemGlyph) == ticked; }));
  Snapshot(session_, "5-restarted");
  EXPECT_NE(ExportedHive().find("\"State 0\"=dword:00000001"), std::string::npos);
  second.terminate();
  EXPECT_TRUE(second.waitForExit());
}

} // namespace
} // namespace fegolin::test
