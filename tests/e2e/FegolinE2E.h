#pragma once

// Helpers for the end-to-end tests of the fegolin program: options set in
// the session's hive through the program's own registry import, windows
// found by title also below a window manager's frames, a window manager for
// the tests that need one, and the Info page recognised by its picture.

#include "tests/support/DesktopSession.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace fegolin::test {

// Option values (DWORDs) under the program's key, by name.
using OptionValues = std::map<std::string, std::uint32_t>;

// Imports the values into the session's hive with "fegolin --reg-import",
// which also creates the program's key: the next start is not a first one.
void StoreOptions(DesktopSession& session, const OptionValues& values);

// An option as the session's hive holds it now ("fegolin --reg-export");
// empty when it is missing or not a DWORD.
std::optional<std::uint32_t> StoredOption(DesktopSession& session, const std::string& name);

// The viewable windows titled exactly `title`, wherever they sit in the
// window tree (a window manager puts them into frames).
std::vector<WindowId> VisibleWindows(DesktopSession& session, const std::string& title);

// The viewable window titled `title` with that size, once there is one.
std::optional<WindowId> WaitForVisibleWindow(DesktopSession& session, const std::string& title,
                                             int width, int height);

// The window's place once the window manager has stopped moving it (it
// frames and places a window only after it has been mapped).
std::optional<ScreenRect> SettledGeometry(const DesktopSession& session, WindowId window);

// Drags with the left button the way a hand does, with pauses: openbox
// takes a press on a window's frame for a resize only when the pointer has
// rested there and the moves come after the press.
void SlowDrag(DesktopSession& session, int fromX, int fromY, int toX, int toY);

// Starts openbox and waits until it manages the screen. It ends with the
// returned process (or the session).
DesktopProcess StartWindowManager(DesktopSession& session);

// The Info page's picture shows, pixel for pixel, inside `area`.
bool InfoPictureShows(const DesktopSession& session, const ScreenRect& area);

// The same, in a picture of the screen taken before (weston's own).
bool InfoPictureIn(const std::filesystem::path& screenshot);
// The folder page's "add a folder" image shows in the picture, pixel for
// pixel where it is opaque.
bool FolderPageIn(const std::filesystem::path& screenshot);

// A place in the program's window, in client coordinates.
struct Spot {
  int x;
  int y;
};

// A left click on `spot` of the window whose client area is `window`.
void ClickAt(DesktopSession& session, const ScreenRect& window, Spot spot);

// A small patch of the screen around `spot`, to tell a glyph by.
std::array<std::uint32_t, 9> PatchAt(const DesktopSession& session, const ScreenRect& window,
                                     Spot spot);

// One folder-list entry as the program stores it.
struct StoredFolder {
  std::string displayName;
  std::string directory;
  bool ticked = false;
};

// The folder list, stored through the program's registry import.
void StoreFolders(DesktopSession& session, const std::vector<StoredFolder>& folders);

// Waits for exactly one icon in the notification area and returns where it is.
std::optional<ScreenRect> WaitForOneIcon(const DesktopSession& session);

// "&Exit" in the icon's menu: a right click on the icon, then the menu
// entry's accelerator. True once `program` has ended.
bool ExitThroughIconMenu(const DesktopSession& session, const DesktopProcess& program);

} // namespace fegolin::test
