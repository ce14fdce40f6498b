#pragma once

// lstImage: the six 16 x 16 images of the main window's actions, and the
// program icon. Both are drawn sharp at any screen density: the action
// images from vector drawings (the hand-set 16 x 16 pixels where they fit
// exactly), the program icon from pixel versions up to 256 x 256. Neither
// is decoded before a window or the tray asks for a size.

#include <QIcon>
#include <QList>

namespace fegolin {

class TcImageList final {
public:
  TcImageList();
  [[nodiscard]] int Count() const { return static_cast<int>(icons_.size()); }
  // The image at `index`; a null icon outside the list.
  [[nodiscard]] QIcon Icon(int index) const;

private:
  QList<QIcon> icons_;
};

// The program icon for the window, its task bar button and the tray icon,
// at whatever size and density they ask for.
QIcon ProgramIcon();

} // namespace fegolin
