#pragma once

// The program's two pictures, decoded from the JPEG files compiled in. Sizes
// are in points: on high-density screens the pictures carry twice as many
// pixels (QImage::devicePixelRatio 2).

#include <QtGui/QImage>

namespace fegolin {

// 300 x 200, shown by the splash screen.
QImage SplashPicture();
// 90 x 115, framed on the Info page.
QImage InfoPicture();

} // namespace fegolin
