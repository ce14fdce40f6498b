#include "app/uPictures.h"

#include "kit/kitjpeg.h"

#include <QtCore/QString>
#include <QtGui/QGuiApplication>

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

namespace {

// Where any screen has more than one device pixel per point, the picture
// stored at twice the size, marked so that it keeps its size in points.
QImage LoadPicture(const QString& name) {
  InitPictureResources();
  const bool sharp = qGuiApp != nullptr && qGuiApp->devicePixelRatio() > 1;
  QImage picture =
      LoadJpegFile(QStringLiteral(":/pictures/%1%2.jpg").arg(name, sharp ? "@2x" : ""));
  picture.setDevicePixelRatio(sharp ? 2 : 1);
  return picture;
}

} // namespace

QImage SplashPicture() {
  return LoadPicture(QStringLiteral("splash"));
}

QImage InfoPicture() {
  return LoadPicture(QStringLiteral("info"));
}

} // namespace fegolin
