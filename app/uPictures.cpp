#include "app/uPictures.h"

#include "kit/kitjpeg.h"

#include <QtCore/QString>

// Referencing the resource's initialiser keeps it in the program even when
// the pictures come from a static archive. Q_INIT_RESOURCE has to be used in
// the global namespace, where rcc defines the initialiser.
static void InitPictureResources() {
  static const bool initialised = [] {
    Q_INIT_RESOURCE(pictures);
    return true;
  }();
  static_cast<void>(initialised);
}

namespace fegolin {

QImage SplashPicture() {
  InitPictureResources();
  return LoadJpegFile(QStringLiteral(":/pictures/splash.jpg"));
}

QImage InfoPicture() {
  InitPictureResources();
  return LoadJpegFile(QStringLiteral(":/pictures/info.jpg"));
}

} // namespace fegolin
