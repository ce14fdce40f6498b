#include "tests/e2e/FegolinE2E.h"

#include "app/uPictures.h"

#include <QImage>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <fstream>
#include <regex>
#include <sstream>
#include <stdexcept>

namespace fegolin::test {
namespace {

constexpr auto kRegKey = R"([HKEY_CURRENT_USER\Software\Norvalt\Fegolin])";

// Runs a short command in the session and returns what it printed.
std::string Run(DesktopSession& session, const std::string& program,
                const std::vector<std::string>& args) {
  const DesktopProcess process = session.launch(program, args);
  if (!process.waitForExit() || process.exitCode() != 0) {
    throw std::runtime_error(program + " failed: " + process.describe() + "\n" + process.output());
  }
  return process.output();
}

bool SameColour(QRgb a, QRgb b) {
  return qRed(a) == qRed(b) && qGreen(a) == qGreen(b) && qBlue(a) == qBlue(b);
}

// Pixels of the picture that are not wholly opaque are left out: what
// shines through them depends on what lies below.
bool PictureAt(const QImage& screen, const QImage& picture, int left, int top) {
  for (int y = 0; y < picture.height(); ++y) {
    for (int x = 0; x < picture.width(); ++x) {
      const QRgb want = picture.pixel(x, y);
      if (qAlpha(want) == 255 && !SameColour(screen.pixel(left + x, top + y), want)) {
        return false;
      }
    }
  }
  return true;
}

bool PictureInArea(const QImage& screen, const QImage& picture, const ScreenRect& area) {
  if (screen.isNull() || picture.isNull()) {
    return false;
  }
  const int right = std::min(area.x + area.width, screen.width()) - picture.width();
  const int bottom = std::min(area.y + area.height, screen.height()) - picture.height();
  for (int top = std::max(area.y, 0); top <= bottom; ++top) {
    for (int left = std::max(area.x, 0); left <= right; ++left) {
      if (PictureAt(screen, picture, left, top)) {
        return true;
      }
    }
  }
  return false;
}

bool PictureIn(const std::filesystem::path& screenshot, const QImage& picture) {
  const QImage screen(QString::fromStdString(screenshot.string()));
  return PictureInArea(screen, picture, {0, 0, screen.width(), screen.height()});
}

} // namespace

void StoreOptions(DesktopSession& session, const OptionValues& values) {
  std::ostringstream text;
  text << "Windows Registry Editor Version 5.00\r\n\r\n" << kRegKey << "\r\n";
  for (const auto& [name, value] : values) {
    char dword[9];
    std::snprintf(dword, sizeof dword, "%08x", value);
    text << '"' << name << "\"=dword:" << dword << "\r\n";
  }
  const auto file = session.tree().file("options.reg", text.str());
  Run(session, FEGOLIN_PROGRAM_FEGOLIN, {"--reg-import", file.string()});
}

std::optional<std::uint32_t> StoredOption(DesktopSession& session, const std::string& name) {
  const auto file = session.tree().path("exported.reg");
  Run(session, FEGOLIN_PROGRAM_FEGOLIN, {"--reg-export", file.string()});
  std::ifstream in(file);
  const std::regex line("\"" + name + "\"=dword:([0-9a-f]{8})\r?");
  for (std::string text; std::getline(in, text);) {
    if (std::smatch match; std::regex_match(text, match, line)) {
      return static_cast<std::uint32_t>(std::stoul(match[1].str(), nullptr, 16));
    }
  }
  return std::nullopt;
}

std::vector<WindowId> VisibleWindows(DesktopSession& session, const std::string& title) {
  // xdotool reports "no window" with exit code 1.
  const DesktopProcess search =
      session.launch("xdotool", {"search", "--onlyvisible", "--name", "^" + title + "$"});
  search.waitForExit();
  std::vector<WindowId> windows;
  std::istringstream in(search.output());
  for (std::string id; std::getline(in, id);) {
    if (!id.empty() && std::isdigit(static_cast<unsigned char>(id.front())) != 0) {
      const WindowId window = std::stoul(id);
      // Only what is on the screen: the notification area's icon window
      // carries the program's title as well.
      if (const auto rect = session.windowGeometry(window); rect && rect->width > 30) {
        windows.push_back(window);
      }
    }
  }
  return windows;
}

std::optional<WindowId> WaitForVisibleWindow(DesktopSession& session, const std::string& title,
                                             int width, int height) {
  std::optional<WindowId> found;
  WaitUntil(
      [&] {
        for (const WindowId window : VisibleWindows(session, title)) {
          if (const auto rect = session.windowGeometry(window);
              rect && rect->width == width && rect->height == height) {
            found = window;
            return true;
          }
        }
        return false;
      },
      10s, 50ms);
  return found;
}

std::optional<ScreenRect> SettledGeometry(const DesktopSession& session, WindowId window) {
  std::optional<ScreenRect> last;
  int same = 0;
  WaitUntil(
      [&] {
        const auto now = session.windowGeometry(window);
        same = now && now == last ? same + 1 : 0;
        last = now;
        return same == 3;
      },
      10s, 100ms);
  return last;
}

void SlowDrag(DesktopSession& session, int fromX, int fromY, int toX, int toY) {
  session.moveMouse(fromX, fromY);
  const auto at = [](int x, int y) {
    return std::vector<std::string>{std::to_string(x), std::to_string(y)};
  };
  std::vector<std::string> args{"sleep", "0.3", "mousedown", "1",
                                "sleep", "0.1", "mousemove", "--sync"};
  for (const auto& part : at((fromX + toX) / 2, (fromY + toY) / 2)) {
    args.push_back(part);
  }
  for (const char* part : {"sleep", "0.1", "mousemove", "--sync"}) {
    args.emplace_back(part);
  }
  for (const auto& part : at(toX, toY)) {
    args.push_back(part);
  }
  for (const char* part : {"sleep", "0.1", "mouseup", "1"}) {
    args.emplace_back(part);
  }
  Run(session, "xdotool", args);
}

DesktopProcess StartWindowManager(DesktopSession& session) {
  DesktopProcess wm = session.launch("openbox", {"--sm-disable"});
  const bool managing = WaitUntil([&] {
    const DesktopProcess probe = session.launch("xprop", {"-root", "_NET_SUPPORTING_WM_CHECK"});
    probe.waitForExit();
    return probe.output().find("window id") != std::string::npos;
  });
  if (!managing) {
    throw std::runtime_error("openbox does not manage the screen: " + wm.describe() + "\n" +
                             wm.output());
  }
  return wm;
}

bool InfoPictureShows(const DesktopSession& session, const ScreenRect& area) {
  const auto file = session.tree().path("info-check.png");
  session.screenshot(file);
  return PictureInArea(QImage(QString::fromStdString(file.string())), InfoPicture(), area);
}

bool InfoPictureIn(const std::filesystem::path& screenshot) {
  return PictureIn(screenshot, InfoPicture());
}

bool FolderPageIn(const std::filesystem::path& screenshot) {
  return PictureIn(
      screenshot, QImage(QStringLiteral(FEGOLIN_SOURCE_DIR "/resources/images/0_add_directory.png"))
                      .convertToFormat(QImage::Format_ARGB32));
}

void StoreFolders(DesktopSession& session, const std::vector<StoredFolder>& folders) {
  std::ostringstream text;
  text << "Windows Registry Editor Version 5.00\r\n\r\n"
       << kRegKey << "\r\n\r\n"
       << R"([HKEY_CURRENT_USER\Software\Norvalt\Fegolin\Paths])"
       << "\r\n";
  // Test folders hold no backslashes or quotes: no escaping needed.
  for (std::size_t i = 0; i < folders.size(); ++i) {
    text << "\"Display Name " << i << "\"=\"" << folders[i].displayName << "\"\r\n"
         << "\"Directory " << i << "\"=\"" << folders[i].directory << "\"\r\n"
         << "\"State " << i << "\"=dword:0000000" << (folders[i].ticked ? 1 : 0) << "\r\n";
  }
  const auto file = session.tree().file("folders.reg", text.str());
  Run(session, FEGOLIN_PROGRAM_FEGOLIN, {"--reg-import", file.string()});
}

std::optional<ScreenRect> WaitForOneIcon(const DesktopSession& session) {
  std::optional<ScreenRect> icon;
  WaitUntil([&] {
    const auto icons = session.trayIcons();
    if (icons.size() == 1 && session.onScreen(icons[0])) {
      icon = icons[0];
      return true;
    }
    return false;
  });
  return icon;
}

bool ExitThroughIconMenu(const DesktopSession& session, const DesktopProcess& program) {
  const auto icon = WaitForOneIcon(session);
  if (!icon) {
    return false;
  }
  // The menu takes the keyboard once it is open; its entries are
  // "&Zeigen Verzeichnisse", "&Info", "&Vorschau…" and "B&eenden" ("&Exit"
  // in English). A key that arrives
  // before the menu is up goes elsewhere, so the menu is opened again
  // until the program has gone.
  for (int attempt = 0; attempt < 5 && program.running(); ++attempt) {
    session.click(icon->centerX(), icon->centerY(), 3);
    std::this_thread::sleep_for(300ms);
    session.key("e");
    if (program.waitForExit(3s)) {
      return true;
    }
  }
  return !program.running();
}

void ClickAt(DesktopSession& session, const ScreenRect& window, Spot spot) {
  session.click(window.x + spot.x, window.y + spot.y);
}

std::array<std::uint32_t, 9> PatchAt(const DesktopSession& session, const ScreenRect& window,
                                     Spot spot) {
  std::array<std::uint32_t, 9> colours{};
  for (int i = 0; i < 9; ++i) {
    colours[static_cast<std::size_t>(i)] =
        session.pixel(window.x + spot.x + (i % 3) * 2 - 2, window.y + spot.y + (i / 3) * 2 - 2);
  }
  return colours;
}

} // namespace fegolin::test
